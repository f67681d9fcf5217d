#pragma once

#include "richtext/rtf_kept_group.h"

#include <QByteArray>
#include <QImage>
#include <QSizeF>
#include <QString>
#include <QTextCharFormat>

class QTextDocument;

// What a memo holds that the editor cannot show as text or as a picture of its own: pictures
// and objects kept as their RTF groups, groups whose text is not shown (headers, footnotes,
// comments, shapes) kept the same way, and hidden text. Each is one inline object in the
// document, so it moves, copies and deletes like a character, and the writer writes it back as
// it was read.
namespace orbeta::rtf {

inline constexpr int kEmbeddedObjectType = QTextFormat::UserObject + 1;
inline constexpr int kHiddenTextType = QTextFormat::UserObject + 2;

// A picture, an object or a group of the file that is not shown, kept as its RTF group.
struct EmbeddedObject {
    KeptGroup group;
    QSizeF size;   // on the page, in logical pixels; none for a group that is not shown
    QImage image;  // what can be drawn of it; null: a framed placeholder
    QString label; // what the placeholder says: "WMF", "EMF", "OLE", ...
};

QTextCharFormat embeddedObjectFormat(const EmbeddedObject& object);
bool isEmbeddedObject(const QTextFormat& format);
// An embedded group whose text is not shown (a header, a footnote): it takes no room.
bool isUnshownGroup(const QTextFormat& format);
KeptGroup embeddedObjectGroup(const QTextFormat& format);
QSizeF embeddedObjectSize(const QTextFormat& format);
QString embeddedObjectLabel(const QTextFormat& format);

// Hidden text (\v): an inline object that takes no room, in the text's own character format.
QTextCharFormat hiddenTextFormat(const QString& text, QTextCharFormat format);
bool isHiddenText(const QTextFormat& format);
QString hiddenText(const QTextFormat& format);

// Lets the document's layout draw its inline objects. Once for each document that is shown.
void showInlineObjects(QTextDocument& document);

} // namespace orbeta::rtf
