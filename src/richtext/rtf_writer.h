#pragma once

#include <QByteArray>
#include <QString>

class QIODevice;
class QTextDocument;

namespace orbeta::rtf {

// Writes the document as RTF that this program, office suites and the Windows rich-edit control
// read alike: code page 932 header, every non-ASCII character as \uN with its code page 932 bytes
// as fallback, one group per formatted run, short lines. The same document always gives the same
// bytes. Pictures are looked up in `resources` (the document itself when not given), so a copy of
// a selection can still find the pictures of the document it was taken from.
QByteArray writeRtf(const QTextDocument& document, const QTextDocument* resources = nullptr);

// Writes to a device; false, with the device's reason in `error`, when not everything was
// written.
bool writeRtf(const QTextDocument& document, QIODevice& device, QString* error = nullptr);

} // namespace orbeta::rtf
