#include "memo_generator.h"

#include <QBuffer>
#include <QImage>

#include "richtext/code_pages.h"

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

QByteArray picturesMemo(int count, qsizetype bytes) {
    QByteArray out(kHeader);
    for (int i = 0; i < count; ++i) {
        // Noise does not compress: a JPEG of about the size asked for.
        QImage image(QSize(1000, 700), QImage::Format_RGB32);
        quint32 seed = static_cast<quint32>(i * 7919 + 1);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                seed = seed * 1664525u + 1013904223u;
                line[x] = seed | 0xff000000u;
            }
        }
        QByteArray jpeg;
        int quality = 95;
        do {
            jpeg.clear();
            QBuffer buffer(&jpeg);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "JPEG", quality);
            quality -= 5;
        } while (jpeg.size() > bytes && quality > 10);
        out += "photo " + QByteArray::number(i + 1) +
               "\\par {\\pict\\jpegblip\\picw1000\\pich700 " + jpeg.toHex() + "}\\par\r\n";
    }
    out += "}\r\n";
    return out;
}

QByteArray mergedColumnMemo(int rows) {
    QByteArray out(kHeader);
    for (int row = 0; row < rows; ++row)
        out += (row == 0 ? "\\trowd\\clvmgf\\cellx1000\\cellx2000\\pard\\intbl merged\\cell "
                         : "\\trowd\\clvmrg\\cellx1000\\cellx2000\\pard\\intbl \\cell ") +
               QByteArray::number(row) + "\\cell\\row\r\n";
    out += "\\pard\\par\r\n}\r\n";
    return out;
}

QByteArray dayMemo(qsizetype bytes, quint32 seed) {
    static const char16_t* const nouns[] = {
        u"会議",         u"打ち合わせ", u"東京",     u"大阪",       u"買い物",   u"病院",
        u"誕生日",       u"天気",       u"散歩",     u"ラーメン",   u"電話",     u"メール",
        u"プロジェクト", u"資料",       u"締め切り", u"カレンダー", u"コーヒー", u"図書館",
        u"映画",         u"新幹線",     u"旅行",     u"家族",       u"子供",     u"お弁当",
        u"歯医者",       u"銀行",       u"郵便局",   u"ケーキ",     u"サッカー", u"ピアノ"};
    static const char16_t* const endings[] = {
        u"に行った。",     u"があった。",     u"を予約した。",    u"について話した。",
        u"の準備をする。", u"が楽しかった。", u"を忘れないこと。"};
    static const char* const latin[] = {"10:00 ", "12:30 ", "memo ", "Tokyo ", "OK ", "TODO "};
    static const char* const changes[] = {"\\b ",  "\\b0 ",     "\\cf1 ",  "\\cf0 ",
                                          "\\ul ", "\\ulnone ", "\\fs32 ", "\\fs24 "};
    QRandomGenerator random(seed);
    orbeta::rtf::CodePageEncoder shiftJis(932);
    const auto japanese = [&](QByteArray& out, const char16_t* text) {
        for (; *text; ++text) {
            const auto encoded = shiftJis.encode(*text);
            for (int i = 0; i < encoded.size; ++i)
                out += "\\'" + QByteArray::number(encoded.bytes[i], 16);
        }
    };
    QByteArray out(kHeader);
    int state = 0;
    while (out.size() < bytes) {
        const int sentences = 1 + static_cast<int>(random.bounded(3));
        for (int i = 0; i < sentences; ++i) {
            if (random.bounded(3) == 0)
                out += latin[random.bounded(static_cast<int>(std::size(latin)))];
            japanese(out, nouns[random.bounded(static_cast<int>(std::size(nouns)))]);
            japanese(out, endings[random.bounded(static_cast<int>(std::size(endings)))]);
            if (random.bounded(4) == 0)
                out += changes[state++ % std::size(changes)];
        }
        out += "\\par\r\n";
    }
    out += "}\r\n";
    return out;
}
