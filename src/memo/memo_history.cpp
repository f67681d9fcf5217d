#include "memo/memo_history.h"

#include "app/clock.h"

#include <QRegularExpression>

#include <algorithm>
#include <optional>

namespace orbeta {

namespace {

constexpr QStringView kStampFormat = u"yyyyMMdd-HHmmss";
constexpr int kMaxPerSecond = 100000;

QString folderOf(const QString& memoName) {
    return MemoHistory::kFolder + u'/' + memoName;
}

bool newerFirst(const MemoHistory::Version& a, const MemoHistory::Version& b) {
    return a.replacedAt != b.replacedAt ? a.replacedAt > b.replacedAt : a.sequence > b.sequence;
}

// The time and sequence a version file's name gives; nothing for any other name.
std::optional<MemoHistory::Version> versionNamed(const QString& file) {
    static const QRegularExpression& versionName =
        *new QRegularExpression(QStringLiteral("^(\\d{8}-\\d{6})(?:-(\\d{1,6}))?\\.rtf$"));
    const QRegularExpressionMatch match = versionName.match(file);
    if (!match.hasMatch())
        return std::nullopt;
    // Taken apart by hand: QDateTime::fromString costs about twenty times as much, and a memo
    // may have hundreds of versions.
    const QStringView stamp = match.capturedView(1);
    const auto number = [stamp](qsizetype from, qsizetype length) {
        return stamp.mid(from, length).toInt();
    };
    const QDate date(number(0, 4), number(4, 2), number(6, 2));
    const QTime time(number(9, 2), number(11, 2), number(13, 2));
    if (!date.isValid() || !time.isValid())
        return std::nullopt;
    MemoHistory::Version version;
    version.replacedAt = QDateTime(date, time);
    version.sequence = match.capturedView(2).toInt();
    if (!version.replacedAt.isValid())
        return std::nullopt;
    return version;
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
    QList<Version> versions;
    const QString folder = folderOf(name);
    for (const QString& file : folder_->list(folder)) {
        std::optional<Version> version = versionNamed(file);
        if (!version)
            continue;
        version->path = folder + u'/' + file;
        version->size = folder_->status(version->path).size;
        versions.append(*version);
    }
    std::sort(versions.begin(), versions.end(), newerFirst);
    return versions;
}

bool MemoHistory::hasVersions(const QString& name) const {
    const QStringList files = folder_->list(folderOf(name));
    return std::any_of(files.cbegin(), files.cend(),
                       [](const QString& file) { return versionNamed(file).has_value(); });
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
