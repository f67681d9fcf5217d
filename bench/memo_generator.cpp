#include "memo_generator.h"

#include <QRandomGenerator>
#include <QString>
#include <QStringList>

namespace {

const char* const kHeader =
    "{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1033\\deflangfe1041{\\fonttbl{"
    "\\f0\\fnil\\fcharset128 "
    "\\'82\\'6c\\'82\\'72 "
    "\\'82\\'6f\\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}{\\f1\\fswiss\\fcharset0 "
    "Arial;}}\r\n{\\colortbl ;\\red255\\green0\\blue0;\\red0\\green0\\blue255;}\r\n"
    "\\viewkind4\\uc1\\pard\\lang1041\\f0\\fs24 ";

// Hiragana, katakana and common kanji, as Shift_JIS pairs.
QByteArray japanesePair(QRandomGenerator& random) {
    static const QByteArray pairs[] = {"\x82\xa0", "\x82\xa2", "\x82\xa4", "\x82\xa9", "\x82\xb7",
                                       "\x82\xcc", "\x82\xc9", "\x82\xf0", "\x83\x41", "\x83\x4a",
                                       "\x83\x5e", "\x83\x8c", "\x89\xef", "\x8b\x63", "\x97\x5c",
                                       "\x92\xe8", "\x93\xfa", "\x96\x7b", "\x8c\xea", "\x8e\x9e",
                                       "\x8a\xd4", "\x90\x6c", "\x95\x5c", "\x81\x42"};
    return pairs[random.bounded(static_cast<int>(std::size(pairs)))];
}

} // namespace

QByteArray richEditStyleMemo(qsizetype bytes, quint32 seed) {
    QRandomGenerator random(seed);
    static const QByteArray words[] = {"memo ", "meeting ", "12:30 ", "Tokyo ", "report ", "call "};
    QByteArray out(kHeader);
    out.reserve(bytes + 4096);
    int untilFormat = 40;
    int untilParagraph = 300;
    int state = 0;
    while (out.size() < bytes) {
        if (random.bounded(4) == 0) {
            out += words[random.bounded(static_cast<int>(std::size(words)))];
            untilFormat -= 6;
            untilParagraph -= 6;
        } else {
            for (const char byte : japanesePair(random)) {
                out += "\\'";
                out += QByteArray::number(static_cast<unsigned char>(byte), 16);
            }
            --untilFormat;
            --untilParagraph;
        }
        if (untilFormat <= 0) {
            static const char* const changes[] = {"\\b ",   "\\b0 ",  "\\i ",    "\\i0 ",
                                                  "\\cf1 ", "\\cf0 ", "\\ul ",   "\\ulnone ",
                                                  "\\f1 ",  "\\f0 ",  "\\fs32 ", "\\fs24 "};
            out += changes[state++ % std::size(changes)];
            untilFormat = 30 + static_cast<int>(random.bounded(20));
        }
        if (untilParagraph <= 0) {
            out += "\\par\r\n";
            untilParagraph = 200 + static_cast<int>(random.bounded(200));
        }
    }
    out += "\\par\r\n}\r\n";
    return out;
}

QByteArray tableMemo(int rows, int columns) {
    QByteArray out(kHeader);
    QByteArray definition("\\trowd\\trgaph108");
    for (int column = 1; column <= columns; ++column)
        definition += "\\cellx" + QByteArray::number(column * 1000);
    for (int row = 0; row < rows; ++row) {
        out += definition;
        for (int column = 0; column < columns; ++column)
            out += "\\pard\\intbl \\'89\\'ef\\'8b\\'63 " + QByteArray::number(row) + "\\cell ";
        out += "\\row\r\n";
    }
    out += "\\pard\\par\r\n}\r\n";
    return out;
}
