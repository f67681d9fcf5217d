#include "memo/memo_history.h"

#include "app/clock.h"

#include <QRegularExpression>

#include <algorithm>

namespace orbeta {

namespace {

const QString kStampFormat = QStringLiteral("yyyyMMdd-HHmmss");
constexpr int kMaxPerSecond = 100000;

QString folderOf(const QString& memoName) {
    return MemoHistory::kFolder + u'/' + memoName;
}

bool newerFirst(const MemoHistory::Version& a, const MemoHistory::Version& b) {
    return a.replacedAt != b.replacedAt ? a.replacedAt > b.replacedAt : a.sequence > b.sequence;
}

} // namespace

SaveOutcome MemoHistory::keep(const QString& name, QByteArrayView bytes, mode_t mode) const {
    // A save tried again after it failed replaces the same bytes: they are kept once.
    if (const QList<Version> versions = versionsOf(name);
        !versions.isEmpty() && versions.first().size == bytes.size() &&
        read(versions.first(), bytes.size()).bytes == bytes)
        return {true, {}};
    const QString folder = folderOf(name);
    if (const SaveOutcome made = folder_->makeFolders(folder); !made.ok)
        return made;
    const QString stamp = clock_.now().toString(kStampFormat);
    SaveOutcome kept{false, QStringLiteral("以前の版の名前が尽きました")};
    for (int sequence = 0; !kept.ok && sequence < kMaxPerSecond; ++sequence) {
        const QString file = folder + u'/' + stamp +
                             (sequence > 0 ? QStringLiteral("-%1").arg(sequence) : QString()) +
                             QStringLiteral(".rtf");
        if (folder_->exists(file))
            continue;
        kept = folder_->create(file, bytes, mode & 07777);
        if (!kept.ok && folder_->exists(file))
            continue; // made meanwhile, by a program beside this one
        if (!kept.ok)
            return kept;
    }
    return kept;
}

QList<MemoHistory::Version> MemoHistory::versionsOf(const QString& name) const {
    static const QRegularExpression versionName(
        QStringLiteral("^(\\d{8}-\\d{6})(?:-(\\d{1,6}))?\\.rtf$"));
    QList<Version> versions;
    const QString folder = folderOf(name);
    for (const QString& file : folder_->list(folder)) {
        const QRegularExpressionMatch match = versionName.match(file);
        if (!match.hasMatch())
            continue;
        Version version;
        version.path = folder + u'/' + file;
        version.replacedAt = QDateTime::fromString(match.captured(1), kStampFormat);
        version.sequence = match.captured(2).toInt();
        version.size = folder_->status(version.path).size;
        if (version.replacedAt.isValid())
            versions.append(version);
    }
    std::sort(versions.begin(), versions.end(), newerFirst);
    return versions;
}

void MemoHistory::prune(const QString& name) const {
    const QList<Version> versions = versionsOf(name);
    const QDateTime oldestKeptByAge = clock_.now().addDays(-kKeptDays);
    for (qsizetype i = kKeptNewest; i < versions.size(); ++i) {
        if (versions[i].replacedAt < oldestKeptByAge)
            folder_->remove(versions[i].path);
    }
}

FileRead MemoHistory::read(const Version& version, qint64 limit) const {
    return folder_->read(version.path, limit);
}

} // namespace orbeta
