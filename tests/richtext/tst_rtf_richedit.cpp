// Interoperability with the Windows rich-edit control that wrote the old memos: a small Windows
// program loads our RTF into riched20 under Wine and prints the text the control then holds.
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextList>

using namespace orbeta::rtf;

namespace {

QString windowsPath(const QString& path) {
    return "Z:" + QDir::toNativeSeparators(path).replace('/', '\\');
}

} // namespace

class TestRtfRichEdit : public QObject {
    Q_OBJECT
    QTemporaryDir work_;
    int files_ = 0;

    // The text riched20 shows for the RTF, paragraphs joined by "\n".
    QString richEditText(const QByteArray& rtf) {
        const QString input = work_.filePath(QString("in%1.rtf").arg(++files_));
        const QString output = work_.filePath(QString("out%1.txt").arg(files_));
        QFile file(input);
        if (!file.open(QIODevice::WriteOnly))
            return "<cannot write>";
        file.write(rtf);
        file.close();
        QProcess wine;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("WINEPREFIX", ORBETA_WINE_PREFIX);
        environment.insert("WINEDEBUG", "-all");
        environment.remove("DISPLAY");
        wine.setProcessEnvironment(environment);
        wine.setProcessChannelMode(QProcess::MergedChannels);
        wine.start("wine", {ORBETA_RICHEDIT_TEXT, windowsPath(input), windowsPath(output)});
        if (!wine.waitForFinished(120000) || wine.exitCode() != 0)
            return "<wine failed: " + QString::fromLocal8Bit(wine.readAll()) + ">";
        QFile text(output);
        if (!text.open(QIODevice::ReadOnly))
            return "<no output>";
        QString result = QString::fromUtf8(text.readAll());
        while (result.endsWith('\n'))
            result.chop(1);
        return result;
    }

private Q_SLOTS:
    void ourRtfShowsTheSameTextInTheRichEditControl_data() {
        QTest::addColumn<QString>("text");
        QTest::newRow("japanese memo") << "会議の予定 15:30\n薬局で薬をもらう。";
        QTest::newRow("half-width katakana") << "ｶﾀｶﾅ ﾊﾟﾝ";
        QTest::newRow("not in code page 932") << "café € Ωmega";
        QTest::newRow("beyond the BMP") << "絵文字 😀 𠮷野家";
        QTest::newRow("escapes and trail bytes") << "表ソ能 ¥ \\ { } ～①Ⅰⅰ纊\tend";
    }
    void ourRtfShowsTheSameTextInTheRichEditControl() {
        QFETCH(QString, text);
        QTextDocument document;
        QFont font("ＭＳ Ｐゴシック");
        font.setPointSize(12);
        document.setDefaultFont(font);
        QTextCharFormat bold;
        bold.setFontWeight(QFont::Bold);
        QTextCursor cursor(&document);
        const QStringList paragraphs = text.split('\n');
        for (qsizetype i = 0; i < paragraphs.size(); ++i) {
            if (i > 0)
                cursor.insertBlock();
            cursor.insertText(paragraphs.at(i), i % 2 ? bold : QTextCharFormat());
        }
        QCOMPARE(richEditText(writeRtf(document)), text);
    }

    void oldMemosWrittenBackReadTheSame() {
        // A memo the control wrote, read and written by us, then read by the control again.
        const QByteArray old =
            "{\\rtf1\\ansi\\ansicpg932\\deff0\\deflang1033\\deflangfe1041{\\fonttbl{\\f0\\fnil"
            "\\fcharset128 \\'82\\'6c\\'82\\'72 "
            "\\'82\\'6f\\'83\\'53\\'83\\'56\\'83\\'62\\'83\\'4e;}}\r\n"
            "{\\colortbl ;\\red0\\green0\\blue255;}\r\n\\viewkind4\\uc1\\pard\\lang1041\\f0\\fs24 "
            "\\b \\'92\\'f7\\'82\\'df\\'90\\'d8\\'82\\'e8\\b0 \\'81\\'46\\cf1 \\'8b\\'e0\\'97\\'6a"
            "\\'93\\'fa\\cf0 \\'82\\'dc\\'82\\'c5\\par\r\n\\i Memo\\i0  \\'b6\\'c0\\'b6\\'c5\\tab "
            "\\'87\\'40\\'87\\'41\\par\r\n}\r\n";
        const QString original = richEditText(old);
        QCOMPARE(original, QString("締め切り：金曜日まで\nMemo ｶﾀｶﾅ\t①②"));
        QTextDocument document;
        readRtf(old, document);
        QCOMPARE(richEditText(writeRtf(document)), original);
    }

    // Wine's rich-edit control skips \field groups altogether (Windows' shows their result text),
    // so links are left to the office suite test.
    void listsKeepTheirText() {
        QTextDocument document;
        QTextCursor cursor(&document);
        cursor.insertText("買い物");
        cursor.insertBlock();
        QTextListFormat list;
        list.setStyle(QTextListFormat::ListDisc);
        cursor.createList(list);
        cursor.insertText("牛乳");
        cursor.insertBlock();
        cursor.insertText("卵");
        cursor.insertBlock();
        cursor.setBlockFormat(QTextBlockFormat());
        QTextListFormat numbers;
        numbers.setStyle(QTextListFormat::ListDecimal);
        cursor.createList(numbers);
        cursor.insertText("一番");
        cursor.insertBlock();
        cursor.setBlockFormat(QTextBlockFormat());
        cursor.insertText("おわり");
        QCOMPARE(richEditText(writeRtf(document)), QString("買い物\n牛乳\n卵\n一番\nおわり"));
    }
};

QTEST_MAIN(TestRtfRichEdit)
#include "tst_rtf_richedit.moc"
