#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <optional>

namespace orbeta {

// A picture made ready to go into a memo: the bytes the memo keeps (PNG or JPEG) and its size in
// pixels, or why it cannot go in.
struct IncomingPicture {
    QByteArray bytes;
    QSize pixels;
    QString problem; // in Japanese; empty when the picture is ready

    bool ready() const { return problem.isEmpty(); }

    // A PNG or JPEG file of at most 2 MB and 2048 pixels on its longer side is kept byte for
    // byte as it came; anything larger, and any other format Qt reads, is scaled to at most 2048
    // pixels on its longer side, its shape kept, and kept as JPEG, or as PNG where it has
    // transparency. Of a picture with many frames, the first. A picture of more than 100 million
    // pixels is not decoded at all.
    static IncomingPicture fromFile(const QString& path);
    static IncomingPicture fromBytes(const QByteArray& bytes);
    // A bitmap from the clipboard has no file: it is kept as PNG, within the same bounds.
    static IncomingPicture fromImage(const QImage& image);

    static constexpr qint64 kMostBytesKept = 2 * 1024 * 1024;
    static constexpr int kLongestSide = 2048;
    static constexpr qint64 kMostPixels = 100'000'000;
};

} // namespace orbeta
