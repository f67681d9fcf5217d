#pragma once

#include "store/file_stamp.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>
#include <sys/types.h>

namespace orbeta {

// What reading a file gave. Only regular files inside the memo folder are read.
struct FileRead {
    enum class Outcome { Read, Missing, NotRegular, TooLarge, OutsideFolder, Failed };
    Outcome outcome = Outcome::Missing;
    QByteArray bytes;
    FileStamp stamp;
    int error = 0;       // Failed: the system's error number
    mode_t fileType = 0; // NotRegular: what is there (S_IFIFO, S_IFSOCK, ...)

    bool ok() const { return outcome == Outcome::Read; }
    // Why it could not be read, in Japanese; empty when it was.
    QString reason() const;
};

// The memo folder, known by what it is rather than by its path: every file is read and written
// through the folder's open descriptor, so that a folder renamed or moved while the program runs
// is still the folder it works on. Only regular files are opened for reading, without waiting,
// so a pipe or a device named like a memo can neither block nor feed the program. A symbolic link
// is followed only to a file inside the folder: what a link leads to outside it (planted by a
// sync tool's peer, say) is never read, shown or replaced. Folders inside it are never entered
// through a link.
class MemoFolder {
public:
    explicit MemoFolder(const QString& path = QStringLiteral("."));
    ~MemoFolder();
    MemoFolder(const MemoFolder&) = delete;
    MemoFolder& operator=(const MemoFolder&) = delete;

    // The path it was opened at, as the system named it then.
    const QString& startPath() const { return start_; }
    // Where it is now: its path changes when it is moved; empty when it was removed or could not
    // be opened.
    QString currentPath() const;
    bool removed() const;
    // Renamed or moved since it was opened.
    bool moved() const;
    // A file of it as the user finds it: absolute, where the folder is now.
    QString shownPath(const QString& name) const;

    // Reads a regular file of at most `limit` bytes; of a larger one, its first `limit` bytes
    // where `beginning` asks for them (the outcome is TooLarge all the same).
    enum class Larger { Refused, Beginning };
    FileRead read(const QString& name, qint64 limit, Larger larger = Larger::Refused) const;
    // How many files all folders have read on the thread of the windows: only the memo being
    // opened may be read there.
    static int readsOnWindowThread();
    // How many files all folders have read, on any thread.
    static int reads();
    // The stamp of what is at `name`, through a link inside the folder; nothing exists for a
    // dangling link or one that leads outside.
    FileStamp stamp(const QString& name) const;
    // Whether anything is at `name`, a link included.
    bool exists(const QString& name) const;
    // Whether a regular file is at `name` itself (not through a link).
    bool isRegularFile(const QString& name) const;
    // The names in the folder, or in a folder inside it (never through a link).
    QStringList list(const QString& subfolder = {}) const;

    // Writes a file completely or not at all: the bytes go into a new file beside it, which is
    // synced to the disk and renamed over the old one. A link inside the folder is written
    // through, where its file is. The new file gets `mode`, or the old file's permissions. A
    // file without write permission, a link that leads outside the folder or nowhere, a full
    // disk or a file-size limit fail the write, and the old file stays.
    SaveOutcome replace(const QString& name, QByteArrayView bytes,
                        std::optional<mode_t> mode = std::nullopt) const;
    // Whether `replace` may write `name`: nothing, or the reason it would refuse.
    std::optional<QString> refusalToReplace(const QString& name) const;
    // Removes a regular file, in the folder or in a folder inside it (never through a link).
    bool remove(const QString& path) const;

    // Opens a folder inside, never through a link; makes the missing ones where asked, and syncs
    // the folders that hold the ones made. -1 with `error` set when it cannot.
    int openSubfolder(const QString& relative, bool make, int* error = nullptr) const;

    int descriptor() const { return descriptor_; }
    quint64 device() const { return device_; }
    quint64 inode() const { return inode_; }

private:
    struct Place {
        int folder = -1; // the descriptor of the folder that holds it, owned by the caller
        QByteArray name; // its name in that folder
    };
    int openRegular(const QString& name, FileRead& read) const;
    std::optional<QByteArray> insidePath(int pathDescriptor) const;
    std::optional<Place> placeOf(const QString& path, bool make, int* error) const;

    QString start_;
    int descriptor_ = -1;
    quint64 device_ = 0;
    quint64 inode_ = 0;
};

// Syncs a folder's entries to the disk. Tests may ask which folders were synced.
void syncFolder(int descriptor);
class SyncedFolders {
public:
    SyncedFolders();
    ~SyncedFolders();
    // The device and inode of each folder synced while this was alive.
    QList<QPair<quint64, quint64>> folders() const;
};

} // namespace orbeta
