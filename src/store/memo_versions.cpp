#include "store/memo_versions.h"

#include "app/clock.h"
#include "store/new_file.h"

#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <optional>

namespace orbeta {

namespace {

constexpr QStringView kStampFormat = u"yyyyMMdd-HHmmss";
constexpr qint64 kHourSecs = 3600;

bool newerFirst(const MemoVersions::Version& a, const MemoVersions::Version& b) {
    return a.madeAt != b.madeAt ? a.madeAt > b.madeAt : a.sequence > b.sequence;
}

QString versionName(const QDateTime& at, int sequence, bool unsaved) {
    return at.toUTC().toString(kStampFormat) + u'Z' +
           (sequence > 0 ? QStringLiteral("-%1").arg(sequence) : QString()) +
           (unsaved ? QStringLiteral(".unsaved.rtf") : QStringLiteral(".rtf"));
}

// The time and sequence a version file's name gives; nothing for any other name.
std::optional<MemoVersions::Version> versionNamed(const QString& file) {
    // Never destroyed: versions may be listed while the program ends.
    static const QRegularExpression& pattern = *new QRegularExpression(
        QStringLiteral("^(\\d{8}-\\d{6})(Z?)(?:-(\\d{1,6}))?(\\.unsaved)?\\.rtf$"));
    const QRegularExpressionMatch match = pattern.match(file);
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
    MemoVersions::Version version;
    const bool universal = !match.capturedView(2).isEmpty();
    version.madeAt = QDateTime(date, time, universal ? Qt::UTC : Qt::LocalTime).toUTC();
    version.sequence = match.capturedView(3).toInt();
    version.unsaved = !match.capturedView(4).isEmpty();
    if (!version.madeAt.isValid())
        return std::nullopt;
    return version;
}

} // namespace

QString MemoVersions::folderOf(const QString& memoName) {
    return kFolder + u'/' + memoName;
}

SaveOutcome MemoVersions::add(const QString& memoName, const FileRead& current) {
    if (const auto kept = lastAdded_.constFind(memoName);
        kept != lastAdded_.cend() && kept->sameFile(current.stamp))
        return {true, {}}; // kept at a save that then failed
    const QDateTime now = clock_.now();
    const NameFor nameFor = [&now](int sequence) {
        return versionName(now, sequence, false);
    };
    std::optional<SaveOutcome> kept = linkNewFile(*folder_, folderOf(memoName), nameFor, memoName);
    if (!kept) {
        FileRead whole = current;
        if (whole.bytes.size() != whole.stamp.size)
            whole = folder_->read(memoName, whole.stamp.size);
        if (!whole.ok() && whole.outcome != FileRead::Outcome::Missing)
            return {false, whole.reason()};
        kept = writeNewFile(*folder_, folderOf(memoName), nameFor, whole.bytes,
                            current.stamp.mode & 07777);
    }
    if (kept->ok)
        lastAdded_.insert(memoName, current.stamp);
    return *kept;
}

SaveOutcome MemoVersions::addBytes(const QString& memoName, QByteArrayView bytes, mode_t mode,
                                   bool unsaved, QString* path) {
    const QDateTime now = clock_.now();
    return writeNewFile(
        *folder_, folderOf(memoName),
        [&](int sequence) { return versionName(now, sequence, unsaved); }, bytes, mode & 07777,
        path);
}

QList<MemoVersions::Version> MemoVersions::list(const QString& memoName) const {
    QList<Version> versions;
    const QString folder = folderOf(memoName);
    for (const QString& file : folder_->list(folder)) {
        std::optional<Version> version = versionNamed(file);
        if (!version)
            continue;
        version->path = folder + u'/' + file;
        version->size = folder_->stamp(version->path).size;
        versions.append(*version);
    }
    std::sort(versions.begin(), versions.end(), newerFirst);
    return versions;
}

bool MemoVersions::any(const QString& memoName) const {
    const QStringList files = folder_->list(folderOf(memoName));
    return std::any_of(files.cbegin(), files.cend(),
                       [](const QString& file) { return versionNamed(file).has_value(); });
}

void MemoVersions::prune(const QString& memoName) const {
    const QList<Version> versions = list(memoName);
    const qint64 now = clock_.now().toSecsSinceEpoch();
    QSet<qint64> hoursKept;
    int oldKept = 0;
    for (qsizetype i = 0; i < versions.size(); ++i) {
        const qint64 made = versions[i].madeAt.toSecsSinceEpoch();
        const qint64 age = now - made;
        bool keep = false;
        if (age >= 0 && age < kAllKeptHours * kHourSecs) {
            keep = true;
        } else if (age >= 0 && age < kHourlyKeptDays * 24 * kHourSecs) {
            const qint64 hour = made / kHourSecs;
            keep = !hoursKept.contains(hour); // the newest of its hour
            hoursKept.insert(hour);
        } else { // old, or from a clock that was once ahead: never young for good
            keep = oldKept++ < kOldKept;
        }
        if (!keep && i > 0) // the newest stays whatever its age
            folder_->remove(versions[i].path);
    }
}

FileRead MemoVersions::read(const Version& version, qint64 limit) const {
    return folder_->read(version.path, limit);
}

} // namespace orbeta
