// Interoperability with the Windows rich-edit control that wrote the old memos: small Windows
// programs load RTF into riched20 under Wine and print what the control then holds: its text,
// or its text, formatting and pictures.
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextList>
#include <QUrl>

using namespace orbeta::rtf;

namespace {

QString windowsPath(const QString& path) {
    return "Z:" + QDir::toNativeSeparators(path).replace('/', '\\');
}

// Runs a Windows program under Wine in a Japanese session, as the memos' users have it.
QString runUnderWine(const QStringList& arguments) {
    QProcess wine;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("WINEPREFIX", ORBETA_WINE_PREFIX);
    environment.insert("WINEDEBUG", "-all");
    environment.insert("LANG", "ja_JP.UTF-8");
    environment.insert("LC_ALL", "ja_JP.UTF-8");
    environment.remove("DISPLAY");
    wine.setProcessEnvironment(environment);
    wine.setProcessChannelMode(QProcess::MergedChannels);
    wine.start("wine", arguments);
    if (!wine.waitForFinished(300000) || wine.exitCode() != 0)
        return "<wine failed: " + QString::fromLocal8Bit(wine.readAll()) + ">";
    return {};
}

// What the control's dump says of each file, by file name.
QMap<QString, QStringList> dumpSections(const QString& dump) {
    QMap<QString, QStringList> sections;
    QString current;
    for (const QString& line : dump.split('\n', Qt::SkipEmptyParts)) {
        if (line.startsWith("== ")) {
            current = line.mid(3);
            sections[current]; // an empty document has a section too
        } else {
            sections[current] << line;
        }
    }
    return sections;
}

// The dump's lines without the attributes left out ("text": the run's text). Runs that then look
// alike are one run. Wine turns a metafile into an enhanced one whose bytes differ from run to
// run: the pictures' sizes are compared, not their digests.
QStringList comparable(const QStringList& lines, const QStringList& leftOut) {
    static const QRegularExpression digest("^(picture \\S+ \\d+) .*$");
    static const QRegularExpression run("^(run .*?)( \"(.*)\")?$");
    QStringList kept;
    QString lastAttributes;
    for (QString line : lines) {
        line.replace(digest, "\\1");
        const QRegularExpressionMatch parts = run.match(line);
        if (!line.startsWith("run ") || !parts.hasMatch()) {
            kept << line;
            lastAttributes.clear();
            continue;
        }
        QString attributes = parts.captured(1);
        for (const QString& attribute : leftOut)
            attributes.replace(QRegularExpression(" " + attribute + "=(\"[^\"]*\"|\\S+)"), "");
        // The control drops a soft hyphen written as \-, as the original files write it; the
        // saved ones keep it, written as the character.
        const QString text =
            leftOut.contains("text") ? QString() : parts.captured(3).remove(QChar(0x00AD));
        if (attributes == lastAttributes && !kept.isEmpty()) {
            kept.last().insert(kept.last().size() - 1, text); // one run of both texts
            continue;
        }
        kept << attributes + " \"" + text + "\"";
        lastAttributes = attributes;
    }
    return kept;
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
        if (const QString failure =
                runUnderWine({ORBETA_RICHEDIT_TEXT, windowsPath(input), windowsPath(output)});
            !failure.isEmpty())
            return failure;
        QFile text(output);
        if (!text.open(QIODevice::ReadOnly))
            return "<no output>";
        QString result = QString::fromUtf8(text.readAll());
        while (result.endsWith('\n'))
            result.chop(1);
        return result;
    }

private Q_SLOTS:
    // Given each golden file, the control reads what our writer makes of it as it reads the file
    // itself: the same text, runs of the same bold, italic, underline, strike, colour, size,
    // font and character set, paragraphs of the same alignment, and the same pictures.
    void goldenFilesReadTheSameAfterSaving() {
        // Where the control's reading of an original tells nothing of what its author saw, the
        // attributes or files concerned are left out, each for a reason:
        const QMap<QString, QStringList> leftOut{
            // Wine's control ignores the associated properties (\ab, \af, \afs) that give
            // Japanese text its weight, font and size in office suites' files, and so decodes
            // that text in the wrong code page; ours states them outright.
            {"associated.rtf", {"text", "b", "size", "face", "charset"}},
            // Wine's control drops field results (Windows' shows them) and reads the ANSI part of
            // \upr where we read its Unicode part (\ud), as RTF readers should.
            {"word_document.rtf", {"text", "b", "size", "face", "charset"}},
            // \fs0 and \fs-4 are no sizes: the control takes them as they stand, we read and
            // write them as the default size.
            {"formatting.rtf", {"size"}},
            // Wine's control knows neither the \mac nor the \pc code page.
            {"mac.rtf", {"text"}},
            {"pc.rtf", {"text"}},
            // Word's \listtext marks are text to the control; we write the same bullets and
            // numbers as its own paragraph numbering (\pn).
            {"lists_word.rtf", {"text", "face", "charset"}},
            // \fcharset1 is the reading system's code page: the control reads the font's
            // bytes in its own (932 in Japan), we in the one the file states (\ansicpg1252).
            {"codepages.rtf", {"text"}},
            // A cut-off \' escape: the control drops it, we keep what follows it.
            {"truncated.rtf", {"text"}},
        };
        // RTF's default size is 12 points: Orbeta and office suites show text that states no
        // size at 12 points, and Orbeta writes it so; the control shows it at its own default.
        const auto statesSizes = [](const QByteArray& rtf) {
            static const QRegularExpression fontSize("\\\\fs-?[0-9]");
            return fontSize.match(QString::fromLatin1(rtf)).hasMatch();
        };
        const QDir data(ORBETA_TEST_DATA);
        QStringList arguments{ORBETA_RICHEDIT_DUMP, windowsPath(work_.filePath("dump.txt"))};
        const QStringList names = data.entryList({"*.rtf"}, QDir::Files, QDir::Name);
        QMap<QString, QStringList> unsaid = leftOut;
        for (const QString& name : names) {
            QFile original(data.filePath(name));
            QVERIFY(original.open(QIODevice::ReadOnly));
            const QByteArray bytes = original.readAll();
            if (!statesSizes(bytes))
                unsaid[name] << "size";
            QTextDocument document;
            readRtf(bytes, document);
            for (const auto& [prefix, content] :
                 {std::pair{"original-", bytes}, std::pair{"saved-", writeRtf(document)}}) {
                QFile file(work_.filePath(prefix + name));
                QVERIFY(file.open(QIODevice::WriteOnly));
                file.write(content);
                arguments << windowsPath(file.fileName());
            }
        }
        const QString failure = runUnderWine(arguments);
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QFile dump(work_.filePath("dump.txt"));
        QVERIFY(dump.open(QIODevice::ReadOnly));
        const QMap<QString, QStringList> sections = dumpSections(QString::fromUtf8(dump.readAll()));
        QStringList differences;
        for (const QString& name : names) {
            const QStringList original =
                comparable(sections.value("original-" + name), unsaid.value(name));
            const QStringList saved =
                comparable(sections.value("saved-" + name), unsaid.value(name));
            QVERIFY2(sections.contains("original-" + name), qPrintable(name));
            if (saved != original)
                differences << name + ":\n  original: " + original.join("\n            ") +
                                   "\n     saved: " + saved.join("\n            ");
        }
        for (const QString& difference : differences)
            qWarning("%s", qPrintable(difference));
        QVERIFY2(differences.isEmpty(), "the control reads these files differently once saved");
    }

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

    // The old program's control shows no PNG or JPEG, but reads the text around them as it is.
    void textAroundPicturesReadsTheSame() {
        QTextDocument document;
        QTextCursor cursor(&document);
        cursor.insertText(QStringLiteral("写真の前 "));
        for (const char* kind : {"PNG", "JPEG"}) {
            QImage image(QSize(40, 30), QImage::Format_RGB32);
            image.fill(Qt::darkGreen);
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, kind);
            const QString name = QStringLiteral("picture:") + QLatin1String(kind);
            document.addResource(QTextDocument::ImageResource, QUrl(name), bytes);
            QTextImageFormat format;
            format.setName(name);
            cursor.insertImage(format);
        }
        cursor.insertText(QStringLiteral(" 写真の後\n次の行"));
        QString shown = richEditText(writeRtf(document));
        shown.remove(QChar::ObjectReplacementCharacter);
        QCOMPARE(shown, QStringLiteral("写真の前  写真の後\n次の行"));
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
