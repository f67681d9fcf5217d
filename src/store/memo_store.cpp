#include "store/memo_store.h"

#include "app/background_work.h"
#include "app/clock.h"
#include "richtext/rtf_plain_text.h"
#include "richtext/rtf_writer.h"
#include "store/file_names.h"
#include "store/folder_names.h"
#include "store/folder_watch.h"
#include "store/journal.h"
#include "store/memo_folder.h"
#include "store/memo_limits.h"
#include "store/memo_names.h"
#include "store/memo_opening.h"
#include "store/memo_saving.h"
#include "store/memo_versions.h"
#include "store/new_file.h"
#include "store/recovery_files.h"
#include "store/sync_copies.h"
#include "store/text_reading.h"

#include <QTextDocument>
#include <QTimer>

#include <algorithm>
#include <mutex>

namespace orbeta {

namespace {

// Files read together, and reported together to the windows.
constexpr qsizetype kBatchFiles = 128;
// Where the folder cannot be watched, it is listed again this many looks apart, for the copies
// and recovery files that came meanwhile.
constexpr int kLooksBetweenListings = 20;
constexpr int kDescribedCharacters = 40;

bool hasText(const QString& name) {
    return !recoveryFileOf(name);
}

VersionDescription describeContent(const FileRead& read) {
    VersionDescription description;
    if (!read.ok()) {
        description.problem = read.reason();
        return description;
    }
    rtf::ReadResult result;
    QString text = rtf::rtfPlainText(read.bytes, &result);
    if (!result.isRtf())
        text = plainMemoText(read.bytes);
    description.damaged = result.status == rtf::ReadStatus::Damaged;
    description.firstLine = firstLines(text, 1, kDescribedCharacters);
    return description;
}

} // namespace

struct MemoStore::JournalEnds {
    std::mutex mutex;
    QHash<QString, quint64> ends; // of each memo's journal so far
};

MemoStore::MemoStore(const QString& folder, const Clock& clock, QObject* parent, Watch watch,
                     const QString& stateFolder)
    : QObject(parent), folder_(std::make_shared<const MemoFolder>(folder)), clock_(clock),
      versions_(std::make_unique<MemoVersions>(folder_, clock)),
      journal_(
          std::make_unique<Journal>(folder_->device(), folder_->inode(),
                                    stateFolder.isEmpty() ? Journal::stateFolder() : stateFolder)),
      work_(std::make_unique<BackgroundWork>(this)),
      describing_(std::make_unique<BackgroundWork>(this)),
      journaling_(std::make_unique<BackgroundWork>(this)),
      journalEnds_(std::make_shared<JournalEnds>()), names_(std::make_unique<FolderNames>()) {
    watch_ = new FolderWatch(*folder_, watch == Watch::Notices, &FolderNames::ofInterest, this);
    connect(watch_, &FolderWatch::changed, this, &MemoStore::namesChanged);
    connect(watch_, &FolderWatch::overflowed, this, [this] {
        list();
        if (!watch_->watching())
            lookTimer_->start();
    });
    lookTimer_ = new QTimer(this);
    lookTimer_->setInterval(kLookEveryMs);
    connect(lookTimer_, &QTimer::timeout, this, &MemoStore::lookAtShownFiles);
    if (!watch_->watching())
        lookTimer_->start();
    list();
}

MemoStore::~MemoStore() = default;

quint64 MemoStore::folderDevice() const {
    return folder_->device();
}

quint64 MemoStore::folderInode() const {
    return folder_->inode();
}

QString MemoStore::folderPath() const {
    return folder_->startPath();
}

bool MemoStore::folderMoved() const {
    return folder_->moved();
}

bool MemoStore::folderRemoved() const {
    return folder_->removed();
}

QString MemoStore::shownPath(const QString& fileName) const {
    return folder_->shownPath(fileName);
}

bool MemoStore::watching() const {
    return watch_->watching();
}

// Lists the folder off this thread; what it holds is then looked at again.
void MemoStore::list() {
    ++looking_;
    looksSinceListing_ = 0;
    work_->run(
        [this, folder = folder_](const BackgroundWork::Deliver& deliver, const std::atomic<bool>&) {
            auto names = std::make_shared<FolderNames>(folder->list());
            deliver([this, names] { takeListing(*names); });
        });
}

void MemoStore::takeListing(const FolderNames& names) {
    --looking_;
    listed_ = true;
    QStringList gone;
    for (auto text = texts_.cbegin(); text != texts_.cend(); ++text)
        if (!names.contains(text.key()))
            gone << text.key();
    for (const QString& name : std::as_const(gone))
        dropText(name);
    *names_ = names;
    daysStale_ = true;
    // Written here after the listing began: there, whatever the listing saw.
    for (const QString& name : std::as_const(writtenWhileListing_))
        names_->update(name, folder_->exists(name));
    writtenWhileListing_.clear();
    ++generation_;
    // A listing may follow changes that were not seen one by one: what is on view is looked at
    // again.
    lookAt(indexing() ? newestFirst() : filesOfMonth(shownYear_, shownMonth_));
    Q_EMIT daysChanged({});
}

// Looks at these files off this thread: whether they are there, and, for those on view or
// wanted for searching, what they say where that changed or was never read.
void MemoStore::lookAt(const QStringList& names) {
    QStringList wanted;
    QSet<QString> toRead; // the others are only looked for
    QHash<QString, MemoText> known;
    QHash<QString, quint64> writes;
    for (const QString& name : names) {
        if (asked_.contains(name))
            continue;
        asked_.insert(name);
        wanted << name;
        writes.insert(name, writes_.value(name));
        const auto text = texts_.constFind(name);
        if (text != texts_.cend() && (!indexing() || text->searchable))
            known.insert(name, *text);
        if (hasText(name) && (indexing() || text != texts_.cend() || onShownPage(name)))
            toRead.insert(name);
    }
    if (wanted.isEmpty())
        return;
    work_->run([this, folder = folder_, wanted, toRead, known, writes, make = makeSearchable_](
                   const BackgroundWork::Deliver& deliver, const std::atomic<bool>& stopping) {
        for (qsizetype from = 0; from < wanted.size() && !stopping; from += kBatchFiles) {
            const QStringList batch = wanted.mid(from, kBatchFiles);
            QSet<QString> present;
            QStringList reading;
            QHash<QString, MemoText> texts;
            for (const QString& name : batch) {
                if (!folder->exists(name))
                    continue;
                present.insert(name);
                if (!toRead.contains(name))
                    continue;
                const auto before = known.constFind(name);
                if (before != known.cend() && before->settled &&
                    before->stamp.sameFile(folder->stamp(name)))
                    texts.insert(name, *before);
                else
                    reading << name;
            }
            const QList<MemoText> read = readMemoTexts(*folder, reading, make, stopping);
            for (qsizetype i = 0; i < read.size(); ++i)
                texts.insert(reading.at(i), read.at(i));
            deliver(
                [this, batch, present, texts, writes] { takeLook(batch, present, texts, writes); });
        }
    });
}

void MemoStore::takeLook(const QStringList& asked, const QSet<QString>& present,
                         const QHash<QString, MemoText>& texts,
                         const QHash<QString, quint64>& writes) {
    QList<QDate> days;
    QStringList again;
    for (const QString& name : asked) {
        asked_.remove(name);
        if (askAgain_.remove(name))
            again << name;
        // Written here since the look began: what it found is older than what is known.
        if (writes_.value(name) != writes.value(name))
            continue;
        const bool there = present.contains(name);
        bool changed = names_->update(name, there);
        daysStale_ |= changed;
        const auto text = texts.constFind(name);
        if (!there) {
            changed |= texts_.contains(name);
            dropText(name);
        } else if (text != texts.cend()) {
            const auto before = texts_.constFind(name);
            changed |= before == texts_.cend() || !before->stamp.sameFile(text->stamp) ||
                       before->state != text->state || (!before->searchable && text->searchable);
            setText(name, *text);
        }
        if (changed)
            days << FolderNames::daysOf(name);
    }
    if (!days.isEmpty())
        ++generation_;
    if (!days.isEmpty() || (asked_.isEmpty() && again.isEmpty()))
        Q_EMIT daysChanged(days); // no days: reading has ended
    if (!again.isEmpty())
        lookAt(again);
}

void MemoStore::namesChanged(const QStringList& names) {
    QStringList wanted;
    for (const QString& name : names) {
        if (!FolderNames::ofInterest(name))
            continue;
        wanted << name;
        // Written since it was read: read again, whatever its stamp says.
        if (auto text = texts_.find(name); text != texts_.end())
            text->settled = false;
        // Being read now, perhaps from before the change: read once more when that is done.
        if (asked_.contains(name))
            askAgain_.insert(name);
    }
    lookAt(wanted);
}

// Where the folder cannot be watched: the files of the month on view, now and then, and the
// whole folder less often.
void MemoStore::lookAtShownFiles() {
    if (++looksSinceListing_ >= kLooksBetweenListings && looking_ == 0)
        list();
    if (shownYear_ == 0)
        return;
    QStringList names;
    const QDate first(shownYear_, shownMonth_, 1);
    for (int day = 1; day <= first.daysInMonth(); ++day) {
        const QDate date(shownYear_, shownMonth_, day);
        names << memoReadNames(date) << names_->copiesOf(date);
    }
    lookAt(names);
}

void MemoStore::lookAgain() {
    if (!watching() && looking_ == 0)
        list();
}

void MemoStore::startIndexing(MakeSearchable make) {
    if (indexing())
        return;
    makeSearchable_ = std::move(make);
    // What is being read now is read for the calendar only: read once more, for searching.
    askAgain_.unite(asked_);
    ++generation_;
    completeTexts_ = static_cast<int>(std::count_if(
        texts_.cbegin(), texts_.cend(), [this](const MemoText& text) { return complete(text); }));
    lookAt(newestFirst());
    Q_EMIT daysChanged({});
}

// Every file with a text, newest day first: the order searches go through them in, so that
// what was read together lies together in memory, and recent memos are found first.
QStringList MemoStore::newestFirst() const {
    QStringList names;
    QSet<QString> listed;
    for (const DayMemo& day : days())
        if (!listed.contains(day.name)) {
            listed.insert(day.name);
            names << day.name;
        }
    return names;
}

// Whether a file is of a day of the month the calendar shows.
bool MemoStore::onShownPage(const QString& name) const {
    const QList<QDate> days = FolderNames::daysOf(name);
    return std::any_of(days.cbegin(), days.cend(), [this](QDate day) {
        return day.year() == shownYear_ && day.month() == shownMonth_;
    });
}

QStringList MemoStore::filesOfMonth(int year, int month) const {
    QStringList names;
    if (year <= 0)
        return names;
    const QDate first(year, month, 1);
    for (int day = 1; day <= first.daysInMonth(); ++day) {
        const QDate date(year, month, day);
        if (const QString memo = names_->memoOf(date); !memo.isEmpty())
            names << memo;
        names << names_->copiesOf(date);
    }
    return names;
}

QHash<int, MemoStore::DaySummary> MemoStore::month(int year, int month) {
    shownYear_ = year;
    shownMonth_ = month;
    QHash<int, DaySummary> days;
    QStringList unread;
    const QDate first(year, month, 1);
    for (int day = 1; day <= first.daysInMonth(); ++day) {
        const QDate date(year, month, day);
        const QString memo = names_->memoOf(date);
        const QStringList copies = names_->copiesOf(date);
        if (memo.isEmpty() && copies.isEmpty())
            continue;
        DaySummary summary;
        for (qsizetype i = 0; i < copies.size() && i < kCopiesNamed; ++i)
            summary.copies << visibleName(copies.at(i));
        summary.moreCopies = static_cast<int>(std::max<qsizetype>(0, copies.size() - kCopiesNamed));
        if (const MemoText* text = textOf(memo)) {
            summary.saysSomething = text->saysSomething;
            summary.firstLines = text->firstLines;
        } else if (!memo.isEmpty()) {
            unread << memo;
        }
        days.insert(day, summary);
    }
    lookAt(unread);
    return days;
}

const QList<MemoStore::DayMemo>& MemoStore::days() const {
    if (daysStale_) {
        days_.clear();
        for (const FolderNames::DayMemo& day : names_->days())
            days_.append({day.day, day.name, day.copy});
        daysStale_ = false;
    }
    return days_;
}

const MemoText* MemoStore::textOf(const QString& name) const {
    const auto text = texts_.constFind(name);
    return text == texts_.cend() ? nullptr : &*text;
}

int MemoStore::fileCount() const {
    return names_->textFileCount();
}

int MemoStore::filesRead() const {
    return std::min(completeTexts_, fileCount());
}

// Read as far as is wanted now: made searchable once searching has begun.
bool MemoStore::complete(const MemoText& text) const {
    return text.state != MemoText::State::Waiting &&
           (!indexing() || text.searchable || text.state != MemoText::State::Read);
}

void MemoStore::setText(const QString& name, const MemoText& text) {
    dropText(name);
    completeTexts_ += complete(text);
    texts_.insert(name, text);
}

void MemoStore::dropText(const QString& name) {
    if (const auto text = texts_.constFind(name); text != texts_.cend()) {
        completeTexts_ -= complete(*text);
        texts_.erase(text);
    }
}

// A name this program wrote or removed: known at once, without waiting for the folder's notice.
void MemoStore::nameWritten(const QString& name, bool there) {
    ++writes_[name];
    daysStale_ |= names_->update(name, there);
    if (looking_ > 0)
        writtenWhileListing_.insert(name);
    ++generation_;
}

OpenedMemo MemoStore::open(QDate day, QTextDocument& document) const {
    return openMemo(*folder_, day, document);
}

SaveResult MemoStore::save(OpenedMemo& opened, const QTextDocument& document) {
    const QByteArray rtf = rtf::writeRtf(document);
    const SaveResult saved = saveMemo(*folder_, *versions_, rtf, opened);
    if (!saved.ok)
        return saved;
    const QString name = memoSaveName(opened.day);
    // Text kept for an unchosen end while the memo stayed open is older than what was saved:
    // one of its versions now.
    for (const MemoVersion& recovery : recoveriesWritten_.take(name))
        if (recovery.kind == MemoVersion::Kind::Recovered)
            retireRecovery(opened.day, recovery);
    endJournal(opened.day);
    recoveryWritten_.remove(name);
    MemoText text;
    text.state = MemoText::State::Read;
    text.stamp = folder_->stamp(name);
    const QString plain = document.toPlainText(); // read again from the file at its notice
    text.firstLines = firstLines(plain, MemoText::kPreviewLines, MemoText::kPreviewCharacters);
    text.saysSomething =
        !text.firstLines.isEmpty() || plain.contains(QChar::ObjectReplacementCharacter);
    if (indexing())
        text.searchable = makeSearchable_(plain);
    nameWritten(name, true);
    setText(name, text);
    Q_EMIT daysChanged(FolderNames::daysOf(name));
    return saved;
}

bool MemoStore::changedSince(const OpenedMemo& opened, FileStamp* now) const {
    return orbeta::changedSince(*folder_, opened, now);
}

QList<MemoVersion> MemoStore::recoveriesOf(const QString& memoName) const {
    QList<RecoveryFile> files;
    // Until the folder has been listed once, it is listed here.
    const QStringList names = listed_ ? names_->recoveriesOf(memoName) : folder_->list();
    for (const QString& name : names)
        if (const std::optional<RecoveryFile> recovery = recoveryFileOf(name);
            recovery && recovery->memoName == memoName && folder_->isRegularFile(name))
            files << *recovery;
    std::sort(files.begin(), files.end(), &RecoveryFile::newerFirst);
    QList<MemoVersion> recoveries;
    if (const std::optional<Journal::Entry> entry = journal_->entryOf(memoName))
        recoveries << MemoVersion{MemoVersion::Kind::Journal,
                                  entry->path,
                                  entry->path,
                                  entry->writtenAt,
                                  entry->size,
                                  {},
                                  {}};
    for (const RecoveryFile& file : std::as_const(files))
        recoveries << MemoVersion{MemoVersion::Kind::Recovered,
                                  file.name,
                                  visibleName(file.name),
                                  file.writtenAt,
                                  folder_->stamp(file.name).size,
                                  {},
                                  {}};
    std::stable_sort(
        recoveries.begin(), recoveries.end(),
        [](const MemoVersion& a, const MemoVersion& b) { return a.madeAt > b.madeAt; });
    return recoveries;
}

QList<MemoVersion> MemoStore::versionsOf(QDate day) const {
    const QString memo = memoSaveName(day);
    QList<MemoVersion> versions = recoveriesOf(memo);
    for (const QString& name : names_->copiesOf(day)) {
        const std::optional<SyncCopy> copy = syncCopyOf(name);
        if (!copy)
            continue;
        const FileStamp stamp = folder_->stamp(name);
        MemoVersion version{MemoVersion::Kind::SyncCopy,
                            name,
                            visibleName(name),
                            copy->madeAt,
                            stamp.size,
                            copy->tool,
                            {}};
        if (!stamp.exists)
            version.problem = folder_->read(name, 0).reason();
        versions << version;
    }
    for (const MemoVersions::Version& kept : versions_->list(memo))
        versions << MemoVersion{kept.unsaved ? MemoVersion::Kind::Unsaved
                                             : MemoVersion::Kind::Replaced,
                                kept.path,
                                kept.path.mid(kept.path.lastIndexOf(u'/') + 1),
                                kept.madeAt.toLocalTime(),
                                kept.size,
                                {},
                                {}};
    return versions;
}

bool MemoStore::hasVersions(QDate day) const {
    const QString memo = memoSaveName(day);
    return versions_->any(memo) || !names_->copiesOf(day).isEmpty() ||
           !recoveriesOf(memo).isEmpty();
}

VersionContent MemoStore::read(const MemoVersion& version) const {
    VersionContent content;
    if (version.kind == MemoVersion::Kind::Journal) {
        const QString memo = version.id.mid(version.id.lastIndexOf(u'/') + 1);
        content.bytes = journal_->read(memo, kMaxMemoFileBytes, &content.problem);
        return content;
    }
    const FileRead read = folder_->read(version.id, kMaxMemoFileBytes);
    content.bytes = read.bytes;
    content.problem = read.reason();
    return content;
}

void MemoStore::describe(const QList<MemoVersion>& versions) {
    describing_->run([this, folder = folder_, versions](const BackgroundWork::Deliver& deliver,
                                                        const std::atomic<bool>& stopping) {
        for (const MemoVersion& version : versions) {
            if (stopping)
                return;
            if (version.kind == MemoVersion::Kind::Journal)
                continue; // in the user's state folder: described on the window thread
            const VersionDescription description =
                describeContent(folder->read(version.id, kMaxMemoFileBytes));
            deliver(
                [this, version, description] { Q_EMIT versionDescribed(version, description); });
        }
    });
    for (const MemoVersion& version : versions)
        if (version.kind == MemoVersion::Kind::Journal) {
            const VersionContent content = read(version);
            FileRead read;
            read.outcome =
                content.problem.isEmpty() ? FileRead::Outcome::Read : FileRead::Outcome::Failed;
            read.bytes = content.bytes;
            Q_EMIT versionDescribed(version, describeContent(read));
        }
}

std::optional<MemoVersion> MemoStore::recoveryOf(QDate day) const {
    const QList<MemoVersion> recoveries = recoveriesOf(memoSaveName(day));
    if (recoveries.isEmpty())
        return std::nullopt;
    return recoveries.first();
}

SaveOutcome MemoStore::writeRecovery(QDate day, const QTextDocument& document, QString* where) {
    const QByteArray rtf = rtf::writeRtf(document);
    const QByteArray digest = contentDigest(rtf);
    const QString memo = memoSaveName(day);
    if (recoveryWritten_.value(memo) == digest) { // this text is kept already
        if (where)
            *where = recoveryWrittenAt_.value(memo);
        return {true, {}};
    }
    const FileStamp memoFile = folder_->stamp(memo);
    const mode_t mode = memoFile.exists ? memoFile.mode & 07777 : 0600;
    const QDateTime now = clock_.now();
    QString created;
    SaveOutcome kept = writeNewFile(
        *folder_, {}, [&](int sequence) { return recoveryFileName(memo, now, sequence); }, rtf,
        mode, &created);
    QString written;
    if (kept.ok) {
        nameWritten(created, true);
        written = folder_->shownPath(created);
        recoveriesWritten_[memo] << MemoVersion{
            MemoVersion::Kind::Recovered, created, created, now, rtf.size(), {}, {}};
    } else {
        // Beside the memo it cannot go (a full disk, the folder gone): in the user's own
        // state folder, where the next opening of the memo finds it.
        const SaveOutcome journal = journal_->write(memo, rtf);
        if (!journal.ok)
            return {false, QStringLiteral("%1（%2）、%3（%4）")
                               .arg(kept.reason, folder_->shownPath(memo), journal.reason,
                                    journal_->pathOf(memo))};
        kept = journal;
        written = journal_->pathOf(memo);
    }
    recoveryWritten_.insert(memo, digest);
    recoveryWrittenAt_.insert(memo, written);
    if (where)
        *where = written;
    return kept;
}

void MemoStore::retireRecovery(QDate day, const MemoVersion& recovery) {
    const QString memo = memoSaveName(day);
    const VersionContent content = read(recovery);
    if (!content.problem.isEmpty())
        return;
    const FileStamp memoFile = folder_->stamp(memo);
    const mode_t mode = memoFile.exists ? memoFile.mode : 0600;
    if (!versions_->addBytes(memo, content.bytes, mode).ok)
        return;
    if (recovery.kind == MemoVersion::Kind::Journal) {
        journal_->remove(memo);
    } else if (folder_->remove(recovery.id)) {
        nameWritten(recovery.id, false);
    }
    recoveryWritten_.remove(memo);
}

void MemoStore::settleRecoveries(QDate day) {
    const QString memo = memoSaveName(day);
    const std::optional<Journal::Entry> journal = journal_->entryOf(memo);
    if (!journal)
        return;
    const QList<MemoVersion> recoveries = recoveriesOf(memo);
    const auto file = std::find_if(recoveries.cbegin(), recoveries.cend(), [](const auto& r) {
        return r.kind == MemoVersion::Kind::Recovered;
    });
    if (file == recoveries.cend())
        return;
    const auto older = std::find_if(recoveries.cbegin(), recoveries.cend(), [&](const auto& r) {
        return r.kind == MemoVersion::Kind::Journal && r.madeAt < file->madeAt;
    });
    retireRecovery(day, older != recoveries.cend() ? *older : *file);
}

void MemoStore::writeJournal(QDate day, rtf::DocumentSnapshot snapshot) {
    const QString memo = memoSaveName(day);
    quint64 end = 0;
    {
        const std::lock_guard lock(journalEnds_->mutex);
        end = journalEnds_->ends.value(memo);
    }
    journaling_->run([this, day, memo, end, snapshot = std::move(snapshot),
                      journal = journal_.get(), ends = journalEnds_](
                         const BackgroundWork::Deliver& deliver, const std::atomic<bool>&) {
        const QByteArray rtf = snapshot.toRtf();
        const std::lock_guard lock(ends->mutex);
        if (ends->ends.value(memo) != end)
            return; // saved or closed meanwhile
        if (const SaveOutcome written = journal->write(memo, rtf); !written.ok)
            deliver([this, day, reason = written.reason] { Q_EMIT journalFailed(day, reason); });
    });
}

void MemoStore::endJournal(QDate day) {
    const QString memo = memoSaveName(day);
    const std::lock_guard lock(journalEnds_->mutex);
    ++journalEnds_->ends[memo];
    journal_->remove(memo);
}

SaveOutcome MemoStore::keepUnsaved(QDate day, const QTextDocument& document) {
    const QString memo = memoSaveName(day);
    const QByteArray rtf = rtf::writeRtf(document);
    const FileStamp memoFile = folder_->stamp(memo);
    SaveOutcome kept{true, {}};
    if (const FileRead current = folder_->read(memo, rtf.size());
        !current.ok() || current.bytes != rtf)
        kept = versions_->addBytes(memo, rtf, memoFile.exists ? memoFile.mode : 0600, true);
    if (kept.ok)
        endJournal(day);
    return kept;
}

QList<QDate> MemoStore::memoDays(QDate from, QDate to) const {
    QList<QDate> days;
    // Until the folder has been listed once, it is listed here.
    const FolderNames listedNow = listed_ ? FolderNames() : FolderNames(folder_->list());
    const FolderNames& names = listed_ ? *names_ : listedNow;
    for (QDate day = from; day.isValid() && day <= to; day = day.addDays(1))
        if (!names.memoOf(day).isEmpty())
            days << day;
    return days;
}

VersionContent MemoStore::memoContent(QDate day) const {
    VersionContent content;
    const QString name = memoFileOf(*folder_, day);
    if (name.isEmpty())
        return content;
    const FileRead read = folder_->read(name, kMaxMemoFileBytes);
    content.bytes = read.bytes;
    content.problem = read.reason();
    return content;
}

} // namespace orbeta
