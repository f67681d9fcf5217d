#include "richtext/rtf_inline_objects.h"
#include "richtext/rtf_plain_text.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_tokenizer.h"
#include "support/document_dump.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

using namespace orbeta::rtf;

namespace {

// The editor's plain text without the marks that stand for hidden text, and without the empty
// paragraph Qt keeps before a table that opens the document.
QString visibleText(const QTextDocument& document) {
    QString text;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment) {
            const QTextCharFormat format = fragment.fragment().charFormat();
            if (format.objectType() != kHiddenTextType && !isUnshownGroup(format))
                text += fragment.fragment().text();
        }
        text += u'\n';
    }
    text.chop(1);
    text.replace(QChar::LineSeparator, u'\n').replace(QChar::Nbsp, u' ');
    if (document.rootFrame()->childFrames().value(0) &&
        document.rootFrame()->childFrames().first()->firstPosition() == 1)
        text.remove(0, 1);
    return text;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString statusName(ReadStatus status) {
    switch (status) {
    case ReadStatus::Ok:
        return QStringLiteral("ok");
    case ReadStatus::Damaged:
        return QStringLiteral("damaged");
    case ReadStatus::NotRtf:
        return QStringLiteral("notrtf");
    }
    return {};
}

// What the golden files hold: the status, the default font where the file names one, the dump.
QString describe(const QByteArray& rtf) {
    QTextDocument document;
    const ReadResult result = readRtf(rtf, document);
    QString text = QStringLiteral("status=%1\n").arg(statusName(result.status));
    if (document.defaultFont().family() != QGuiApplication::font().family())
        text += QStringLiteral("default-font=\"%1\"\n").arg(document.defaultFont().family());
    return text + dumpDocument(document);
}

QString firstDifference(const QString& actual, const QString& expected) {
    const QStringList a = actual.split(QLatin1Char('\n'));
    const QStringList e = expected.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < std::max(a.size(), e.size()); ++i) {
        const QString got = a.value(i, QStringLiteral("<none>"));
        const QString want = e.value(i, QStringLiteral("<none>"));
        if (got != want)
            return QStringLiteral("line %1\n   got: %2\n  want: %3").arg(i + 1).arg(got, want);
    }
    return {};
}

} // namespace

class TestRtfReader : public QObject {
    Q_OBJECT
    const QDir data_{QStringLiteral(ORBETA_TEST_DATA)};

private Q_SLOTS:
    void goldenFiles_data() {
        QTest::addColumn<QString>("name");
        const QStringList files =
            data_.entryList({QStringLiteral("*.rtf")}, QDir::Files, QDir::Name);
        QVERIFY(files.size() >= 15);
        for (const QString& file : files)
            QTest::newRow(qPrintable(file)) << file.chopped(4);
    }
    void goldenFiles() {
        QFETCH(QString, name);
        const QByteArray rtf = readFile(data_.filePath(name + QStringLiteral(".rtf")));
        const QString actual = describe(rtf);
        const QString goldenFile = data_.filePath(name + QStringLiteral(".expected"));
        if (qEnvironmentVariableIsSet("ORBETA_WRITE_GOLDEN_FILES")) { // after a deliberate change
            QFile golden(goldenFile);
            QVERIFY(golden.open(QIODevice::WriteOnly));
            golden.write(actual.toUtf8());
        }
        const QString expected = QString::fromUtf8(readFile(goldenFile));
        QVERIFY2(!expected.isEmpty(), "golden file missing");
        QVERIFY2(actual == expected, qPrintable(firstDifference(actual, expected)));

        // Searching and the calendar take the text without building a document.
        QTextDocument document;
        readRtf(rtf, document);
        QCOMPARE(rtfPlainText(rtf), visibleText(document));

        // Old memos come with the exact text they must give.
        const QString textFile = data_.filePath(name + QStringLiteral(".txt"));
        if (QFile::exists(textFile))
            QCOMPARE(document.toPlainText(), QString::fromUtf8(readFile(textFile)));
    }

    // Small files that once read differently from what they say.
    void smallFilesReadAsTheySay_data() {
        QTest::addColumn<QByteArray>("rtf");
        QTest::addColumn<QString>("dump");
        QTest::newRow("hebrew and vietnamese code pages")
            << QByteArray("{\\rtf1{\\fonttbl{\\f0\\fcharset177 David;}{\\f1\\fcharset163 Arial;}}"
                          "\\f0 \\'f9\\'ec\\'e5\\'ed\\par\\f1 Vi\\'ea\\'f2t\\par}")
            << QStringLiteral("P\n  \"שלום\" font=\"David\"\nP\n  \"Việt\" font=\"Arial\"\n");
        QTest::newRow("last paragraph without \\par")
            << QByteArray("{\\rtf1 first\\par\\pard\\qr\\li720 last}")
            << QStringLiteral("P\n  \"first\"\nP right li=720\n  \"last\"\n");
        QTest::newRow("raised and lowered text")
            << QByteArray("{\\rtf1 a{\\up6 b}{\\dn4 c}{\\fs48\\up12 d}\\par}")
            << QStringLiteral("P\n  \"a\"\n  \"b\" raised=25.0%\n  \"c\" raised=-16.7%\n"
                              "  \"d\" raised=25.0% pt=24\n");
        QTest::newRow("proportional spacing, as the rich-edit control writes it")
            << QByteArray("{\\rtf1\\pard\\sl-240\\slmult1 single\\par"
                          "\\pard\\sl-360\\slmult1 one and a half\\par}")
            << QStringLiteral("P\n  \"single\"\nP line=150%\n  \"one and a half\"\n");
        QTest::newRow("semicolon in a font name")
            << QByteArray("{\\rtf1{\\fonttbl{\\f0 A\\'3bB;}}\\f0 x\\par}")
            << QStringLiteral("P\n  \"x\" font=\"A;B\"\n");
    }
    void smallFilesReadAsTheySay() {
        QFETCH(QByteArray, rtf);
        QFETCH(QString, dump);
        QTextDocument document;
        QCOMPARE(readRtf(rtf, document).status, ReadStatus::Ok);
        QCOMPARE(dumpDocument(document).normalized(QString::NormalizationForm_C), dump);
    }

    void loadingReplacesContentAndCannotBeUndone() {
        QTextDocument document;
        QTextCursor(&document).insertText(QStringLiteral("old text"));
        QVERIFY(document.isUndoAvailable());
        readRtf(QByteArrayLiteral("{\\rtf1\\ansi new\\par}"), document);
        QCOMPARE(document.toPlainText(), QStringLiteral("new"));
        QVERIFY(!document.isUndoAvailable());
        QVERIFY(!document.isModified());
        QVERIFY(document.isUndoRedoEnabled());
    }

    void notRtfIsReportedAndLeavesTheDocumentAlone_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("plain text") << QByteArray("買い物 milk\n");
        QTest::newRow("html") << QByteArray("<html><body>{\\rtf1}</body></html>");
        QTest::newRow("brace only") << QByteArray("{ \\rtf1 }");
        QTest::newRow("binary") << QByteArray("\x00\x01\xff{\\rtf1", 8);
    }
    void notRtfIsReportedAndLeavesTheDocumentAlone() {
        QFETCH(QByteArray, bytes);
        QTextDocument document;
        QTextCursor(&document).insertText(QStringLiteral("kept"));
        QVERIFY(!looksLikeRtf(bytes));
        const ReadResult result = readRtf(bytes, document);
        QCOMPARE(result.status, ReadStatus::NotRtf);
        QVERIFY(!result.isRtf());
        QCOMPARE(document.toPlainText(), QStringLiteral("kept"));
    }

    void rtfMayStartAfterBlanksOrAByteOrderMark() {
        for (const QByteArray& prefix : {QByteArray(" \r\n\t"), QByteArray("\xEF\xBB\xBF")}) {
            QTextDocument document;
            QCOMPARE(readRtf(prefix + "{\\rtf1 x\\par}", document).status, ReadStatus::Ok);
            QCOMPARE(document.toPlainText(), QStringLiteral("x"));
        }
        QTextDocument document;
        QCOMPARE(readRtf("{\\urtf1 y}", document).status, ReadStatus::Ok);
        QCOMPARE(document.toPlainText(), QStringLiteral("y"));
    }

    void damagedFilesSayWhere() {
        QTextDocument document;
        const ReadResult result = readRtf("{\\rtf1\\ansi\r\nok\\par\r\nbad \\'g1 rest}", document);
        QCOMPARE(result.status, ReadStatus::Damaged);
        QCOMPARE(result.line, 3);
        QCOMPARE(result.column, 5);
        QCOMPARE(document.toPlainText(), QStringLiteral("ok\nbad g1 rest"));
    }

    // Each row gives the text the reader must make of the bytes (paragraphs and cells run
    // together) and whether it must call the file damaged.
    void hostileInputEndsQuicklyWithTheReadableText_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("damaged");
        const QByteArray deep =
            "{\\rtf1 " + QByteArray(100000, '{') + "deep" + QByteArray(100000, '}') + "}";
        QTest::newRow("groups 100000 deep") << deep << QStringLiteral("deep") << false;
        QTest::newRow("deep and never closed")
            << QByteArray("{\\rtf1 a" + QByteArray(200000, '{') + "b") << QStringLiteral("ab")
            << true;
        QTest::newRow("deep destinations")
            << QByteArray("{\\rtf1 x" + QByteArray(50000, '{').replace("{", "{\\*\\q") + "y")
            << QStringLiteral("x") << true;
        QTest::newRow("huge bin") << QByteArray("{\\rtf1 a{\\pict\\pngblip\\bin2147483647 xyz}b}")
                                  << QStringLiteral("a") << true;
        QTest::newRow("negative bin")
            << QByteArray("{\\rtf1 a\\bin-5 b}") << QStringLiteral("ab") << false;
        QTest::newRow("bin in text")
            << QByteArray("{\\rtf1 a\\bin3 xyzb}") << QStringLiteral("ab") << false;
        QTest::newRow("truncated hex") << QByteArray("{\\rtf1 a\\'") << QStringLiteral("a") << true;
        QTest::newRow("truncated hex digit")
            << QByteArray("{\\rtf1 a\\'8") << QStringLiteral("a8") << true;
        QTest::newRow("lone lead byte") << QByteArray("{\\rtf1\\ansi\\ansicpg932 a\\'82}")
                                        << QStringLiteral("a\uFFFD") << false;
        QTest::newRow("endless control word")
            << QByteArray("{\\rtf1 a\\" + QByteArray(1000000, 'x') + " b}") << QStringLiteral("ab")
            << true;
        QTest::newRow("endless number")
            << QByteArray("{\\rtf1 a\\fs" + QByteArray(100000, '9') + " b}") << QStringLiteral("ab")
            << true;
        QTest::newRow("numbers out of range")
            << QByteArray(
                   "{\\rtf1{\\colortbl;\\red99999\\green-5\\blue256;}\\cf1\\cb99\\f-7\\fs-"
                   "2147483648"
                   "\\li2147483647\\ri-2147483648\\sl-2147483648\\sa99999999\\uc2147483647 a\\uc1"
                   "\\u2147483647?\\u-2147483648?\\ls-3\\ilvl99\\cellx2147483647\\picw-1 b}")
            << QStringLiteral("a??b") << false; // the \uN out of range are no characters
        QTest::newRow("unbalanced closing")
            << QByteArray("{\\rtf1 a}}}}}b") << QStringLiteral("a") << true;
        QTest::newRow("cells without rows")
            << QByteArray("{\\rtf1 " + QByteArray("\\intbl x\\cell ").repeated(200) + "}")
            << QString(200, QLatin1Char('x')) << false;
        QTest::newRow("rows without definition")
            << QByteArray("{\\rtf1 " + QByteArray("\\intbl y\\row ").repeated(300) + "}")
            << QString(300, QLatin1Char('y')) << false;
        QTest::newRow("too many columns")
            << QByteArray("{\\rtf1\\trowd" + QByteArray("\\cellx100").repeated(5000) +
                          QByteArray("\\intbl z\\cell").repeated(500) + "\\row}")
            << QString(500, QLatin1Char('z')) << false;
        QTest::newRow("8000 table rows")
            << QByteArray(
                   "{\\rtf1" +
                   QByteArray("\\trowd\\cellx1000\\cellx2000\\intbl a\\cell b\\cell\\row\r\n")
                       .repeated(8000) +
                   "}")
            << QString("ab").repeated(8000) << false;
        QTest::newRow("picture garbage") << QByteArray("{\\rtf1 {\\pict\\pngblip 89504e470d0a1a0a" +
                                                       QByteArray(5000, 'f') + "}c}")
                                         << QStringLiteral("\uFFFCc") << false; // kept as it is
        QTest::newRow("font table chaos")
            << QByteArray("{\\rtf1{\\fonttbl\\f0\\fcharset128\\'82;{\\f1\\cpg99999 "
                          "x;{\\f2}}}\\f0\\'82\\'a0\\f1 q}")
            << QStringLiteral("あq") << false;
        // Merging cells deletes a list that has no item left; the reader must not use it again,
        // in the table or after it.
        QTest::newRow("list freed by merged cells")
            << QByteArray("{\\rtf{\\pn\\pnlcltr}\\clmgf\\cellx\\clmrg\\cellx\\cell0e\\cell")
            << QStringLiteral("e") << true;
        QTest::newRow("list after merged cells")
            << QByteArray("{\\rtf1{\\pn\\pnlcltr}x\\par\\trowd\\clmgf\\cellx1\\clmrg\\cellx2"
                          "\\intbl{\\pn\\pnlcltr}a\\cell "
                          "b\\cell\\row{\\pn\\pnlcltr}y\\par{\\pn\\pnlcltr}z}")
            << QStringLiteral("xa byz") << false; // merging joins the cells' text
        // Nine bytes a row of 63 cells: beyond what the file's size allows, rows are paragraphs.
        QTest::newRow("many cells from few bytes")
            << QByteArray("{\\rtf1\\trowd" + QByteArray("\\cellx1").repeated(63) +
                          QByteArray("\\cell\\row").repeated(6000) + " x}")
            << QStringLiteral("x") << true;
        QTest::newRow("nul bytes")
            << QByteArray("{\\rtf1 a\0b}", 11) << QStringLiteral("ab") << false;
    }
    void hostileInputEndsQuicklyWithTheReadableText() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(bool, damaged);
        QElapsedTimer clock;
        clock.start();
        QTextDocument document;
        const ReadResult result = readRtf(bytes, document);
        QVERIFY2(clock.elapsed() < 10000, "reading took far too long");
        QCOMPARE(result.status, damaged ? ReadStatus::Damaged : ReadStatus::Ok);
        QCOMPARE(document.toPlainText().remove(QLatin1Char('\n')), text);
    }

    void pastingInsertsAtTheCursorAsOneStep() {
        QTextDocument document;
        QTextCursor cursor(&document);
        cursor.insertText(QStringLiteral("before after"));
        cursor.setPosition(7);
        cursor.setPosition(12, QTextCursor::KeepAnchor); // "after" is replaced
        const ReadResult result = insertRtf(
            "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Courier;}}{\\b one}\\par two\\par}", cursor);
        QCOMPARE(result.status, ReadStatus::Ok);
        QCOMPARE(document.toPlainText(), QStringLiteral("before one\ntwo"));
        // Text without a font of its own takes the pasted document's defaults.
        QTextCursor probe(document.findBlockByNumber(1));
        probe.movePosition(QTextCursor::NextCharacter);
        QCOMPARE(probe.charFormat().fontFamilies().toStringList(),
                 QStringList{QStringLiteral("Courier")});
        QCOMPARE(probe.charFormat().fontPointSize(), 12.0);
        document.undo();
        QCOMPARE(document.toPlainText(), QStringLiteral("before after"));
    }

    void tokenizerSplitsWhatItMeets() {
        Tokenizer tokens(QByteArrayView("{\\b1\\fs-24 ab\r\nc\\'8a\\\\\\bin3 {}}\\'zz\\x}"));
        QStringList seen;
        for (Token token = tokens.next(); token.type != TokenType::End; token = tokens.next()) {
            switch (token.type) {
            case TokenType::GroupStart:
                seen << QStringLiteral("{");
                break;
            case TokenType::GroupEnd:
                seen << QStringLiteral("}");
                break;
            case TokenType::ControlWord:
                seen << QStringLiteral("\\%1%2").arg(
                    QString::fromLatin1(token.word.data(), token.word.size()),
                    token.hasParameter ? QString::number(token.parameter) : QString());
                break;
            case TokenType::ControlSymbol:
                seen << QStringLiteral("sym") + QLatin1Char(token.symbol) +
                            (token.status == TokenStatus::BadHex ? QStringLiteral("!") : QString());
                break;
            case TokenType::HexByte:
                seen << QStringLiteral("x%1").arg(token.byte, 2, 16);
                break;
            case TokenType::Text:
                seen << QStringLiteral("t:") + QString::fromLatin1(token.bytes.toByteArray());
                break;
            case TokenType::Binary:
                seen << QStringLiteral("bin:") + QString::fromLatin1(token.bytes.toByteArray());
                break;
            case TokenType::End:
                break;
            }
        }
        QCOMPARE(seen, (QStringList{"{", "\\b1", "\\fs-24", "t:ab", "t:c", "x8a", "sym\\",
                                    "bin:{}}", "sym'!", "t:zz", "\\x", "}"}));
    }

    void tokenizerClampsAndCutsWithoutFailing() {
        const QByteArray input =
            QByteArray("\\fs99999999999 \\") + QByteArray(40, 'k') + "1 \\bin10 ab";
        Tokenizer tokens(input);
        const Token size = tokens.next();
        QCOMPARE(size.status, TokenStatus::NumberTooLong);
        QCOMPARE(size.parameter, std::numeric_limits<std::int32_t>::max());
        const Token word = tokens.next();
        QCOMPARE(word.status, TokenStatus::KeywordTooLong);
        QCOMPARE(word.word.size(), std::size_t{Tokenizer::kMaxKeyword});
        QCOMPARE(word.parameter, 1);
        const Token binary = tokens.next();
        QCOMPARE(binary.status, TokenStatus::BinaryCut);
        QCOMPARE(binary.bytes.toByteArray(), QByteArray("ab"));
        QCOMPARE(tokens.next().type, TokenType::End);
    }
};

QTEST_MAIN(TestRtfReader)
#include "tst_rtf_reader.moc"
