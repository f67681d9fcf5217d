#pragma once

#include "richtext/rtf_inline_objects.h"
#include "richtext/rtf_keywords.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QSize>
#include <QString>
#include <QTextImageFormat>

#include <optional>

class QTextDocument;

namespace orbeta::rtf {

enum class PictureKind {
    Unknown,
    Png,
    Jpeg,
    Emf,        // \emfblip
    Wmf,        // \wmetafileN
    Dib,        // \dibitmapN: a device-independent bitmap without its file header
    Bitmap,     // \wbitmapN: a device-dependent bitmap
    MacPict,    // \macpict
    Os2Metafile // \pmmetafileN
};

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
    int crop[4] = {};          // \piccropl, \piccropr, \piccropt, \piccropb, twips
    QByteArray groups;         // \*\picprop and \*\blipuid, as they stand
    Kw kindWord = Kw::Unknown; // the word that gave the kind, and its number
    int kindParameter = 0;

    void word(Kw word, int value); // \pngblip, \picw, \picwgoal, ...
    void addHex(QByteArrayView text);
    void addBinary(QByteArrayView data);

private:
    int pendingNibble_ = -1;
};

// Adds a PNG or JPEG picture to the document's resources and returns the format that shows it;
// nothing for other kinds and for bytes that Qt cannot read as the picture they claim to be.
std::optional<QTextImageFormat> placePicture(const PictureData& picture, QTextDocument& document);

// Any other picture, kept as its group, at the size the group gives, drawn where Qt can. Without
// a group (the one read was damaged) it is kept as a group made of what was read of it.
EmbeddedObject embeddedPicture(const PictureData& picture, const KeptGroup& group = {});

// An \object group as it is read: its size and the picture of its \result.
struct ObjectData {
    int width = 0;    // \objw, twips
    int height = 0;   // \objh, twips
    int scaleX = 100; // \objscalex, percent
    int scaleY = 100;
    std::optional<PictureData> result;

    void word(Kw word, int value);
};

// The object kept as its group, shown as its result's picture where Qt can draw it. Without a
// group (the one read was damaged) only the result's picture is kept, if there is one.
std::optional<EmbeddedObject> embeddedObject(const ObjectData& object, const KeptGroup& group);

// A picture of the document ready to be written: PNG or JPEG bytes and the size it is shown at.
struct StoredPicture {
    PictureKind kind = PictureKind::Unknown;
    QByteArray bytes;
    QSize pixels;       // of the image itself
    QSizeF shownPixels; // on the page
    QList<int> crop;    // \piccropl, r, t, b as read; empty: none
    QByteArray groups;  // kept groups of the picture, as read
};

std::optional<StoredPicture> storedPicture(const QTextDocument& resources,
                                           const QTextImageFormat& format);

} // namespace orbeta::rtf
