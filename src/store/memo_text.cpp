#include "store/memo_text.h"

#include "richtext/code_pages.h"
#include "richtext/rtf_plain_text.h"

#include <QStringDecoder>

#include <algorithm>

namespace orbeta {

QString plainMemoText(const QByteArray& bytes) {
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder utf16(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                          : QStringDecoder::Utf16BE);
        return utf16.decode(QByteArrayView(bytes).sliced(2));
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(bytes);
    if (!utf8.hasError())
        return text;
    text.clear();
    rtf::CodePageDecoder(rtf::kShiftJis).decode(bytes, text);
    return text;
}

QString memoFileText(const QByteArray& bytes) {
    rtf::ReadResult result;
    QString text = rtf::rtfPlainText(bytes, &result);
    return result.isRtf() ? text : plainMemoText(bytes);
}

QString firstLines(QStringView text, int lines, qsizetype characters, MoreLines more) {
    QString shown;
    int count = 0;
    for (qsizetype start = 0; start <= text.size();) {
        qsizetype end = text.indexOf(u'\n', start);
        if (end < 0)
            end = text.size();
        // A picture stands in the text as one object character: no line says it.
        QString said = text.sliced(start, end - start).toString();
        said.remove(QChar::ObjectReplacementCharacter);
        const QStringView line = QStringView(said).trimmed();
        start = end + 1;
        if (line.isEmpty())
            continue;
        if (++count > lines)
            return more == MoreLines::Marked ? shown + u'…' : shown;
        if (!shown.isEmpty())
            shown += u'\n';
        const qsizetype room = std::max<qsizetype>(0, characters - shown.size());
        if (line.size() > room)
            return (shown += line.first(room)).trimmed() + u'…';
        shown += line;
    }
    return shown;
}

} // namespace orbeta
