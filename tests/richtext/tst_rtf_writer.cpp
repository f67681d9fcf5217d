#include "richtext/code_pages.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"
#include "support/document_dump.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

using namespace orbeta::rtf;

namespace {

QTextDocument* memoDocument(QObject* parent) {
    auto* document = new QTextDocument(parent);
    QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
    font.setPointSize(12);
    document->setDefaultFont(font);
    return document;
}

QByteArray bodyOf(const QByteArray& rtf) {
    const qsizetype start = rtf.indexOf("\\viewkind4\\uc1");
    return start < 0 ? QByteArray() : rtf.mid(start + 14).chopped(3); // without "}\r\n"
}

} // namespace

class TestRtfWriter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void headerHasCodePage932AndJapaneseFontTable() {
        QTextDocument* document = memoDocument(this);
        QTextCursor(document).insertText(QStringLiteral("a"));
        const QByteArray rtf = writeRtf(*document);
        QVERIFY2(rtf.startsWith("{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1033\\deflangfe1041"
                                "{\\fonttbl{\\f0\\fnil\\fcharset128\\'82\\'6c\\'82\\'72 "
                                "\\'82\\'6f\\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}}\r\n"),
                 rtf.constData());
        QCOMPARE(bodyOf(rtf), QByteArray("\\pard{\\fs24 a}\\par\r\n"));
    }

    void charactersAreWrittenWithTheirFallback_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("body");
        QTest::newRow("ascii and escapes")
            << "a\\{b}" << QByteArray("\\pard{\\fs24 a\\\\\\{b\\}}\\par\r\n");
        QTest::newRow("kanji: two bytes")
            << "日本"
            << QByteArray("\\pard{\\fs24\\uc2\\u26085\\'93\\'fa\\u26412\\'96\\'7b}\\par\r\n");
        QTest::newRow("half-width kana: one byte")
            << "ｱ" << QByteArray("\\pard{\\fs24\\u-143\\'b1}\\par\r\n");
        QTest::newRow("not in code page 932")
            << "é" << QByteArray("\\pard{\\fs24\\u233?}\\par\r\n");
        QTest::newRow("yen is a backslash byte")
            << "¥" << QByteArray("\\pard{\\fs24\\u165\\'5c}\\par\r\n");
        QTest::newRow("beyond the BMP")
            << "😀" << QByteArray("\\pard{\\fs24\\u-10179?\\u-8704?}\\par\r\n");
        QTest::newRow("windows-31j rows")
            << "～①ⅰ"
            << QByteArray("\\pard{\\fs24\\uc2\\u-162\\'81\\'60\\u9312\\'87\\'40\\u8560\\'fa\\'40}"
                          "\\par\r\n");
        // The rich-edit control drops \-, so the soft hyphen is written as the character.
        QTest::newRow("specials") << "a\tb\u2028c\u00a0\u00ad\u2011"
                                  << QByteArray(
                                         "\\pard{\\fs24 a\\tab b\\line c\\~\\u173?\\_}\\par\r\n");
        QTest::newRow("word then digit") << "\t1" << QByteArray("\\pard{\\fs24\\tab 1}\\par\r\n");
        QTest::newRow("kanji then ascii")
            << "日a" << QByteArray("\\pard{\\fs24\\uc2\\u26085\\'93\\'faa}\\par\r\n");
    }
    void charactersAreWrittenWithTheirFallback() {
        QFETCH(QString, text);
        QFETCH(QByteArray, body);
        QTextDocument* document = memoDocument(this);
        QTextCursor(document).insertText(text);
        const QByteArray rtf = writeRtf(*document);
        QCOMPARE(bodyOf(rtf), body);
        QTextDocument back;
        readRtf(rtf, back);
        QCOMPARE(back.toRawText(), text);
    }

    void fallbackBytesDecodeAsTheTextForReadersWithoutUnicode() {
        // A reader that knows no \u reads the code page 932 bytes instead.
        QTextDocument* document = memoDocument(this);
        QTextCursor(document).insertText(QStringLiteral("会議 ｶﾀｶﾅ ～"));
        QByteArray rtf = writeRtf(*document);
        rtf.replace("\\u", "\\ignoredu");
        QTextDocument back;
        readRtf(rtf, back);
        QCOMPARE(back.toPlainText(), QStringLiteral("会議 ｶﾀｶﾅ ～"));
    }

    void linesStayShortAndOutputIsDeterministic() {
        QTextDocument* document = memoDocument(this);
        QTextCursor cursor(document);
        for (int i = 0; i < 200; ++i) {
            QTextCharFormat format;
            format.setFontWeight(i % 2 ? QFont::Bold : QFont::Normal);
            cursor.insertText(QStringLiteral("長い行のテキスト long line text %1 ").arg(i), format);
        }
        const QByteArray rtf = writeRtf(*document);
        for (const QByteArray& line : rtf.split('\n'))
            QVERIFY2(line.size() <= 300, line.left(80).constData());
        QCOMPARE(writeRtf(*document), rtf);
        QTextDocument back;
        readRtf(rtf, back);
        QCOMPARE(back.toPlainText(), document->toPlainText());
        QCOMPARE(dumpDocument(back), dumpDocument(*document));
    }

    void goldenFilesSurviveWritingAndReadingAgain_data() {
        QTest::addColumn<QString>("file");
        const QDir data(QStringLiteral(ORBETA_TEST_DATA));
        for (const QString& name :
             data.entryList({QStringLiteral("*.rtf")}, QDir::Files, QDir::Name))
            QTest::newRow(qPrintable(name)) << data.filePath(name);
    }
    void goldenFilesSurviveWritingAndReadingAgain() {
        QFETCH(QString, file);
        QFile input(file);
        QVERIFY(input.open(QIODevice::ReadOnly));
        QTextDocument first;
        readRtf(input.readAll(), first);
        const QByteArray written = writeRtf(first);
        QTextDocument second;
        QCOMPARE(readRtf(written, second).status, ReadStatus::Ok);
        QCOMPARE(dumpDocument(second), dumpDocument(first));
        QCOMPARE(second.defaultFont().family(), first.defaultFont().family());
        QCOMPARE(writeRtf(second), written);
    }

    // Given a memo with pictures Qt cannot show, an object and hidden text, saving it writes each
    // picture and object group byte for byte as it was, and the hidden text hidden.
    void picturesObjectsAndHiddenTextAreKept() {
        QFile file(QStringLiteral(ORBETA_TEST_DATA "/pictures_windows.rtf"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray original = file.readAll();
        QTextDocument document;
        readRtf(original, document);
        const QByteArray written = writeRtf(document);
        for (const char* start :
             {"{\\pict\\wmetafile8", "{\\pict\\emfblip", "{\\pict\\dibitmap0", "{\\object"}) {
            const qsizetype at = original.indexOf(start);
            qsizetype end = at;
            for (int depth = 0; end < original.size(); ++end) {
                depth += original[end] == '{' ? 1 : original[end] == '}' ? -1 : 0;
                if (depth == 0)
                    break;
            }
            QVERIFY2(written.contains(original.mid(at, end - at + 1)), start);
        }
        QVERIFY(
            written.contains("{\\v\\f0\\fs24\\uc2\\u-26976\\'89\\'42\\u12375\\'82\\'b5 hidden}"));
    }

    // A damaged picture group is not written back as it stands: what was read of it is.
    void damagedPictureIsWrittenWhole() {
        QTextDocument document;
        QCOMPARE(
            readRtf("{\\rtf1 a{\\pict\\wmetafile8\\picw10\\pich10 0102\\'8}b}", document).status,
            ReadStatus::Damaged);
        const QByteArray rtf = writeRtf(document);
        QTextDocument back;
        QCOMPARE(readRtf(rtf, back).status, ReadStatus::Ok);
        QVERIFY2(rtf.contains("{\\pict\\wmetafile8\\picw10\\pich10"), rtf.constData());
        QVERIFY(rtf.contains(" 0102}"));
    }

    // Fonts keep the character set they were read with, and their names and the fallback bytes
    // of their text are in its code page; fonts new to the memo get the set of their text.
    void fontsKeepTheirCharacterSets() {
        QFile file(QStringLiteral(ORBETA_TEST_DATA "/codepages.rtf"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QTextDocument document;
        readRtf(file.readAll(), document);
        QTextCursor cursor(&document);
        cursor.movePosition(QTextCursor::End);
        QTextCharFormat korean;
        korean.setFontFamilies({QStringLiteral("Malgun Gothic")});
        cursor.insertText(QStringLiteral("안녕"), korean);
        QTextCharFormat odd;
        odd.setFontFamilies({QStringLiteral("Odd;Name")});
        cursor.insertText(QStringLiteral("x"), odd);
        const QByteArray rtf = writeRtf(document).replace("\r\n", "");
        QVERIFY(rtf.contains("\\fcharset204 Arial Cyr;"));
        QVERIFY(
            rtf.contains("\\fcharset129\\'b8\\'bc\\'c0\\'ba \\'b0\\'ed\\'b5\\'f1;")); // 맑은 고딕
        QVERIFY(rtf.contains("\\u1055\\'cf")); // П, and its byte in code page 1251
        QVERIFY(rtf.contains("\\fcharset129 Malgun Gothic;"));
        QVERIFY(rtf.contains("{\\f0\\fnil\\fcharset0 Times New Roman;}"));
        QVERIFY(rtf.contains("Odd\\'3bName;"));
        QTextDocument back;
        readRtf(rtf, back);
        QVERIFY(QTextCursor(back.find(QStringLiteral("x")))
                    .charFormat()
                    .fontFamilies()
                    .toStringList() == QStringList{QStringLiteral("Odd;Name")});
    }

    void sizesRaisingAndSpacingAsOtherProgramsRead() {
        QTextDocument document;
        readRtf("{\\rtf1 a{\\up6 b}{\\dn4 c}\\par\\pard\\sl-240\\slmult1 d\\par"
                "\\pard\\sl-360\\slmult1 e\\par}",
                document);
        const QByteArray rtf = writeRtf(document);
        QVERIFY(rtf.contains("{\\fs24 a}{\\fs24\\up6 b}{\\fs24\\dn4 c}\\par"));
        QVERIFY(rtf.contains("\\pard{\\fs24 d}\\par"));
        QVERIFY(rtf.contains("\\sl360\\slmult1"));
        QVERIFY(rtf.contains("{\\*\\generator Orbeta "));
    }

    void failedWriteIsReported() {
        QTextDocument* document = memoDocument(this);
        QTextCursor(document).insertText(QStringLiteral("text"));
        QFile full(QStringLiteral("/dev/full"));
        QVERIFY(full.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
        QString error;
        QVERIFY(!writeRtf(*document, full, &error));
        QVERIFY(!error.isEmpty());

        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(writeRtf(*document, buffer, &error));
        QCOMPARE(buffer.data(), writeRtf(*document));
    }

    void windows31jMappings_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("wave dash is fullwidth tilde") << QByteArray("\x81\x60") << "\uFF5E";
        QTest::newRow("fullwidth reverse solidus") << QByteArray("\x81\x5F") << "\uFF3C";
        QTest::newRow("fullwidth hyphen-minus") << QByteArray("\x81\x7C") << "\uFF0D";
        QTest::newRow("NEC circled digits") << QByteArray("\x87\x40\x87\x53") << "①⑳";
        QTest::newRow("NEC roman numerals") << QByteArray("\x87\x54\x87\x5D") << "ⅠⅩ";
        QTest::newRow("IBM small roman") << QByteArray("\xFA\x40") << "ⅰ";
        QTest::newRow("NEC-selected IBM rows") << QByteArray("\xED\x40\xEE\xEF") << "纊ⅰ";
        QTest::newRow("half-width katakana") << QByteArray("\xB1\xDF") << "ｱﾟ";
        QTest::newRow("trail byte 5C") << QByteArray("\x95\x5C") << "表";
        QTest::newRow("undecodable byte") << QByteArray("a\xA0"
                                                        "b")
                                          << "a\uFFFDb";
    }
    void windows31jMappings() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QString decoded;
        CodePageDecoder(932).decode(bytes, decoded);
        QCOMPARE(decoded, text);
    }

    void shiftJisEncodingPrefersWindowsChoices() {
        CodePageEncoder encoder(kShiftJis);
        QCOMPARE(encoder.encode(u'\uFF5E').toByteArray(), QByteArray("\x81\x60"));
        QCOMPARE(encoder.encode(u'\u2170').toByteArray(), QByteArray("\xFA\x40")); // ⅰ: IBM row
        QCOMPARE(encoder.encode(u'\u7E8A').toByteArray(), QByteArray("\xFA\x5C"));
        QCOMPARE(encoder.encode(u'\uFF71').toByteArray(), QByteArray("\xB1"));
        QCOMPARE(encoder.encode(u'\u20AC').toByteArray(), QByteArray()); // €: not in code page 932
        QCOMPARE(encoder.encode(char16_t{0xD83D}).toByteArray(), QByteArray()); // a lone surrogate
    }

    void leadBytesOfDoubleByteCodePages() {
        const CodePageDecoder japanese(932);
        QVERIFY(japanese.isLeadByte(0x81) && japanese.isLeadByte(0x9F) &&
                japanese.isLeadByte(0xFC));
        QVERIFY(!japanese.isLeadByte(0xA1) && !japanese.isLeadByte(0xDF) &&
                !japanese.isLeadByte(0x5C));
        QVERIFY(!CodePageDecoder(1252).isLeadByte(0x81));
        QVERIFY(CodePageDecoder(949).isLeadByte(0xB0));
        QCOMPARE(codePageOfCharset(128), 932);
        QCOMPARE(codePageOfCharset(130), 1361);
        QCOMPARE(codePageOfCharset(222), 874);
        QCOMPARE(codePageOfCharset(999), 0);
    }
};

QTEST_MAIN(TestRtfWriter)
#include "tst_rtf_writer.moc"
