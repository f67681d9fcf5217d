// Interoperability with a real office suite: LibreOffice, headless, converts documents this test
// writes, in both directions.
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTextList>
#include <QTextTable>
#include <QUrl>
#include <QXmlStreamReader>

using namespace orbeta::rtf;

namespace {

// What the office suite made of a document, as far as line spacing, raised and lowered text,
// indents and alignment go: a line per paragraph and per raised or lowered run, read from its
// flat OpenDocument file. Values that say what no value says (a line height of 100%, no
// indent, alignment to the start) are left out.
QStringList officeLayout(const QByteArray& fodt) {
    static const QStringList paragraphProperties{"fo:line-height",     "style:line-height-at-least",
                                                 "style:line-spacing", "fo:margin-left",
                                                 "fo:text-indent",     "fo:text-align"};
    QMap<QString, QString> styles; // automatic style: what it says of the above
    QStringList lines;
    QXmlStreamReader xml(fodt);
    QString style;
    QString span;
    while (!xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement() && xml.qualifiedName() == u"style:style") {
            style = xml.attributes().value("style:name").toString();
        } else if (xml.isStartElement() && (xml.qualifiedName() == u"style:paragraph-properties" ||
                                            xml.qualifiedName() == u"style:text-properties")) {
            for (const QString& name : paragraphProperties + QStringList{"style:text-position"}) {
                const QString value = xml.attributes().value(name).toString();
                if (!value.isEmpty() && value != "100%" && value != "0in" && value != "start")
                    styles[style] += " " + name.section(':', 1) + "=" + value;
            }
        } else if (xml.isStartElement() &&
                   (xml.qualifiedName() == u"text:p" || xml.qualifiedName() == u"text:h")) {
            lines << "P" + styles.value(xml.attributes().value("text:style-name").toString());
        } else if (xml.isStartElement() && xml.qualifiedName() == u"text:span") {
            span = styles.value(xml.attributes().value("text:style-name").toString());
            if (span.contains("text-position"))
                lines << "  " + xml.readElementText(QXmlStreamReader::IncludeChildElements) +
                             span.mid(span.indexOf(" text-position"));
        }
    }
    return lines;
}

} // namespace

class TestRtfLibreOffice : public QObject {
    Q_OBJECT

    QTemporaryDir work_;
    QString office_;

    // Converts every file to `format` in one run of the office suite; returns its messages.
    bool convert(const QStringList& files, const QString& format, const QString& inputFilter = {}) {
        QStringList arguments{QStringLiteral("-env:UserInstallation=file://") +
                                  work_.filePath("profile"),
                              "--headless", "--norestore"};
        if (!inputFilter.isEmpty())
            arguments << "--infilter=" + inputFilter;
        arguments << "--convert-to" << format << "--outdir" << work_.filePath("out") << files;
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(office_, arguments);
        if (!process.waitForFinished(180000)) {
            process.kill();
            qWarning("office suite did not finish");
            return false;
        }
        if (process.exitCode() != 0)
            qWarning("%s", process.readAll().constData());
        return process.exitCode() == 0;
    }

    QByteArray output(const QString& name) {
        QFile file(work_.filePath("out/" + name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    void write(const QString& name, const QByteArray& content) {
        QFile file(work_.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    // A memo with a PNG and a JPEG, as the memo window saves one.
    static QByteArray memoWithPictures() {
        QTextDocument document;
        QTextCursor cursor(&document);
        cursor.insertText(QStringLiteral("whiteboard "));
        const auto add = [&](QSize size, const char* kind, QColor colour) {
            QImage image(size, QImage::Format_RGB32);
            image.fill(colour);
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, kind);
            const QString name = QStringLiteral("picture:") + QLatin1String(kind);
            document.addResource(QTextDocument::ImageResource, QUrl(name), bytes);
            QTextImageFormat format;
            format.setName(name);
            cursor.insertImage(format);
        };
        add(QSize(120, 80), "PNG", Qt::blue);
        cursor.insertText(QStringLiteral(" receipt "));
        add(QSize(64, 48), "JPEG", Qt::red);
        return writeRtf(document);
    }

private Q_SLOTS:
    void initTestCase() {
        office_ = QStandardPaths::findExecutable("soffice");
        QVERIFY2(!office_.isEmpty(),
                 "LibreOffice (soffice) is not installed: run scripts/setup-debian.sh test");
        QVERIFY(work_.isValid());
    }

    // The office suite shows a memo's pictures at their places and sizes: in its own file, each
    // picture with its size in pixels, framed at its size on the page.
    void picturesShowInTheOffice() {
        write("pictures.rtf", memoWithPictures());
        QVERIFY(convert({work_.filePath("pictures.rtf")}, "fodt"));
        QXmlStreamReader xml(output("pictures.fodt"));
        QList<QSize> pictures;
        QStringList frames;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isStartElement() && xml.qualifiedName() == QLatin1String("draw:frame"))
                frames << xml.attributes().value("svg:width").toString();
            if (xml.isStartElement() && xml.qualifiedName() == QLatin1String("office:binary-data"))
                pictures << QImage::fromData(
                                QByteArray::fromBase64(xml.readElementText().toLatin1()))
                                .size();
        }
        QCOMPARE(pictures, (QList<QSize>{QSize(120, 80), QSize(64, 48)}));
        QCOMPARE(frames.size(), 2);
        QVERIFY2(frames.first().startsWith("1.25in") || frames.first().startsWith("3.17"),
                 qPrintable(frames.join(", "))); // 1800 twips
    }

    void officeRtfLoadsWithTheExpectedText() {
        write("memo.html",
              "<html><head><meta charset='utf-8'></head><body>"
              "<p>会議の<b>予定</b>表 ｶﾀｶﾅ ～① café 😀</p>"
              "<ul><li>first</li><li>二番目</li></ul>"
              "<ol><li>one</li><li>two</li></ol>"
              "<table "
              "border='1'><tr><td>a</td><td>日本</td></tr><tr><td>b</td><td>語</td></tr></table>"
              "<p><i>see</i> <a href='http://example.org/memo'>the link</a></p></body></html>");
        QVERIFY(convert({work_.filePath("memo.html")}, "rtf", "HTML (StarWriter)"));
        const QByteArray rtf = output("memo.rtf");
        QVERIFY2(rtf.startsWith("{\\rtf1"), rtf.left(40).constData());

        QTextDocument document;
        QCOMPARE(readRtf(rtf, document).status, ReadStatus::Ok);
        QCOMPARE(document.toPlainText(),
                 QString("会議の予定表 ｶﾀｶﾅ ～① café 😀\nfirst\n二番目\none\ntwo\n"
                         "a\n日本\nb\n語\nsee the link"));

        // Formats come through, not only the text.
        QTextCursor bold = document.find("予定");
        QCOMPARE(bold.charFormat().fontWeight(), int(QFont::Bold));
        QTextBlock item = document.findBlockByNumber(1);
        QVERIFY(item.textList());
        QCOMPARE(item.textList()->format().style(), QTextListFormat::ListDisc);
        QTextBlock numbered = document.findBlockByNumber(3);
        QVERIFY(numbered.textList());
        QCOMPARE(numbered.textList()->format().style(), QTextListFormat::ListDecimal);
        QCOMPARE(numbered.textList(), document.findBlockByNumber(4).textList());
        QVERIFY(QTextCursor(document.find("日本")).currentTable());
        QTextCursor link = document.find("the link");
        QCOMPARE(link.charFormat().anchorHref(), QString("http://example.org/memo"));
    }

    // Given each golden file, the office suite lays out what our writer makes of it as it lays
    // out the file itself: line spacing, raised and lowered text, indents of list items and
    // paragraphs, alignment.
    void goldenFilesLayOutTheSameAfterSaving() {
        const QDir data(ORBETA_TEST_DATA);
        const QStringList names = data.entryList({"*.rtf"}, QDir::Files, QDir::Name);
        QStringList files;
        for (const QString& name : names) {
            QFile original(data.filePath(name));
            QVERIFY(original.open(QIODevice::ReadOnly));
            const QByteArray bytes = original.readAll();
            QTextDocument document;
            readRtf(bytes, document);
            write("original-" + name, bytes);
            write("saved-" + name, writeRtf(document));
            files << work_.filePath("original-" + name) << work_.filePath("saved-" + name);
        }
        QVERIFY(convert(files, "fodt"));
        QStringList differences;
        for (const QString& name : names) {
            const QString base = name.chopped(4);
            const QByteArray originalFile = output("original-" + base + ".fodt");
            if (name == "truncated.rtf") {
                QVERIFY(originalFile.isEmpty()); // the office suite opens no cut-off file
                continue;
            }
            if (name == "word_document.rtf")
                continue; // its header, footer and footnote are no part of a memo: not kept
            const QStringList original = officeLayout(originalFile);
            const QStringList saved = officeLayout(output("saved-" + base + ".fodt"));
            QVERIFY2(!original.isEmpty(), qPrintable(name));
            if (saved != original)
                differences << name + ":\n  original: " + original.join("\n            ") +
                                   "\n     saved: " + saved.join("\n            ");
        }
        for (const QString& difference : differences)
            qWarning("%s", qPrintable(difference));
        QVERIFY2(differences.isEmpty(),
                 "the office suite lays these files out differently once saved");
    }

    void ourRtfReadsTheSameInTheOffice() {
        struct Case {
            QString name;
            std::function<void(QTextCursor&)> build;
            QString officeText; // as the office suite's text export gives it
        };
        const QList<Case> cases{
            {"japanese",
             [](QTextCursor& c) {
                 QTextCharFormat bold;
                 bold.setFontWeight(QFont::Bold);
                 c.insertText("会議の予定 ", bold);
                 c.insertText("ｶﾀｶﾅ café € 😀 表ソ能 ¥\\{}", QTextCharFormat());
                 c.insertBlock();
                 c.insertText("二行目\ttab ～①Ⅱ");
             },
             "会議の予定 ｶﾀｶﾅ café € 😀 表ソ能 ¥\\{}\n二行目\ttab ～①Ⅱ"},
            {"lists",
             [](QTextCursor& c) {
                 c.insertText("before");
                 c.insertBlock();
                 QTextListFormat bullets;
                 bullets.setStyle(QTextListFormat::ListDisc);
                 c.createList(bullets);
                 c.insertText("箇条");
                 c.insertBlock();
                 c.insertText("two");
                 c.insertBlock();
                 c.setBlockFormat(QTextBlockFormat());
                 QTextListFormat numbers;
                 numbers.setStyle(QTextListFormat::ListDecimal);
                 c.createList(numbers);
                 c.insertText("一");
                 c.insertBlock();
                 c.insertText("二");
             },
             "before\n    • 箇条\n    • two\n    1. 一\n    2. 二"},
            {"table",
             [](QTextCursor& c) {
                 c.insertText("表:");
                 QTextTable* table = c.insertTable(2, 2);
                 table->cellAt(0, 0).firstCursorPosition().insertText("左上");
                 table->cellAt(0, 1).firstCursorPosition().insertText("right");
                 table->cellAt(1, 1).firstCursorPosition().insertText("下");
             },
             "表:\n左上\nright\n\n下\n"},
        };
        QStringList files;
        for (const Case& one : cases) {
            QTextDocument document;
            QTextCursor cursor(&document);
            one.build(cursor);
            write(one.name + ".rtf", writeRtf(document));
            files << work_.filePath(one.name + ".rtf");
        }
        QVERIFY(convert(files, "txt:Text (encoded):UTF8"));
        for (const Case& one : cases) {
            QString text = QString::fromUtf8(output(one.name + ".txt"));
            if (text.startsWith(QChar(0xFEFF)))
                text.remove(0, 1);
            text.replace("\r\n", "\n");
            if (text.endsWith('\n'))
                text.chop(1);
            QCOMPARE(text, one.officeText);
        }
    }
};

QTEST_MAIN(TestRtfLibreOffice)
#include "tst_rtf_libreoffice.moc"
