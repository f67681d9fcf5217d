#pragma once

#include "richtext/document_snapshot.h"
#include "store/memo_text.h"
#include "store/memo_version.h"
#include "store/opened_memo.h"
#include "store/searchable_text.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QTextDocument;
class QTimer;

namespace orbeta {

class BackgroundWork;
class Clock;
class FolderNames;
class FolderWatch;
class Journal;
class MemoFolder;
class MemoVersions;

// The memos of one folder, for every window: the only code that reads, writes, lists or watches
// their files. The memo window opens and saves a day's memo through it, and finds the memo's
// other versions here (earlier ones, sync copies, text kept at an unchosen end); what the other
// windows show of memos (the calendar's marks and tooltips, the search's index) it reads once,
// off the window thread, and keeps; it watches the folder and tells when a day's memo changed,
// saved here or by another program.
class MemoStore : public QObject {
    Q_OBJECT
public:
    // How changes from other programs are seen: from the system's notices about the folder,
    // where it gives them, or by looking at the files on view every few seconds.
    enum class Watch { Notices, Looks };

    // `stateFolder`: where unsaved text goes that cannot go beside its memo (Journal).
    MemoStore(const QString& folder, const Clock& clock, QObject* parent = nullptr,
              Watch watch = Watch::Notices, const QString& stateFolder = {});
    ~MemoStore() override;

    // The folder: what it is (device and inode), where it was when the program started, and
    // whether it has moved or gone since.
    quint64 folderDevice() const;
    quint64 folderInode() const;
    QString folderPath() const;
    bool folderMoved() const;
    bool folderRemoved() const;
    // A file of the folder as the user finds it now.
    QString shownPath(const QString& fileName) const;

    // A day's memo for the memo window, read on this thread: the one memo being opened.
    OpenedMemo open(QDate day, QTextDocument& document) const;
    // Saves it, and tells the windows at once.
    SaveResult save(OpenedMemo& opened, const QTextDocument& document);
    // Whether another program changed the file since it was opened, or since the user agreed to
    // replace it; `now` learns what is there now.
    bool changedSince(const OpenedMemo& opened, FileStamp* now = nullptr) const;

    // The other versions of a day's memo, newest first: text kept at an unchosen end, the sync
    // tools' copies, then what saves replaced and text closed without saving.
    QList<MemoVersion> versionsOf(QDate day) const;
    bool hasVersions(QDate day) const;
    VersionContent read(const MemoVersion& version) const;
    // Describes versions off this thread; each comes back with versionDescribed().
    void describe(const QList<MemoVersion>& versions);

    // The newest text kept at an unchosen end that the day's memo offers when it opens.
    std::optional<MemoVersion> recoveryOf(QDate day) const;
    // Keeps unsaved text of a memo for an end the user did not choose: beside the memo, or, where
    // it cannot go there, in the user's state folder. The same text is kept once. `where` learns
    // the file, as the user finds it.
    SaveOutcome writeRecovery(QDate day, const QTextDocument& document, QString* where = nullptr);
    // Text kept at an unchosen end that the user took into the memo, once the memo is saved, or
    // left: it becomes one of the memo's versions.
    void retireRecovery(QDate day, const MemoVersion& recovery);
    // Where the day's memo has both text kept at an unchosen end beside it and unsaved text in
    // the journal, the older of the two becomes one of its versions: the newer is offered.
    void settleRecoveries(QDate day);

    // The journal of unsaved text: what the memo window holds, written off this thread to the
    // user's state folder (Journal), durably, in the order asked; journalFailed() when it cannot
    // be written.
    void writeJournal(QDate day, rtf::DocumentSnapshot snapshot);
    // Text closed without saving: kept as the memo's newest version (unless the memo file holds
    // it already), and its journal ends.
    SaveOutcome keepUnsaved(QDate day, const QTextDocument& document);
    // The unsaved text of the day's memo is in the memo now, or kept as a version: its journal
    // ends, and a journal write still on its way is dropped.
    void endJournal(QDate day);

    // For printing: the days from `from` to `to` that have a memo file (not its copies or
    // versions), in date order, and a day's memo file as it is, read on this thread.
    QList<QDate> memoDays(QDate from, QDate to) const;
    VersionContent memoContent(QDate day) const;

    // What the calendar shows of a day.
    struct DaySummary {
        bool saysSomething = false;
        QString firstLines;
        QStringList copies; // the first few sync copies of the day's memo, fit to be shown
        int moreCopies = 0; // and how many more there are
    };
    static constexpr int kCopiesNamed = 5;
    // Day of the month to summary, for the days with a memo file or a sync copy: what is known
    // now. The rest is read off this thread and comes with daysChanged().
    QHash<int, DaySummary> month(int year, int month);

    // Searching: from now on every memo's text is read, once, and made searchable by `make` on
    // the reading threads.
    void startIndexing(MakeSearchable make);
    bool indexing() const { return static_cast<bool>(makeSearchable_); }
    // Whether files are being read or the folder looked at.
    bool reading() const { return !asked_.isEmpty() || looking_ > 0 || !listed_; }
    // A memo file or a sync copy under its day.
    struct DayMemo {
        QDate day;
        QString name;
        bool copy = false;
        bool operator==(const DayMemo&) const = default;
    };
    // The memo files and sync copies under their days, newest day first; on a day, its memo
    // before its copies.
    const QList<DayMemo>& days() const;
    // What was read of a file; nothing for a file not read yet or not there.
    const MemoText* textOf(const QString& name) const;
    int fileCount() const;
    int filesRead() const;
    // Grows whenever what was read, or which files there are, changed.
    quint64 generation() const { return generation_; }
    // Whether other programs' changes are seen as they happen; where not, the folder is looked
    // at every few seconds, and again when lookAgain() asks.
    bool watching() const;
    void lookAgain();

    // Milliseconds between looks at the files on view where the folder cannot be watched.
    static constexpr int kLookEveryMs = 3000;

Q_SIGNALS:
    // The memos of these days changed or were read, or their sync copies came or went; no days:
    // any day may have.
    void daysChanged(const QList<QDate>& days);
    void versionDescribed(const MemoVersion& version, const VersionDescription& description);
    void journalFailed(QDate day, const QString& reason);

private:
    void list();
    void takeListing(const FolderNames& names);
    void lookAt(const QStringList& names);
    void takeLook(const QStringList& asked, const QSet<QString>& present,
                  const QHash<QString, MemoText>& texts, const QHash<QString, quint64>& writes);
    void namesChanged(const QStringList& names);
    void lookAtShownFiles();
    QStringList filesOfMonth(int year, int month) const;
    bool complete(const MemoText& text) const;
    void setText(const QString& name, const MemoText& text);
    void dropText(const QString& name);
    void nameWritten(const QString& name, bool there);
    bool onShownPage(const QString& name) const;
    QStringList newestFirst() const;
    QList<MemoVersion> recoveriesOf(const QString& memoName) const;

    std::shared_ptr<const MemoFolder> folder_;
    const Clock& clock_;
    std::unique_ptr<MemoVersions> versions_;
    std::unique_ptr<Journal> journal_;
    std::unique_ptr<BackgroundWork> work_;
    std::unique_ptr<BackgroundWork> describing_;
    std::unique_ptr<BackgroundWork> journaling_;
    // Journal writes are dropped once the journal of their memo has ended.
    struct JournalEnds;
    std::shared_ptr<JournalEnds> journalEnds_;
    FolderWatch* watch_ = nullptr;
    QTimer* lookTimer_ = nullptr;
    int looksSinceListing_ = 0;

    bool listed_ = false;
    std::unique_ptr<FolderNames> names_;
    mutable QList<DayMemo> days_; // made from names_ when asked for
    mutable bool daysStale_ = true;
    int completeTexts_ = 0; // texts as complete as what is wanted of them now
    QHash<QString, MemoText> texts_;
    QSet<QString> asked_;            // being looked at
    QSet<QString> askAgain_;         // changed while being looked at
    QHash<QString, quint64> writes_; // how often this program wrote each name
    QSet<QString> writtenWhileListing_;
    QHash<QString, QByteArray> recoveryWritten_; // the digest of each memo's last recovery
    QHash<QString, QString> recoveryWrittenAt_;  // and where it went
    QHash<QString, QList<MemoVersion>> recoveriesWritten_; // by this program, for each memo
    int looking_ = 0;                                      // listings under way
    MakeSearchable makeSearchable_;
    int shownYear_ = 0; // the month the calendar last asked for
    int shownMonth_ = 0;
    quint64 generation_ = 0;
};

} // namespace orbeta
