#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>
#include <sys/types.h>

namespace orbeta {

// Which version of a file is on disk, and, where its content was read, a digest of it.
struct FileVersion {
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    quint64 inode = 0;
    quint64 device = 0;
    mode_t mode = 0;
    QByteArray digest; // SHA-1 of the content; empty where it was not read

    // The same file as far as its status tells: another program's save changes at least one of
    // these (unless it writes again within the step of the file clock that it was read in).
    bool sameStatus(const FileVersion& other) const;
    // The same content: a file written again with what it held counts as unchanged.
    bool sameContent(const FileVersion& other) const;
    // Written long enough before `nowMs` (milliseconds since the epoch) for its status to tell
    // a later change: file times move in steps of a few milliseconds.
    bool settledAt(qint64 nowMs) const;
};

// What reading a file gave. Only regular files are read.
struct FileRead {
    enum class Outcome { Read, Missing, NotRegular, TooLarge, Failed };
    Outcome outcome = Outcome::Missing;
    QByteArray bytes;
    FileVersion version;
    int error = 0;       // Failed: the system's error number
    mode_t fileType = 0; // NotRegular: what is there (S_IFIFO, S_IFSOCK, ...)

    bool ok() const { return outcome == Outcome::Read; }
    // Why it could not be read, in Japanese; empty when it was.
    QString reason() const;
};

struct SaveOutcome {
    bool ok = false;
    QString reason; // why not, in Japanese
};

// The memo folder, known by what it is rather than by its path: every file is read and written
// through the folder's open descriptor, so that a folder renamed or moved while the program runs
// is still the folder it works on. Only regular files are ever opened for reading, without
// waiting, so a pipe or a device named like a memo can neither block nor feed the program.
class MemoFolder {
public:
    explicit MemoFolder(const QString& path = QStringLiteral("."));
    ~MemoFolder();
    MemoFolder(const MemoFolder&) = delete;
    MemoFolder& operator=(const MemoFolder&) = delete;

    // The path it was opened at, as given, and as the system named it then.
    const QString& givenPath() const { return given_; }
    const QString& startPath() const { return start_; }
    // Where it is now: its path changes when it is moved; empty when it was removed or could not
    // be opened.
    QString currentPath() const;
    bool removed() const;
    // Renamed or moved since it was opened.
    bool moved() const;
    // A file of it as the user finds it: absolute, where the folder is now.
    QString shownPath(const QString& name) const;

    // Reads a regular file of at most `limit` bytes.
    FileRead read(const QString& name, qint64 limit) const;
    // How many files all folders have read on the thread of the windows: only the memo being
    // opened may be read there.
    static int readsOnWindowThread();
    // The status of what is at `name`, following links; nothing exists for a dangling link.
    FileVersion status(const QString& name) const;
    // Whether anything is at `name`, a dangling link included.
    bool exists(const QString& name) const;
    // The names in the folder, or in a folder inside it.
    QStringList list(const QString& subfolder = {}) const;

    // Writes a file completely or not at all: the bytes go into a new file beside it, which is
    // synced to the disk and renamed over the old one. The new file gets `mode`, or the old
    // file's permissions. A full disk or a file-size limit fails the write that meets it, and
    // the old file stays.
    SaveOutcome replace(const QString& name, QByteArrayView bytes,
                        std::optional<mode_t> mode = std::nullopt) const;
    // Writes a file that must be new: it fails rather than replace anything.
    SaveOutcome create(const QString& name, QByteArrayView bytes, mode_t mode) const;
    // Makes a folder inside, and the folders above it that are missing.
    SaveOutcome makeFolders(const QString& relative) const;
    bool remove(const QString& name) const;
    bool rename(const QString& from, const QString& to) const;

    // The descriptor, for watching the folder.
    int descriptor() const { return descriptor_; }
    // The device and inode of the folder.
    quint64 device() const { return device_; }
    quint64 inode() const { return inode_; }

private:
    int openRegular(const QString& name, FileRead& read) const;
    SaveOutcome createInPlace(const QString& name, QByteArrayView bytes, mode_t mode) const;

    QString given_;
    QString start_;
    int descriptor_ = -1;
    quint64 device_ = 0;
    quint64 inode_ = 0;
};

} // namespace orbeta
