#include "app/japanese_fonts.h"
#include "calendar/form1.h"
#include "calendar/month_view.h"
#include "memo/form2.h"
#include "memo/rich_text_box.h"
#include "richtext/rtf_reader.h"
#include "support/fake_clock.h"
#include "support/memo_window.h"
#include "support/test_program.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QStandardPaths>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>

#include <sys/resource.h>

using namespace orbeta;

namespace {

const QDate kDay(1999, 3, 27);

} // namespace

class TestForm2 : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgram> test_;

    Form1& calendar() { return test_->program->form1(); }

    // Opens the day's memo as the user does, hands the memo window to `use`, and returns once it
    // is closed.
    void openMemo(QDate day, const std::function<void(Form2&)>& use) {
        QVERIFY(openMemoAsUser(*test_, day, use));
    }

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        fonts::installJapaneseSubstitutes();
    }
    void init() {
        test_ = std::make_unique<TestProgram>(
            std::make_unique<FakeClock>(QDateTime(kDay, QTime(9, 0))));
        calendar().show();
        QVERIFY(QTest::qWaitForWindowExposed(&calendar()));
    }
    void cleanup() {
        closeStrayWindows();
        test_.reset();
    }

    void dayWithoutAFileOpensAnEmptyMemoTitledWithTheDay() {
        openMemo(kDay, [this](Form2& memo) {
            QCOMPARE(memo.windowTitle(),
                     "Orbeta " + QLocale::system().toString(kDay, QLocale::ShortFormat));
            if (QLocale::system().language() == QLocale::Japanese)
                QCOMPARE(memo.windowTitle(), QString("Orbeta 1999/03/27"));
            QVERIFY(memo.RichTextBox1().document()->isEmpty());
            QCOMPARE(memo.size(), QSize(312, 183));
            QCOMPARE(memo.RichTextBox1().geometry(), memo.rect());
            QCOMPARE(memo.RichTextBox1().font().family(), fonts::kPGothic);
            QCOMPARE(memo.RichTextBox1().font().pointSizeF(), 12.0);
            QVERIFY(memo.windowFlags() & Qt::WindowMaximizeButtonHint);
            QVERIFY(memo.windowFlags() & Qt::WindowMinimizeButtonHint);
            QVERIFY(!memo.windowIcon().isNull());
            QCOMPARE(QApplication::activeModalWidget(), &memo);
            QCOMPARE(memo.parentWidget(), &calendar());
        });
        QCOMPARE(QDir(test_->memoFolder()).entryList(QDir::Files), QStringList());
    }

    void dayWithAFileShowsItsTextAndFormatting() {
        writeFile(test_->memoPath("1999327.rtf"),
                  "{\\rtf1\\ansi\\ansicpg932{\\fonttbl{\\f0\\fcharset128 x;}}\\f0 \\b "
                  "\\'8e\\'95\\'88\\'e3\\b0  15:30\\par}");
        openMemo(kDay, [](Form2& memo) {
            QTextDocument* document = memo.RichTextBox1().document();
            QCOMPARE(document->toPlainText(), QString("歯医 15:30"));
            QCOMPARE(document->firstBlock().begin().fragment().charFormat().fontWeight(),
                     int(QFont::Bold));
            QVERIFY(!document->isUndoAvailable());
        });
    }

    void fileThatIsNotRtfIsShownAsText() {
        writeFile(test_->memoPath("1999327.rtf"), "plain 買い物\n");
        openMemo(kDay, [](Form2& memo) {
            QCOMPARE(memo.RichTextBox1().toPlainText(), QString("plain 買い物\n"));
        });
    }

    void saveAndCloseWritesTheMemoAndTheCalendarShowsIt() {
        openMemo(kDay, [](Form2& memo) {
            QTest::keyClicks(&memo.RichTextBox1(), "dentist");
            menuItem(&memo, "mnu_saveclose")->trigger();
        });
        QTextDocument saved;
        QVERIFY(rtf::readRtf(readFile(test_->memoPath("1999327.rtf")), saved).isRtf());
        QCOMPARE(saved.toPlainText(), QString("dentist"));
        QCOMPARE(calendar().MonthView1().dateTextFormat(kDay).fontWeight(), int(QFont::Bold));
        QCOMPARE(calendar().MonthView1().dateTextFormat(kDay.addDays(1)).fontWeight(),
                 int(QFont::Normal));

        // Saving again replaces the file.
        openMemo(kDay, [](Form2& memo) {
            QCOMPARE(memo.RichTextBox1().toPlainText(), QString("dentist"));
            memo.RichTextBox1().selectAll();
            typeText(&memo.RichTextBox1(), "歯医者");
            menuItem(&memo, "mnu_saveclose")->trigger();
        });
        QVERIFY(rtf::readRtf(readFile(test_->memoPath("1999327.rtf")), saved).isRtf());
        QCOMPARE(saved.toPlainText(), QString("歯医者"));
    }

    void closeAndTheCloseBoxLeaveTheFileAsItWas() {
        const QByteArray original = "{\\rtf1 kept\\par}";
        writeFile(test_->memoPath("1999327.rtf"), original);
        openMemo(kDay, [](Form2& memo) {
            QTest::keyClicks(&memo.RichTextBox1(), "lost edit ");
            menuItem(&memo, "mnu_close")->trigger();
        });
        QCOMPARE(readFile(test_->memoPath("1999327.rtf")), original);
        openMemo(kDay, [](Form2& memo) {
            QTest::keyClicks(&memo.RichTextBox1(), "another lost edit ");
            memo.close();
        });
        QCOMPARE(readFile(test_->memoPath("1999327.rtf")), original);
    }

    // Given a file-size limit the memo outgrows, saving fails where it would have ended the
    // program: the window stays with its text, the old file as it was, and the message says
    // which file and why.
    void failedSaveKeepsTheWindowItsTextAndTheOldFile() {
        writeFile(test_->memoPath("1999327.rtf"), "{\\rtf1 old\\par}");
        struct rlimit limit {};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &limit), 0);
        const rlimit unlimited = limit;
        openMemo(kDay, [&](Form2& memo) {
            QTest::keyClicks(&memo.RichTextBox1(), QString("precious words ").repeated(20));
            QString message;
            whenModalAppears([&](QWidget* box) {
                message = static_cast<QMessageBox*>(box)->text();
                box->close();
            });
            limit.rlim_cur = 256;
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &limit), 0);
            menuItem(&memo, "mnu_saveclose")->trigger();
            QCOMPARE(setrlimit(RLIMIT_FSIZE, &unlimited), 0);
            QVERIFY(message.startsWith("メモを保存できませんでした。"));
            QVERIFY(message.contains(QFileInfo(test_->memoPath("1999327.rtf")).absoluteFilePath()));
            QVERIFY2(message.contains("上限"), qPrintable(message));
            QVERIFY(memo.isVisible());
            QVERIFY(memo.RichTextBox1().toPlainText().startsWith("precious words"));
        });
        QCOMPARE(readFile(test_->memoPath("1999327.rtf")), QByteArray("{\\rtf1 old\\par}"));
    }

    void unreadableMemoSaysSoAndIsNotReplaced() {
        QVERIFY(QDir(test_->memoFolder()).mkdir("1999327.rtf"));
        openMemo(kDay, [this](Form2& memo) {
            QVERIFY2(memo.notice().startsWith("このメモのファイルを読み込めませんでした"),
                     qPrintable(memo.notice()));
            QVERIFY(memo.findChild<QLabel*>("lblNotice")->isVisible());
            QVERIFY(memo.RichTextBox1().geometry().top() > 0); // below the notice
            QVERIFY(memo.RichTextBox1().isReadOnly());         // typing could never be saved
            typeText(&memo.RichTextBox1(), "new words");
            QString refusal;
            whenModalAppears([&](QWidget* box) {
                QCOMPARE(box->objectName(), QString("saveRefused"));
                refusal = static_cast<QMessageBox*>(box)->text();
                box->close();
            });
            menuItem(&memo, "mnu_saveclose")->trigger();
            QVERIFY(refusal.contains("保存しませんでした"));
            QVERIFY(memo.isVisible());
        });
        QVERIFY(QFileInfo(test_->memoPath("1999327.rtf")).isDir());
    }

    // Given a memo whose file another program changes while it is open, saving asks first:
    // Escape goes back to editing and writes nothing; 上書き保存 replaces it.
    void changedFileIsNotReplacedWithoutAsking() {
        writeFile(test_->memoPath("1999327.rtf"), "{\\rtf1 mine\\par}");
        openMemo(kDay, [this](Form2& memo) {
            QVERIFY(memo.notice().isEmpty());
            typeText(&memo.RichTextBox1(), "edited ");
            writeFile(test_->memoPath("1999327.rtf"), "{\\rtf1 theirs\\par}");
            whenModalAppears([](QWidget* box) {
                QCOMPARE(box->objectName(), QString("fileChanged"));
                QTest::keyClick(box, Qt::Key_Escape);
            });
            menuItem(&memo, "mnu_saveclose")->trigger();
            QVERIFY(memo.isVisible());
            QCOMPARE(readFile(test_->memoPath("1999327.rtf")), QByteArray("{\\rtf1 theirs\\par}"));
            whenModalAppears(
                [](QWidget* box) { box->findChild<QPushButton*>("overwrite")->click(); });
            menuItem(&memo, "mnu_saveclose")->trigger();
        });
        QTextDocument saved;
        rtf::readRtf(readFile(test_->memoPath("1999327.rtf")), saved);
        QCOMPARE(saved.toPlainText(), QString("edited mine"));
    }

    // A word of 300,000 characters once kept Qt laying out its lines for minutes.
    void unbreakableLineOpensAtOnce() {
        writeFile(test_->memoPath("1999327.rtf"),
                  "{\\rtf1 " + QByteArray(300000, 'x') + " end\\par}");
        QElapsedTimer clock;
        clock.start();
        openMemo(kDay, [&](Form2& memo) {
            memo.resize(400, 300);
            QVERIFY(QTest::qWaitForWindowExposed(&memo));
            memo.RichTextBox1().moveCursor(QTextCursor::End);
            QVERIFY(memo.RichTextBox1().cursorRect().isValid());
            QCOMPARE(memo.RichTextBox1().wordWrapMode(), QTextOption::WrapAnywhere);
        });
        QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    }

    void editorFillsTheWindowAtEverySize() {
        openMemo(kDay, [](Form2& memo) {
            for (const QSize size : {QSize(600, 400), QSize(170, 90)}) {
                memo.resize(size);
                QCOMPARE(memo.RichTextBox1().geometry(), QRect(QPoint(0, 0), size));
            }
            memo.showMaximized();
            QTRY_VERIFY(memo.isMaximized());
            QTRY_COMPARE(memo.RichTextBox1().geometry(), memo.rect());
        });
    }

    void rightPressOpensTheMenuOtherButtonsDoNot() {
        openMemo(kDay, [](Form2& memo) {
            QWidget* area = memo.RichTextBox1().viewport();
            auto* menu = memo.findChild<QMenu*>("p_menu");
            QTest::mousePress(area, Qt::LeftButton, {}, QPoint(20, 20));
            QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(20, 20));
            QTest::mousePress(area, Qt::MiddleButton, {}, QPoint(20, 20));
            QTest::mouseRelease(area, Qt::MiddleButton, {}, QPoint(20, 20));
            QVERIFY(!menu->isVisible());
            QTest::mousePress(area, Qt::RightButton, {}, QPoint(20, 20));
            QTRY_VERIFY(menu->isVisible());
            QStringList items;
            for (QAction* item : menu->actions())
                items << item->text();
            QCOMPARE(items,
                     (QStringList{"保存終了", "終了", "", "以前の版(&V)...", "画像を挿入(&I)..."}));
            menu->close();
            // A second right click soon after the first reaches Qt as a double click: it opens
            // the menu all the same.
            QTest::mouseRelease(area, Qt::RightButton, {}, QPoint(20, 20));
            QTest::mouseDClick(area, Qt::RightButton, {}, QPoint(20, 20));
            QTRY_VERIFY(menu->isVisible());
            menu->close();
        });
    }

    void positionIsRememberedAndSizeIsNot() {
        openMemo(kDay, [](Form2& memo) {
            QCOMPARE(memo.geometry().topLeft(), QPoint(145, 187)); // the client area's design place
            memo.move(400, 90);
            memo.resize(500, 300);
            QTRY_COMPARE(memo.pos(), QPoint(400, 90));
        });
        QCOMPARE(test_->storedValue("Form2_StrtUp/X1"), QString("6000"));
        QCOMPARE(test_->storedValue("Form2_StrtUp/Y1"), QString("1350"));
        openMemo(kDay, [](Form2& memo) {
            QCOMPARE(memo.pos(), QPoint(400, 90));
            QCOMPARE(memo.size(), QSize(312, 183));
        });
    }

    void keyboardFormatsAndTheClipboardCarriesRtf() {
        openMemo(kDay, [](Form2& memo) {
            RichTextBox& editor = memo.RichTextBox1();
            QTest::keyClick(&editor, Qt::Key_B, Qt::ControlModifier);
            typeText(&editor, "太字");
            QTest::keyClick(&editor, Qt::Key_B, Qt::ControlModifier);
            QTest::keyClick(&editor, Qt::Key_I, Qt::ControlModifier);
            QTest::keyClick(&editor, Qt::Key_U, Qt::ControlModifier);
            typeText(&editor, "下線");
            const QTextBlock block = editor.document()->firstBlock();
            auto fragment = block.begin();
            QCOMPARE(fragment.fragment().text(), QString("太字"));
            QCOMPARE(fragment.fragment().charFormat().fontWeight(), int(QFont::Bold));
            ++fragment;
            QCOMPARE(fragment.fragment().text(), QString("下線"));
            QVERIFY(fragment.fragment().charFormat().fontItalic());
            QVERIFY(fragment.fragment().charFormat().fontUnderline());

            editor.selectAll();
            QTest::keyClick(&editor, Qt::Key_C, Qt::ControlModifier);
            const QMimeData* copied = QApplication::clipboard()->mimeData();
            QVERIFY2(copied->hasFormat("text/rtf"), qPrintable(copied->formats().join(", ")));
            QVERIFY(copied->data("text/rtf").startsWith("{\\rtf1"));
            QCOMPARE(copied->text(), QString("太字下線"));

            auto* offered = new QMimeData;
            offered->setData("text/rtf", "{\\rtf1\\ansi{\\b pasted}\\par}");
            offered->setText("plain pasted");
            QApplication::clipboard()->setMimeData(offered);
            QTest::keyClick(&editor, Qt::Key_End, Qt::ControlModifier);
            QTest::keyClick(&editor, Qt::Key_V, Qt::ControlModifier);
            QCOMPARE(editor.toPlainText(), QString("太字下線pasted"));
            QTextCursor pasted = editor.document()->find("pasted");
            QCOMPARE(pasted.charFormat().fontWeight(), int(QFont::Bold));
            QTest::keyClick(&editor, Qt::Key_Z, Qt::ControlModifier);
            QCOMPARE(editor.toPlainText(), QString("太字下線"));
        });
    }

    // Given a memo with a bitmap Qt shows only once it is given a file header, and a metafile Qt
    // cannot show at all, the bitmap is drawn, the metafile has its place, and both survive
    // copying and pasting inside the memo and saving.
    void picturesAreDrawnCopiedAndSaved() {
        QFile source(QStringLiteral(ORBETA_TEST_DATA "/pictures_windows.rtf"));
        QVERIFY(source.open(QIODevice::ReadOnly));
        const QByteArray original = source.readAll();
        writeFile(test_->memoPath("1999327.rtf"), original);
        openMemo(kDay, [&](Form2& memo) {
            RichTextBox& editor = memo.RichTextBox1();
            const QImage shown = editor.viewport()->grab().toImage();
            bool red = false;
            for (int y = 0; y < shown.height() && !red; ++y)
                for (int x = 0; x < shown.width() && !red; ++x)
                    red = shown.pixelColor(x, y) == QColor(255, 0, 0);
            QVERIFY2(red, "the bitmap's red half is not on the screen");

            QTextCursor metafile = editor.document()->find("WMF:");
            metafile.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, 2);
            QVERIFY(editor.cursorRect(metafile).isValid());
            editor.setTextCursor(metafile);
            QTest::keyClick(&editor, Qt::Key_C, Qt::ControlModifier);
            QTest::keyClick(&editor, Qt::Key_End, Qt::ControlModifier);
            QTest::keyClick(&editor, Qt::Key_V, Qt::ControlModifier);
            memo.findChild<QAction*>("mnu_saveclose")->trigger();
        });
        const QByteArray saved = readFile(test_->memoPath("1999327.rtf"));
        const QByteArray group = original.mid(original.indexOf("{\\pict\\wmetafile8"), 200);
        QCOMPARE(saved.count(group), 3); // the picture, its copy, and the object's result
    }
};

QTEST_MAIN(TestForm2)
#include "tst_form2.moc"
