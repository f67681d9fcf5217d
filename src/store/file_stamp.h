#pragma once

#include <QByteArray>
#include <QString>

#include <sys/types.h>

namespace orbeta {

// What tells one state of a file from another: its identity on the disk and, where its content
// was read, a digest of that content.
struct FileStamp {
    bool exists = false;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    quint64 inode = 0;
    quint64 device = 0;
    mode_t mode = 0;
    QByteArray digest; // of the content; empty where it was not read

    // The same file in the same state as far as the system tells: another program's save
    // changes at least one of these, unless it writes again within the step of the file clock
    // that it was read in (see settledAt).
    bool sameFile(const FileStamp& other) const;
    // The same content: a file written again with what it held counts as unchanged.
    bool sameContent(const FileStamp& other) const;
    // Written long enough before `nowMs` (milliseconds since the epoch) for its stamp to tell a
    // later change: file times move in steps of a few milliseconds.
    bool settledAt(qint64 nowMs) const;
};

// A digest of content, as FileStamp keeps it.
QByteArray contentDigest(QByteArrayView bytes);

struct SaveOutcome {
    bool ok = false;
    QString reason; // why not, in Japanese
};

} // namespace orbeta
