#pragma once

#include "memo/memo_folder.h"
#include "memo/memo_history.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <memory>
#include <optional>

class QTextDocument;

namespace orbeta {

// The memos of the folder, one file per day: reading one into a document, and writing a
// document back as it, so that nothing the user did not see is replaced without a copy.
class MemoFiles {
public:
    MemoFiles(std::shared_ptr<const MemoFolder> folder, MemoHistory& history)
        : folder_(std::move(folder)), history_(history) {}

    const MemoFolder& folder() const { return *folder_; }

    // Larger files are not read at all, and memos of more characters are not shown: Qt's editor
    // stops answering for minutes while it lays out text so long.
    static constexpr qint64 kMaxReadBytes = 32 * 1024 * 1024;
    static constexpr qint64 kMaxEditableCharacters = 2'000'000;

    enum class Found {
        Nothing,    // no file: an empty memo
        Rtf,        // read as RTF
        Damaged,    // RTF with damage: what could be read was
        PlainText,  // a file that is not RTF, shown as its text
        Unreadable, // there, but could not be read: an empty memo
        TooLarge,   // too large to edit: an empty memo
    };

    // What opening a day's memo found.
    struct Opened {
        QDate day;
        Found found = Found::Nothing;
        QString name;                    // the file read, or that would have been
        QString reason;                  // Unreadable: why, in Japanese
        qint64 size = 0;                 // of the file read
        std::optional<QDate> sharedWith; // the other day, for a file under a name both share
        QByteArray original;             // Damaged, PlainText: the bytes read, for the backup
        QString backupName;              // where the original is kept on the first save
        bool backupKept = false;         // it has been kept, once for this opening
        FileVersion saveTarget;          // the file a save replaces, as it was then

        // Whether saving may replace what was read: not when it could not be shown whole.
        bool mayBeReplaced() const {
            return found != Found::Unreadable && found != Found::TooLarge;
        }
        // Whether the original must be kept beside the file before a save replaces it.
        bool needsBackup() const {
            return (found == Found::Damaged || found == Found::PlainText) && !sharedWith;
        }
    };

    // Reads the day's memo into the document, replacing what it held; whatever cannot be read
    // leaves it empty.
    Opened open(QDate day, QTextDocument& document) const;

    struct Saved {
        bool ok = false;
        QString fileName; // as the user finds it
        QString error;
        QString backup;            // where the original was kept, if it was
        bool backupFailed = false; // the original could not be kept, so nothing was saved
        bool unchanged = false;    // the file held these bytes already: nothing was written
    };
    // Writes the document as the day's memo, replacing the file only once the new one is
    // completely written: a failed save leaves the old file as it was. The bytes it replaces
    // are kept as a version first; where `opened` says so, the original is also kept beside the
    // file, once for the opening, under a name no file has yet. `opened` learns the file's new
    // version.
    Saved save(QDate day, const QTextDocument& document, Opened* opened = nullptr) const;
    Saved save(QDate day, const QByteArray& rtf, Opened* opened = nullptr) const;

    // Whether the file a save would replace is no longer what it was when the memo was read, or
    // when the user last agreed to replace it: changed, removed, or made since by another
    // program. `now`, where given, is what it is now.
    bool changedSince(QDate day, const Opened& opened, FileVersion* now = nullptr) const;

    // The file the day's memo is read from: its save name or, failing that, the name older
    // versions used; empty when the day has no memo file.
    QString fileOf(QDate day) const;

    // The file as the user finds it.
    QString shownPath(const QString& name) const { return folder_->shownPath(name); }

    // What is at a file now, with a digest of its content.
    FileVersion contentVersion(const QString& name) const;

private:
    std::shared_ptr<const MemoFolder> folder_;
    MemoHistory& history_;
};

// A name beside `name` that no file has: NAME.bak, then NAME.1.bak, NAME.2.bak, ...
QString freeBackupName(const MemoFolder& folder, const QString& name);

// A digest of a file's content, as FileVersion keeps it.
QByteArray contentDigest(const QByteArray& bytes);

} // namespace orbeta
