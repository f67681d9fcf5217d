#include "app/colour_scheme.h"
#include "app/japanese_fonts.h"
#include "app/readable_colours.h"
#include "calendar/form1.h"
#include "memo/form2.h"
#include "memo/readable_text.h"
#include "memo/rich_text_box.h"
#include "store/memo_store.h"
#include "support/drawn_colours.h"
#include "support/fake_clock.h"
#include "support/memo_window.h"
#include "support/test_program.h"

#include <QApplication>
#include <QLabel>
#include <QStandardPaths>
#include <QStyle>
#include <QTest>
#include <QTextBlock>

using namespace orbeta;

namespace {

const QDate kDay(1999, 3, 27);
const QString kMemo = QStringLiteral("1999327.rtf");

// Four lines of solid squares: of no colour of their own, black, white, and a red.
const QByteArray kColouredMemo =
    "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 MS UI Gothic;}}"
    "{\\colortbl;\\red0\\green0\\blue0;\\red255\\green255\\blue255;\\red200\\green0\\blue0;}"
    "\\uc1\\u9632?\\u9632?\\par\\cf1 \\u9632?\\u9632?\\par\\cf2 \\u9632?\\u9632?\\par"
    "\\cf3 \\u9632?\\u9632?\\par}";
const QColor kOwn[] = {QColor(), Qt::black, Qt::white, QColor(200, 0, 0)};

// What each line of the memo window's text shows, measured from the screen.
QList<Drawn> drawnLines(RichTextBox& editor) {
    const QImage image = editor.viewport()->grab().toImage();
    QList<Drawn> lines;
    for (QTextBlock block = editor.document()->begin(); block.isValid(); block = block.next()) {
        if (block.text().isEmpty())
            continue;
        const QRect start = editor.cursorRect(QTextCursor(block));
        lines << drawnIn(image, QRect(start.left(), start.top(), 80, start.height()));
    }
    return lines;
}

QString described(const Drawn& drawn) {
    return QStringLiteral("%1 on %2: %3")
        .arg(drawn.ink.name(), drawn.background.name())
        .arg(drawn.ratio);
}

} // namespace

class TestReadableText : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgram> test_;

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        fonts::installJapaneseSubstitutes();
    }
    void init() {
        test_ = std::make_unique<TestProgram>(
            std::make_unique<FakeClock>(QDateTime(kDay, QTime(9, 0))));
        test_->program->form1().show();
        QVERIFY(QTest::qWaitForWindowExposed(&test_->program->form1()));
    }
    void cleanup() {
        closeStrayWindows();
        test_.reset();
        QApplication::setPalette(QApplication::style()->standardPalette());
    }

    // Under each palette every line of a memo reads, measured from the screen; text that reads
    // as it is keeps its own colour; the memo keeps its colours, and a memo read and saved under
    // any palette is written byte for byte the same.
    void everyLineReadsAndTheFileKeepsItsColours() {
        QByteArray firstSaved;
        for (const NamedPalette& named : lightAndDarkPalettes()) {
            QApplication::setPalette(named.palette);
            writeFile(test_->memoPath(kMemo), kColouredMemo);
            QVERIFY(openMemoAsUser(*test_, kDay, [&](Form2& memo) {
                RichTextBox& editor = memo.RichTextBox1();
                const QList<Drawn> lines = drawnLines(editor);
                QCOMPARE(lines.size(), 4);
                const QColor base = named.palette.color(QPalette::Base);
                for (qsizetype line = 0; line < 4; ++line) {
                    const Drawn& drawn = lines.at(line);
                    QVERIFY2(drawn.background == base && drawn.ratio >= kTextContrast,
                             qPrintable(QStringLiteral("%1, line %2: %3")
                                            .arg(named.name)
                                            .arg(line)
                                            .arg(described(drawn))));
                    const QColor own = line == 0 ? named.palette.color(QPalette::Text) : kOwn[line];
                    if (contrastRatio(own, base) >= kTextContrast)
                        QCOMPARE(drawn.ink, own);
                    else if (line == 1) // black on a dark page: as text of no colour
                        QCOMPARE(drawn.ink, named.palette.color(QPalette::Text));
                }
                QTextCursor black(editor.document()->begin().next());
                black.movePosition(QTextCursor::NextCharacter);
                QCOMPARE(black.charFormat().foreground().color(), QColor(Qt::black));
                menuItem(&memo, "mnu_saveclose")->trigger();
            }));
            const QByteArray saved = readFile(test_->memoPath(kMemo));
            QVERIFY(saved.contains("\\red0\\green0\\blue0;\\red255\\green255\\blue255;"));
            if (firstSaved.isEmpty())
                firstSaved = saved;
            QCOMPARE(saved, firstSaved);
        }
    }

    // The desktop turning dark with a memo open: the black text and the notice above it are
    // drawn again in colours that read, and turning light again brings back the first.
    void aDesktopTurningDarkRecoloursTheMemoWindow() {
        writeFile(test_->memoPath(kMemo), kColouredMemo);
        writeFile(test_->memoPath("1999327 (conflicted copy 1999-03-28 101530).rtf"),
                  "{\\rtf1 laptop\\par}");
        QTRY_VERIFY(test_->program->memoStore().hasVersions(kDay));
        QVERIFY(openMemoAsUser(*test_, kDay, [&](Form2& memo) {
            RichTextBox& editor = memo.RichTextBox1();
            auto* notice = memo.findChild<QLabel*>(QStringLiteral("lblNotice"));
            QVERIFY(notice->isVisible());
            const Drawn lightNotice = drawnIn(notice->grab().toImage(), notice->rect());
            QCOMPARE(lightNotice.background, QColor(255, 244, 196));
            QVERIFY(lightNotice.ratio >= kTextContrast);
            const QList<Drawn> light = drawnLines(editor);
            QCOMPARE(light.at(1).ink, QColor(Qt::black));
            QVERIFY(!editor.readableText().adjusting() || light.at(2).ink != QColor(Qt::white));

            ColourScheme scheme;
            scheme.follow(1);
            const QColor darkBase = ColourScheme::darkPalette().color(QPalette::Base);
            QTRY_COMPARE(editor.palette().color(QPalette::Base), darkBase);
            const QList<Drawn> dark = drawnLines(editor);
            QVERIFY2(dark.at(1).background == darkBase && dark.at(1).ratio >= kTextContrast,
                     qPrintable(described(dark.at(1))));
            QCOMPARE(dark.at(2).ink, QColor(Qt::white));
            const Drawn darkNotice = drawnIn(notice->grab().toImage(), notice->rect());
            QVERIFY(isDark(notice->palette()) && darkNotice.background != lightNotice.background);
            QVERIFY2(darkNotice.ratio >= kTextContrast, qPrintable(described(darkNotice)));
            QVERIFY(contrastRatio(notice->palette().color(QPalette::Link),
                                  notice->palette().color(QPalette::Window)) >= kTextContrast);

            scheme.follow(2);
            QTRY_COMPARE(editor.palette().color(QPalette::Base), light.at(1).background);
            QCOMPARE(drawnLines(editor).at(1).ink, QColor(Qt::black));
            QCOMPARE(drawnIn(notice->grab().toImage(), notice->rect()).background,
                     lightNotice.background);
        }));
    }
};

QTEST_MAIN(TestReadableText)
#include "tst_readable_text.moc"
