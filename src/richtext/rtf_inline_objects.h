#pragma once

#include <QByteArray>
#include <QImage>
#include <QSizeF>
#include <QString>
#include <QTextCharFormat>

class QTextDocument;

// What a memo holds that the editor cannot show as text or as a picture of its own: pictures
// and objects kept as their RTF groups, and hidden text. Each is one inline object in the
// document, so it moves, copies and deletes like a character, and the writer writes it back as
// it was read.
namespace orbeta::rtf {

inline constexpr int kEmbeddedObjectType = QTextFormat::UserObject + 1;
inline constexpr int kHiddenTextType = QTextFormat::UserObject + 2;

// A picture or object of the file, kept as its RTF group.
struct EmbeddedObject {
    QByteArray rtf; // the group as read, braces included
    QSizeF size;    // on the page, in logical pixels
    QImage image;   // what can be drawn of it; null: a framed placeholder
    QString label;  // what the placeholder says: "WMF", "EMF", "OLE", ...
};

QTextCharFormat embeddedObjectFormat(const EmbeddedObject& object);
bool isEmbeddedObject(const QTextFormat& format);
QByteArray embeddedObjectRtf(const QTextFormat& format);
QSizeF embeddedObjectSize(const QTextFormat& format);
QString embeddedObjectLabel(const QTextFormat& format);

// Hidden text (\v): an inline object that takes no room, in the text's own character format.
QTextCharFormat hiddenTextFormat(const QString& text, QTextCharFormat format);
bool isHiddenText(const QTextFormat& format);
QString hiddenText(const QTextFormat& format);

// Lets the document's layout draw its inline objects. Once for each document that is shown.
void showInlineObjects(QTextDocument& document);

} // namespace orbeta::rtf
