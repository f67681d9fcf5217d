#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace orbeta {

// Which version of a file is on disk: another program's save changes at least one of these.
struct FileStamp {
    qint64 size = 0;
    qint64 modifiedNs = 0;
    quint64 inode = 0;
    quint64 device = 0;

    bool operator==(const FileStamp&) const = default;
};

// Whether a file so stamped was last written long enough before `readAtMs` (milliseconds since
// the epoch) for its stamp to tell a later change. File times move in steps of a few
// milliseconds: a file written again within the step that it was read in keeps its stamp, so one
// written just before it was read must be read again.
bool settledStamp(const FileStamp& stamp, qint64 readAtMs);

// The stamp of a file, or nothing when there is no regular file at the path.
std::optional<FileStamp> stampOf(const QString& path);

struct FileRead {
    QByteArray bytes;
    int error = 0; // errno of what failed
    qint64 size = 0;
    bool tooLarge = false;
    FileStamp stamp; // of the file read
};

// Reads a whole file of at most `limit` bytes, telling why not in the system's words: a missing
// permission, an I/O error, a file that went away after it was seen, a folder in its place.
FileRead readWholeFile(const QString& path, qint64 limit);

} // namespace orbeta
