#pragma once

#include "store/file_stamp.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>

#include <optional>

namespace orbeta {

// Unsaved text of memos, on the user's own disk: written as it is typed, and where the program
// must end and the text cannot go beside the memo. It lives in the user's state folder, local to
// the machine, so that no sync tool carries it to another machine where it would be offered as
// someone's unsaved text: $XDG_STATE_HOME/orbeta/unsaved/folder-DEV-INODE/NAME (else
// ~/.local/state/...), DEV and INODE those of the memo folder, NAME the memo's file name; the
// folders are the user's alone (0700) and each text too (0600).
class Journal {
public:
    // The state folder the environment names: $XDG_STATE_HOME, else ~/.local/state.
    static QString stateFolder();

    Journal(quint64 folderDevice, quint64 folderInode, const QString& stateFolder);

    // Replaces the unsaved text of a memo, durably; fails rather than write anywhere another user
    // may read.
    SaveOutcome write(const QString& memoName, QByteArrayView rtf) const;

    struct Entry {
        QString path; // as the user finds it
        QDateTime writtenAt;
        qint64 size = 0;
    };
    // The unsaved text of a memo, where there is one.
    std::optional<Entry> entryOf(const QString& memoName) const;
    QByteArray read(const QString& memoName, qint64 limit, QString* problem = nullptr) const;
    void remove(const QString& memoName) const;
    // Where a memo's unsaved text goes, as the user finds it.
    QString pathOf(const QString& memoName) const;

private:
    QString folder_; // of this memo folder's texts
};

} // namespace orbeta
