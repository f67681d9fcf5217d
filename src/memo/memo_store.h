#pragma once

#include "memo/conflict_copies.h"
#include "memo/folder_contents.h"
#include "memo/memo_file_name.h"
#include "memo/memo_files.h"
#include "memo/memo_folder.h"
#include "memo/memo_history.h"
#include "memo/memo_recovery.h"
#include "memo/memo_texts.h"

#include <QDate>
#include <QHash>
#include <QList>
#include <QObject>
#include <QSet>
#include <QString>

#include <memory>

class QTextDocument;
class QTimer;

namespace orbeta {

class BackgroundWork;
class Clock;
class FolderWatch;

// The memos of one folder, for every window: it names, reads, saves, backs up, keeps earlier
// versions of and recovers memo files, and it is the only code that touches them. What the
// windows show of memos other than the one being edited (the calendar's marks and tooltips, the
// search's index) it reads once, off the window thread, and keeps; it watches the folder and
// tells when a day's memo changed, saved here or by another program.
class MemoStore : public QObject {
    Q_OBJECT
public:
    // How changes from other programs are seen: from the system's notices about the folder,
    // where it gives them, or by looking at the files on view every few seconds.
    enum class Watch { Notices, Looks };

    MemoStore(const QString& folder, const Clock& clock, QObject* parent = nullptr,
              Watch watch = Watch::Notices);
    ~MemoStore() override;

    const MemoFolder& folder() const { return *folder_; }
    const MemoFiles& files() const { return files_; }
    const MemoHistory& history() const { return history_; }

    // One day's memo for the memo window: read on this thread, the one memo being opened.
    MemoFiles::Opened open(QDate day, QTextDocument& document) const {
        return files_.open(day, document);
    }
    // Saves it, and tells the windows at once.
    MemoFiles::Saved save(QDate day, const QTextDocument& document, MemoFiles::Opened& opened);
    bool changedSince(QDate day, const MemoFiles::Opened& opened,
                      FileVersion* now = nullptr) const {
        return files_.changedSince(day, opened, now);
    }

    // Keeps the text of a memo that cannot be saved now beside it, in a file of its own that no
    // other file has; `name` learns which.
    SaveOutcome keepRecovery(QDate day, const QTextDocument& document, QString* name = nullptr);
    // Recovery files of a day's memo, newest first.
    QList<RecoveryFile> recoveriesOf(QDate day) const;
    // A recovery file whose text has gone into the memo: it becomes one of the memo's versions.
    void retireRecovery(QDate day, const QString& name);
    // Conflict copies of a day's memo, as the folder was last seen.
    QList<ConflictCopy> conflictCopiesOf(QDate day) const;
    // Earlier versions of a day's memo, newest first.
    QList<MemoHistory::Version> versionsOf(QDate day) const;
    bool hasVersions(QDate day) const { return history_.hasVersions(memoSaveName(day)); }

    // What the calendar shows of a day.
    struct DaySummary {
        bool saysSomething = false;
        QString firstLines;
        QStringList copies; // conflict copies of the day's memo
    };
    // Day of the month to summary, for the days with a memo file or a conflict copy: what is
    // known now. The rest is read off this thread and comes with daysChanged().
    QHash<int, DaySummary> month(int year, int month);

    // Searching: from now on every memo's text is read, once, and kept folded.
    void startIndexing();
    bool indexing() const { return indexing_; }
    // Whether files are being read or the folder looked at.
    bool reading() const { return !asked_.isEmpty() || looking_ > 0 || !listed_; }
    using DayMemo = FolderContents::DayMemo;
    // The memo files and conflict copies under their days, newest day first.
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
    // The memos of these days changed or were read, or their conflict copies came or went; no
    // days: any day may have.
    void daysChanged(const QList<QDate>& days);

private:
    void list();
    void takeListing(const FolderContents& contents);
    void lookAt(const QStringList& names);
    void takeLook(const QStringList& asked, const QSet<QString>& present,
                  const QHash<QString, MemoText>& texts);
    void namesChanged(const QStringList& names);
    void lookAtShownFiles();
    QStringList filesOfMonth(int year, int month) const;
    bool complete(const MemoText& text) const;
    void setText(const QString& name, const MemoText& text);
    void dropText(const QString& name);
    bool onShownPage(const QString& name) const;
    QStringList newestFirst() const;

    std::shared_ptr<const MemoFolder> folder_;
    const Clock& clock_;
    MemoHistory history_;
    MemoFiles files_;
    std::unique_ptr<BackgroundWork> work_;
    FolderWatch* watch_ = nullptr;
    QTimer* lookTimer_ = nullptr;
    int looksSinceListing_ = 0;

    bool listed_ = false;
    FolderContents contents_;
    mutable QList<DayMemo> days_; // made from contents_ when asked for
    mutable bool daysStale_ = true;
    int completeTexts_ = 0; // texts as complete as what is wanted of them now
    QHash<QString, MemoText> texts_;
    QSet<QString> asked_; // being looked at
    QSet<QString> savedWhileListing_;
    int looking_ = 0; // listings under way
    bool indexing_ = false;
    int shownYear_ = 0; // the month the calendar last asked for
    int shownMonth_ = 0;
    quint64 generation_ = 0;
};

} // namespace orbeta
