#include "richtext/rtf_reader.h"

#include "richtext/document_replacement.h"
#include "richtext/rtf_document_builder.h"
#include "richtext/rtf_reader_core.h"

#include <QTextCursor>
#include <QTextDocument>

namespace orbeta::rtf {

namespace {

bool skipsLikeBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

ReadResult readAt(QByteArrayView rtf, QTextCursor& cursor, bool pasting) {
    Reader reader(rtf, pasting);
    DocumentBuilder builder(cursor, reader.formats(), pasting, rtf.size());
    ReadResult result = reader.run(builder);
    if (builder.tableCut() && result.status == ReadStatus::Ok) {
        result.status = ReadStatus::Damaged;
        result.offset = rtf.size();
        result.problem = QStringLiteral("a table with more cells than the file can hold");
    }
    return result;
}

} // namespace

bool looksLikeRtf(QByteArrayView bytes) {
    if (bytes.startsWith("\xEF\xBB\xBF"))
        bytes = bytes.sliced(3);
    qsizetype start = 0;
    while (start < bytes.size() && skipsLikeBlank(bytes[start]))
        ++start;
    bytes = bytes.sliced(start);
    return bytes.startsWith("{\\rtf") || bytes.startsWith("{\\urtf");
}

ReadResult readRtf(QByteArrayView rtf, QTextDocument& document) {
    if (!looksLikeRtf(rtf))
        return ReadResult::notRtf();
    ReadResult result;
    replaceDocument(document, [&](QTextCursor& cursor) { result = readAt(rtf, cursor, false); });
    return result;
}

ReadResult insertRtf(QByteArrayView rtf, QTextCursor& cursor) {
    if (!looksLikeRtf(rtf))
        return ReadResult::notRtf();
    cursor.beginEditBlock();
    cursor.removeSelectedText();
    const ReadResult result = readAt(rtf, cursor, true);
    cursor.endEditBlock();
    return result;
}

} // namespace orbeta::rtf
