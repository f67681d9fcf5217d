#include "memo/file_snapshot.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace orbeta {

FileSnapshot FileSnapshot::of(const QByteArray& content) {
    return {true, content.size(), QCryptographicHash::hash(content, QCryptographicHash::Sha1)};
}

FileSnapshot FileSnapshot::of(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return missing();
    FileSnapshot snapshot{true, info.size(), {}};
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly))
        return snapshot; // there, but not to be read: no content to compare
    QCryptographicHash hash(QCryptographicHash::Sha1);
    hash.addData(&file);
    snapshot.digest = hash.result();
    return snapshot;
}

} // namespace orbeta
