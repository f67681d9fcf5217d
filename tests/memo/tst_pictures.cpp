#include "calendar/form1.h"
#include "memo/form2.h"
#include "memo/picture_intake.h"
#include "memo/rich_text_box.h"
#include "program/program.h"
#include "richtext/rtf_reader.h"
#include "richtext/rtf_writer.h"
#include "support/memo_window.h"
#include "support/test_program.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFileDialog>
#include <QImageReader>
#include <QImageWriter>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QStandardPaths>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextImageFormat>
#include <QTimer>
#include <QUrl>
#include <QtEndian>

using namespace orbeta;

namespace {

const QDate kDay(2026, 12, 10);

QImage picture(QSize size, bool seeThrough = false) {
    QImage image(size, seeThrough ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    image.fill(seeThrough ? QColor(200, 40, 40, 120) : QColor(40, 120, 200));
    return image;
}

QByteArray encoded(const QImage& image, const char* format, int quality = -1) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, quality);
    return bytes;
}

QString fileWith(const QTemporaryDir& folder, const QString& name, const QByteArray& bytes) {
    writeFile(folder.filePath(name), bytes);
    return folder.filePath(name);
}

quint32 crc32(const QByteArray& bytes) {
    quint32 crc = 0xFFFFFFFF;
    for (const char byte : bytes) {
        crc ^= static_cast<quint8>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

QByteArray pngChunk(const QByteArray& typeAndData) {
    char length[4];
    qToBigEndian(quint32(typeAndData.size() - 4), length);
    char check[4];
    qToBigEndian(crc32(typeAndData), check);
    return QByteArray(length, 4) + typeAndData + QByteArray(check, 4);
}

// A PNG whose header says it is `width` by `height` and that holds no picture.
QByteArray pngHeaderOnly(quint32 width, quint32 height) {
    char numbers[8];
    qToBigEndian(width, numbers);
    qToBigEndian(height, numbers + 4);
    const QByteArray header =
        QByteArray("IHDR") + QByteArray(numbers, 8) + QByteArray("\x08\x02\x00\x00\x00", 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk(header) + pngChunk("IDAT") +
           pngChunk("IEND");
}

// The pictures of a document: their resources' bytes, in order.
QList<QByteArray> picturesOf(const QTextDocument& document) {
    QList<QByteArray> pictures;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (const QTextCharFormat format = it.fragment().charFormat(); format.isImageFormat())
                pictures << document
                                .resource(QTextDocument::ImageResource,
                                          QUrl(format.toImageFormat().name()))
                                .toByteArray();
    return pictures;
}

// How wide the editor shows its first picture.
qreal shownWidth(RichTextBox& editor) {
    QTextDocument& document = *editor.document();
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto it = block.begin(); !it.atEnd(); ++it)
            if (const QTextCharFormat format = it.fragment().charFormat(); format.isImageFormat())
                return document.documentLayout()
                    ->handlerForObject(QTextFormat::ImageObject)
                    ->intrinsicSize(&document, it.fragment().position(), format)
                    .width();
    return 0;
}

} // namespace

// Pictures in a memo: what is kept of them, how they go in and out of the editor, how they
// show, and what no hostile picture can do.
class TestPictures : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgram> test_;
    QTemporaryDir files_;

private Q_SLOTS:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }
    void init() {
        test_ = std::make_unique<TestProgram>();
        test_->program->form1().show();
        QVERIFY(QTest::qWaitForWindowExposed(&test_->program->form1()));
    }
    void cleanup() {
        closeStrayWindows();
        test_.reset();
    }

    // What is kept of a picture: a small PNG or JPEG byte for byte, anything larger or of
    // another kind scaled to 2048 pixels at most, its shape kept, as JPEG, or as PNG where it
    // shows what is under it; a bitmap from the clipboard as PNG.
    void whatIsKeptOfAPicture_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QSize>("pixels");
        QTest::addColumn<QByteArray>("kept"); // "same", "png" or "jpeg"
        const QByteArray smallPng = encoded(picture(QSize(120, 80)), "PNG");
        const QByteArray smallJpeg = encoded(picture(QSize(64, 48)), "JPEG");
        QTest::newRow("a small PNG") << smallPng << QSize(120, 80) << QByteArray("same");
        QTest::newRow("a small JPEG") << smallJpeg << QSize(64, 48) << QByteArray("same");
        QTest::newRow("a strip of 5000 by 400")
            << encoded(picture(QSize(5000, 400)), "PNG") << QSize(2048, 163) << QByteArray("jpeg");
        QTest::newRow("large and see-through") << encoded(picture(QSize(3000, 3000), true), "PNG")
                                               << QSize(2048, 2048) << QByteArray("png");
        QTest::newRow("a bitmap file")
            << encoded(picture(QSize(300, 200)), "BMP") << QSize(300, 200) << QByteArray("jpeg");
        QImage noise(QSize(2000, 1500), QImage::Format_RGB32);
        for (int y = 0; y < noise.height(); ++y)
            for (int x = 0; x < noise.width(); ++x)
                noise.setPixel(x, y, qRgb((x * 7 + y * 13) % 256, (x * y) % 256, (x ^ y) % 256));
        const QByteArray largeJpeg = encoded(noise, "JPEG", 100);
        QVERIFY(largeJpeg.size() > IncomingPicture::kMostBytesKept);
        QTest::newRow("a JPEG over 2 MB") << largeJpeg << QSize(2000, 1500) << QByteArray("jpeg");
    }
    void whatIsKeptOfAPicture() {
        QFETCH(QByteArray, bytes);
        QFETCH(QSize, pixels);
        QFETCH(QByteArray, kept);
        const IncomingPicture incoming =
            IncomingPicture::fromFile(fileWith(files_, QTest::currentDataTag(), bytes));
        QVERIFY2(incoming.ready(), qPrintable(incoming.problem));
        QCOMPARE(incoming.pixels, pixels);
        if (kept == "same")
            QCOMPARE(incoming.bytes, bytes);
        else {
            QBuffer stored;
            stored.setData(incoming.bytes);
            stored.open(QIODevice::ReadOnly);
            QCOMPARE(QImageReader::imageFormat(&stored), kept);
        }
        QCOMPARE(QImage::fromData(incoming.bytes).size(), pixels);

        const IncomingPicture pasted = IncomingPicture::fromImage(picture(QSize(4096, 100)));
        QCOMPARE(pasted.pixels, QSize(2048, 50));
        QVERIFY(pasted.bytes.startsWith("\x89PNG"));
    }

    // Saved as RTF pictures: \pngblip or \jpegblip with the size in pixels and in twips, in
    // hex lines of a sensible length, and read back to the same bytes.
    void picturesAreWrittenAndReadBackByteForByte() {
        const QByteArray png = encoded(picture(QSize(120, 80)), "PNG");
        const QByteArray jpeg = encoded(picture(QSize(64, 48)), "JPEG");
        QTextDocument document;
        QTextCursor cursor(&document);
        cursor.insertText(QStringLiteral("before "));
        for (const QByteArray& bytes : {png, jpeg}) {
            const QString name = QStringLiteral("test:%1").arg(bytes.size());
            document.addResource(QTextDocument::ImageResource, QUrl(name), bytes);
            QTextImageFormat format;
            format.setName(name);
            cursor.insertImage(format);
        }
        cursor.insertText(QStringLiteral(" after"));
        const QByteArray rtf = rtf::writeRtf(document);
        QVERIFY(rtf.contains("\\pngblip\\picw120\\pich80\\picwgoal1800\\pichgoal1200"));
        QVERIFY(rtf.contains("\\jpegblip\\picw64\\pich48\\picwgoal960\\pichgoal720"));
        for (const QByteArray& line : rtf.split('\n'))
            QVERIFY(line.size() <= 200);
        QTextDocument back;
        rtf::readRtf(rtf, back);
        QCOMPARE(picturesOf(back), (QList<QByteArray>{png, jpeg}));
        QCOMPARE(back.toPlainText().remove(QChar::ObjectReplacementCharacter),
                 QStringLiteral("before  after"));
    }

    // Pictures no memo takes: not a picture, damaged ones, one too large to decode, one of no
    // size; of a picture of many frames, the first. A message, never a crash or a hang.
    void hostilePicturesAreRefused_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("problem");
        const QByteArray png = encoded(picture(QSize(200, 200)), "PNG");
        const QByteArray jpeg = encoded(picture(QSize(200, 200)), "JPEG");
        QTest::newRow("not a picture") << QByteArray("just some text") << "画像を読めません";
        QTest::newRow("a damaged PNG") << png.left(png.size() / 2) << "画像を読めません";
        QTest::newRow("a damaged JPEG") << jpeg.left(100) << "画像を読めません";
        QTest::newRow("a PNG of 30000 by 30000")
            << pngHeaderOnly(30000, 30000) << "画像が大きすぎて読めません（30,000×30,000）";
        QTest::newRow("a PNG of no size") << pngHeaderOnly(0, 0) << "画像を読めません";
    }
    void hostilePicturesAreRefused() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, problem);
        QCOMPARE(IncomingPicture::fromBytes(bytes).problem, problem);
        QCOMPARE(IncomingPicture::fromFile(fileWith(files_, "hostile", bytes)).problem, problem);
    }
    void aPictureOfManyFramesGivesItsFirst() {
        // A GIF of two frames of one pixel each, made by hand: Qt writes no GIF.
        const QByteArray frame =
            QByteArray::fromHex("21f90400000000002c0000000001000100000202440100");
        const QByteArray gif = QByteArray::fromHex("47494638396101000100800000000000ffffff") +
                               frame + frame + QByteArray::fromHex("3b");
        const IncomingPicture first = IncomingPicture::fromBytes(gif);
        QVERIFY2(first.ready(), qPrintable(first.problem));
        QCOMPARE(first.pixels, QSize(1, 1));
    }

    // In the editor a picture goes in at the cursor, as one step that undo takes back: pasted,
    // dropped, or from 画像を挿入; it shows narrower than the window where the window is narrow,
    // at its size again where it is wide; a copied selection carries it as a picture too.
    void picturesGoInShowAndComeOut() {
        const QString wide = fileWith(files_, "wide.png", encoded(picture(QSize(600, 100)), "PNG"));
        QVERIFY(openMemoAsUser(*test_, kDay, [&](Form2& memo) {
            RichTextBox& editor = memo.RichTextBox1();
            typeText(&editor, QStringLiteral("ab"));
            editor.moveCursor(QTextCursor::PreviousCharacter);

            QApplication::clipboard()->setImage(picture(QSize(40, 30)));
            editor.paste();
            QCOMPARE(picturesOf(*editor.document()).size(), 1);
            QCOMPARE(editor.toPlainText(),
                     QStringLiteral("a") + QChar::ObjectReplacementCharacter + QStringLiteral("b"));
            editor.undo();
            QCOMPARE(editor.toPlainText(), QStringLiteral("ab"));

            auto* drop = new QMimeData;
            drop->setUrls({QUrl::fromLocalFile(wide)});
            QVERIFY(editor.canPaste() || true);
            QApplication::clipboard()->setMimeData(drop);
            editor.paste(); // a drop of files goes the same way
            QCOMPARE(picturesOf(*editor.document()),
                     QList<QByteArray>{readFile(wide)}); // byte for byte
            editor.undo();
            QVERIFY(picturesOf(*editor.document()).isEmpty());

            whenModalAppears([&](QWidget* window) {
                auto* files = qobject_cast<QFileDialog*>(window);
                QVERIFY(files);
                auto* name = files->findChild<QLineEdit*>("fileNameEdit");
                name->setText(wide);
                QTest::keyClick(name, Qt::Key_Return);
            });
            menuItem(&memo, "mnu_picture")->trigger();
            QCOMPARE(picturesOf(*editor.document()).size(), 1);
            QVERIFY(shownWidth(editor) <= editor.viewport()->width());
            memo.resize(900, 400);
            QTRY_COMPARE(shownWidth(editor), 600.0);
            memo.resize(312, 183);
            QTRY_VERIFY(shownWidth(editor) < 600);

            editor.selectAll();
            editor.copy();
            QCOMPARE(QApplication::clipboard()->image().size(), QSize(600, 100));
            editor.moveCursor(QTextCursor::End);
            menuItem(&memo, "mnu_saveclose")->trigger();
        }));
        QVERIFY(readFile(test_->memoPath("20261210.rtf")).contains("\\pngblip\\picw600\\pich100"));
    }

    // A picture that cannot go in says why, and the memo stays as it was.
    void aPictureThatCannotGoInSaysWhy() {
        const QString damaged =
            fileWith(files_, "damaged.png", encoded(picture(QSize(200, 200)), "PNG").left(60));
        QVERIFY(openMemoAsUser(*test_, kDay, [&](Form2& memo) {
            RichTextBox& editor = memo.RichTextBox1();
            typeText(&editor, QStringLiteral("kept"));
            QString message;
            QTimer watch;
            connect(&watch, &QTimer::timeout, this, [&] {
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                    message = box->text();
                    box->close();
                }
            });
            watch.start(20);
            QVERIFY(!editor.insertPictureFiles({damaged}));
            QVERIFY2(message.startsWith("画像を読めません"), qPrintable(message));
            QCOMPARE(editor.toPlainText(), QStringLiteral("kept"));
        }));
    }
};

QTEST_MAIN(TestPictures)
#include "tst_pictures.moc"
