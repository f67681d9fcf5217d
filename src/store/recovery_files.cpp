#include "store/recovery_files.h"

#include <QRegularExpression>

namespace orbeta {

namespace {

constexpr QStringView kStampFormat = u"yyyyMMdd-HHmmss";

} // namespace

bool RecoveryFile::newerFirst(const RecoveryFile& a, const RecoveryFile& b) {
    return a.writtenAt != b.writtenAt ? a.writtenAt > b.writtenAt : a.sequence > b.sequence;
}

QString recoveryFileName(const QString& memoName, const QDateTime& at, int sequence) {
    QString stem = memoName;
    if (stem.endsWith(QLatin1String(".rtf")))
        stem.chop(4);
    return stem + QStringLiteral(".recovered-") + at.toString(kStampFormat) +
           (sequence > 0 ? QStringLiteral("-%1").arg(sequence) : QString()) +
           QStringLiteral(".rtf");
}

std::optional<RecoveryFile> recoveryFileOf(const QString& fileName) {
    // Never destroyed: names are looked at on threads that may outlive the static objects.
    static const QRegularExpression& pattern = *new QRegularExpression(
        QStringLiteral("^(\\d{6,8})\\.recovered-(\\d{8}-\\d{6})(?:-(\\d{1,6}))?\\.rtf$"));
    const QRegularExpressionMatch match = pattern.match(fileName);
    if (!match.hasMatch())
        return std::nullopt;
    return RecoveryFile{fileName, match.captured(1) + QStringLiteral(".rtf"),
                        QDateTime::fromString(match.captured(2), kStampFormat),
                        match.capturedView(3).toInt()};
}

} // namespace orbeta
