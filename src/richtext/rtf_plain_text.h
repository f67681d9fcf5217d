#pragma once

#include "richtext/rtf_reader.h"

#include <QByteArrayView>
#include <QString>

namespace orbeta::rtf {

// The text of an RTF document without building a document: paragraphs and table cells end with
// "\n", as the editor's plain text has them, and pictures and objects stand as U+FFFC. For
// searching memos, and for reading without a window system.
QString rtfPlainText(QByteArrayView rtf, ReadResult* result = nullptr);

} // namespace orbeta::rtf
