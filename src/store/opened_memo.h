#pragma once

#include "store/file_stamp.h"

#include <QByteArray>
#include <QDate>
#include <QString>

#include <optional>

namespace orbeta {

// What opening a day's memo found, and what saving it must know: which file it replaces, as
// it was, and whether the original is to be kept beside it first.
struct OpenedMemo {
    enum class Found {
        Nothing,    // no file: an empty memo
        Rtf,        // read as RTF
        Damaged,    // RTF with damage: what could be read was
        PlainText,  // a file that is not RTF, shown as its text
        Unreadable, // there, but could not be read: an empty memo
        TooLarge,   // too large to edit: an empty memo
    };

    QDate day;
    Found found = Found::Nothing;
    QString name;                    // the file read, or that would have been
    QString reason;                  // Unreadable: why, in Japanese
    qint64 size = 0;                 // of the file read
    std::optional<QDate> sharedWith; // the other day, for a file under a name both share
    QByteArray original;             // Damaged, PlainText: the bytes read, for the backup
    QString backupName;              // where the original is kept on the first save
    bool backupWritten = false;      // it has been, once for this opening
    FileStamp saveTarget;            // the file a save replaces, as it was then
    bool saveTargetSettled = false;  // stamped long enough after it was written to tell a change
    QByteArray written;              // what the last save wrote, for its digest when wanted

    // Whether saving may replace what was read: not when it could not be shown whole.
    bool mayBeReplaced() const { return found != Found::Unreadable && found != Found::TooLarge; }
    // Whether the original must be kept beside the file before a save replaces it.
    bool needsBackup() const {
        return (found == Found::Damaged || found == Found::PlainText) && !sharedWith;
    }
};

struct SaveResult {
    bool ok = false;
    QString fileName; // as the user finds it
    QString error;
    QString backup;            // where the original was kept, if it was
    bool backupFailed = false; // the original could not be kept, so nothing was saved
    bool unchanged = false;    // the file held these bytes already: nothing was written
    // The replaced text could not become a version (the folder of versions cannot be written):
    // why, and where it was kept instead.
    QString versionProblem;
    QString replacedWrittenAs;
};

} // namespace orbeta
