#pragma once

#include "richtext/rtf_keywords.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QSize>
#include <QString>
#include <QTextImageFormat>

#include <optional>

class QTextDocument;

namespace orbeta::rtf {

enum class PictureKind { Unknown, Png, Jpeg };

// A \pict group as it is read: its kind, its sizes and its bytes (hexadecimal or \bin).
struct PictureData {
    PictureKind kind = PictureKind::Unknown;
    QByteArray bytes;
    int pixelWidth = 0;  // \picw
    int pixelHeight = 0; // \pich
    int goalWidth = 0;   // \picwgoal, twips
    int goalHeight = 0;  // \pichgoal, twips
    int scaleX = 100;    // \picscalex, percent
    int scaleY = 100;

    void word(Kw word, int value); // \pngblip, \picw, \picwgoal, ...
    void addHex(QByteArrayView text);
    void addBinary(QByteArrayView data);

private:
    int pendingNibble_ = -1;
};

// Adds the picture to the document's resources and returns the format that shows it, or
// nothing for kinds the program does not show and for bytes that are no picture.
std::optional<QTextImageFormat> placePicture(const PictureData& picture, QTextDocument& document);

// A picture of the document ready to be written: PNG or JPEG bytes and the size it is shown at.
struct StoredPicture {
    PictureKind kind = PictureKind::Unknown;
    QByteArray bytes;
    QSize pixels;       // of the image itself
    QSizeF shownPixels; // on the page
};

std::optional<StoredPicture> storedPicture(const QTextDocument& resources,
                                           const QTextImageFormat& format);

} // namespace orbeta::rtf
