#pragma once

#include <QByteArray>
#include <QString>

namespace orbeta {

// What a file held at one moment, to tell later whether another program has changed it since.
struct FileSnapshot {
    bool exists = false;
    qint64 size = 0;
    QByteArray digest; // of the content

    static FileSnapshot of(const QString& path);
    static FileSnapshot of(const QByteArray& content);
    static FileSnapshot missing() { return {}; }

    bool operator==(const FileSnapshot&) const = default;
};

} // namespace orbeta
