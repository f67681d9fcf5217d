#include "memo/memo_store.h"

#include "app/background_work.h"
#include "app/clock.h"
#include "memo/folder_watch.h"
#include "memo/memo_text.h"
#include "richtext/rtf_writer.h"

#include <QDateTime>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>

namespace orbeta {

namespace {

// Files read together, and reported together to the windows.
constexpr qsizetype kBatchFiles = 128;
// Where the folder cannot be watched, it is listed again this many looks apart, for the copies
// and recovery files that came meanwhile.
constexpr int kLooksBetweenListings = 20;

bool hasText(const QString& name) {
    return !recoveryFileOf(name);
}

} // namespace

MemoStore::MemoStore(const QString& folder, const Clock& clock, QObject* parent, Watch watch)
    : QObject(parent), folder_(std::make_shared<const MemoFolder>(folder)), clock_(clock),
      history_(folder_, clock), files_(folder_, history_),
      work_(std::make_unique<BackgroundWork>(this)) {
    watch_ = new FolderWatch(*folder_, watch == Watch::Notices, this);
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

bool MemoStore::watching() const {
    return watch_->watching();
}

// Lists the folder off this thread; what it holds is then looked at again.
void MemoStore::list() {
    ++looking_;
    looksSinceListing_ = 0;
    work_->run(
        [this, folder = folder_](const BackgroundWork::Deliver& deliver, const std::atomic<bool>&) {
            FolderContents contents(folder->list());
            deliver([this, contents = std::move(contents)] { takeListing(contents); });
        });
}

void MemoStore::takeListing(const FolderContents& contents) {
    --looking_;
    listed_ = true;
    QStringList gone;
    for (auto text = texts_.cbegin(); text != texts_.cend(); ++text)
        if (!contents.contains(text.key()))
            gone << text.key();
    for (const QString& name : std::as_const(gone))
        dropText(name);
    contents_ = contents;
    daysStale_ = true;
    // Saved here after the listing began: there, whatever the listing saw.
    for (const QString& name : std::as_const(savedWhileListing_))
        contents_.update(name, true);
    savedWhileListing_.clear();
    ++generation_;
    // A listing may follow changes that were not seen one by one: what is on view is looked at
    // again.
    lookAt(indexing_ ? newestFirst() : filesOfMonth(shownYear_, shownMonth_));
    Q_EMIT daysChanged({});
}

// Looks at these files off this thread: whether they are there, and, for those on view or
// wanted for searching, what they say where that changed or was never read.
void MemoStore::lookAt(const QStringList& names) {
    QStringList wanted;
    QSet<QString> toRead; // the others are only looked for
    QHash<QString, MemoText> known;
    for (const QString& name : names) {
        if (asked_.contains(name))
            continue;
        asked_.insert(name);
        wanted << name;
        const auto text = texts_.constFind(name);
        if (text != texts_.cend() && (!indexing_ || text->folded))
            known.insert(name, *text);
        if (hasText(name) && (indexing_ || text != texts_.cend() || onShownPage(name)))
            toRead.insert(name);
    }
    if (wanted.isEmpty())
        return;
    const bool fold = indexing_;
    work_->run([this, folder = folder_, wanted, toRead, known,
                fold](const BackgroundWork::Deliver& deliver, const std::atomic<bool>& stopping) {
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
                    before->version.sameStatus(folder->status(name)))
                    texts.insert(name, *before);
                else
                    reading << name;
            }
            const QList<MemoText> read = readMemoTexts(*folder, reading, fold, stopping);
            for (qsizetype i = 0; i < read.size(); ++i)
                texts.insert(reading.at(i), read.at(i));
            deliver([this, batch, present, texts] { takeLook(batch, present, texts); });
        }
    });
}

void MemoStore::takeLook(const QStringList& asked, const QSet<QString>& present,
                         const QHash<QString, MemoText>& texts) {
    QList<QDate> days;
    for (const QString& name : asked) {
        asked_.remove(name);
        const bool there = present.contains(name);
        bool changed = contents_.update(name, there);
        daysStale_ |= changed;
        const auto text = texts.constFind(name);
        if (!there) {
            changed |= texts_.contains(name);
            dropText(name);
        } else if (text != texts.cend()) {
            const auto before = texts_.constFind(name);
            changed |= before == texts_.cend() || !before->version.sameStatus(text->version) ||
                       before->state != text->state || (!before->folded && text->folded);
            setText(name, *text);
        }
        if (changed)
            days << FolderContents::daysOf(name);
    }
    if (!days.isEmpty())
        ++generation_;
    if (!days.isEmpty() || asked_.isEmpty())
        Q_EMIT daysChanged(days); // no days: reading has ended
}

void MemoStore::namesChanged(const QStringList& names) {
    QStringList kept;
    for (const QString& name : names) {
        if (!FolderContents::kept(name))
            continue;
        kept << name;
        // Written since it was read: read again, whatever its version says.
        if (auto text = texts_.find(name); text != texts_.end())
            text->settled = false;
    }
    lookAt(kept);
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
        names << memoReadNames(date) << contents_.copiesOf(date);
    }
    lookAt(names);
}

void MemoStore::lookAgain() {
    if (!watching() && looking_ == 0)
        list();
}

void MemoStore::startIndexing() {
    if (indexing_)
        return;
    indexing_ = true;
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
    const QList<QDate> days = FolderContents::daysOf(name);
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
        if (const QString memo = contents_.memoOf(date); !memo.isEmpty())
            names << memo;
        names << contents_.copiesOf(date);
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
        const QString memo = contents_.memoOf(date);
        const QStringList copies = contents_.copiesOf(date);
        if (memo.isEmpty() && copies.isEmpty())
            continue;
        DaySummary summary;
        summary.copies = copies;
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
        days_ = contents_.days();
        daysStale_ = false;
    }
    return days_;
}

const MemoText* MemoStore::textOf(const QString& name) const {
    const auto text = texts_.constFind(name);
    return text == texts_.cend() ? nullptr : &*text;
}

int MemoStore::fileCount() const {
    return contents_.textFileCount();
}

int MemoStore::filesRead() const {
    return std::min(completeTexts_, fileCount());
}

// Read as far as is wanted now: folded for searching once searching has begun.
bool MemoStore::complete(const MemoText& text) const {
    return text.state != MemoText::State::Waiting &&
           (!indexing_ || text.folded || text.state != MemoText::State::Read);
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

MemoFiles::Saved MemoStore::save(QDate day, const QTextDocument& document,
                                 MemoFiles::Opened& opened) {
    const QByteArray rtf = rtf::writeRtf(document);
    const MemoFiles::Saved saved = files_.save(day, rtf, &opened);
    if (!saved.ok)
        return saved;
    // What was saved is known at once, without waiting for the folder's notice.
    const QString name = memoSaveName(day);
    MemoText text;
    text.state = MemoText::State::Read;
    text.version = folder_->status(name);
    const QString plain = document.toPlainText(); // read again from the file at its notice
    text.firstLines = firstLines(plain, MemoText::kPreviewLines, MemoText::kPreviewCharacters);
    text.saysSomething = !text.firstLines.isEmpty();
    if (indexing_)
        text.folded = std::make_shared<const FoldedText>(plain);
    setText(name, text);
    daysStale_ |= contents_.update(name, true);
    if (looking_ > 0)
        savedWhileListing_.insert(name);
    ++generation_;
    Q_EMIT daysChanged(FolderContents::daysOf(name));
    return saved;
}

SaveOutcome MemoStore::keepRecovery(QDate day, const QTextDocument& document, QString* name) {
    const QByteArray rtf = rtf::writeRtf(document);
    const QString memo = memoSaveName(day);
    const FileVersion memoFile = folder_->status(memo);
    const mode_t mode = memoFile.exists ? memoFile.mode & 07777 : 0600;
    const QDateTime now = clock_.now();
    for (int sequence = 0; sequence < 1000; ++sequence) {
        const QString candidate = recoveryFileName(memo, now, sequence);
        if (folder_->exists(candidate))
            continue;
        const SaveOutcome kept = folder_->create(candidate, rtf, mode);
        if (!kept.ok && folder_->exists(candidate))
            continue;
        if (kept.ok)
            daysStale_ |= contents_.update(candidate, true);
        if (kept.ok && name)
            *name = candidate;
        return kept;
    }
    return {false, QStringLiteral("復元用のファイルの名前が尽きました")};
}

QList<RecoveryFile> MemoStore::recoveriesOf(QDate day) const {
    QList<RecoveryFile> recoveries;
    const QString memo = memoSaveName(day);
    // Until the folder has been listed once, it is listed here.
    const QStringList names = listed_ ? contents_.recoveriesOf(memo) : folder_->list();
    for (const QString& name : names)
        if (const std::optional<RecoveryFile> recovery = recoveryFileOf(name);
            recovery && recovery->memoName == memo)
            recoveries << *recovery;
    std::sort(recoveries.begin(), recoveries.end(),
              [](const RecoveryFile& a, const RecoveryFile& b) { return a.name > b.name; });
    return recoveries;
}

void MemoStore::retireRecovery(QDate day, const QString& name) {
    const FileRead read = folder_->read(name, MemoFiles::kMaxReadBytes);
    if (read.ok() && history_.keep(memoSaveName(day), read.bytes, read.version.mode).ok &&
        folder_->remove(name))
        daysStale_ |= contents_.update(name, false);
}

QList<ConflictCopy> MemoStore::conflictCopiesOf(QDate day) const {
    QList<ConflictCopy> copies;
    for (const QString& name : contents_.copiesOf(day))
        if (const std::optional<ConflictCopy> copy = conflictCopyOf(name))
            copies << *copy;
    return copies;
}

QList<MemoHistory::Version> MemoStore::versionsOf(QDate day) const {
    return history_.versionsOf(memoSaveName(day));
}

} // namespace orbeta
