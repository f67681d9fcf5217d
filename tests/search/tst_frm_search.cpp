#include "app/readable_colours.h"
#include "calendar/form1.h"
#include "calendar/month_view.h"
#include "memo/form2.h"
#include "memo/frm_versions.h"
#include "memo/rich_text_box.h"
#include "search/frm_search.h"
#include "search/memo_index.h"
#include "search/search_result_delegate.h"
#include "search/search_results.h"
#include "support/drawn_colours.h"
#include "support/test_program.h"

#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QTextEdit>
#include <QTimer>

using namespace orbeta;

namespace {

// Japanese text arrives from an input method as committed text, a keystroke at a time.
void typeText(QWidget* field, const QString& text) {
    for (const QChar c : text) {
        QInputMethodEvent committed;
        committed.setCommitString(c);
        QApplication::sendEvent(field, &committed);
    }
}

} // namespace

class TestFrmSearch : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgram> test_;

    void write(const QString& name, const QString& text) {
        QFile file(test_->memoPath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(text.toUtf8()); // a memo that is not RTF is searched as its text
    }
    frmSearch& window() { return test_->program->search(); }
    QStringList rows() {
        QStringList shown;
        const auto& results = window().results();
        for (int row = 0; row < results.rowCount(); ++row)
            shown << results.index(row).data().toString();
        return shown;
    }

private Q_SLOTS:
    void init() {
        test_ = std::make_unique<TestProgram>();
        write("1999327.rtf", u"買い物\n東京で会議、それから新幹線"_qs);
        write("2003327.rtf", u"ＴＯＫＹＯ\n東京タワー"_qs);
        write("2003328.rtf", u"雨"_qs);
        test_->program->Start();
        test_->program->form1().MonthView1().setValue(QDate(2010, 3, 27));
        test_->program->showSearch();
        QTRY_VERIFY(!test_->program->memoIndex().reading());
        QTRY_VERIFY(window().lblCount().text() == u"3 件"_qs);
    }
    void cleanup() {
        closeStrayWindows();
        test_.reset();
        QApplication::setPalette(QApplication::style()->standardPalette());
    }

    void typingNarrowsTheListAndEmptyListsEveryMemo() {
        QVERIFY(window().txtQuery().hasFocus());
        QCOMPARE(rows(), (QStringList{u"2003/03/28 (金)  雨"_qs, u"2003/03/27 (木)  ＴＯＫＹＯ"_qs,
                                      u"1999/03/27 (土)  買い物"_qs}));
        typeText(&window().txtQuery(), u"とうきょう"_qs);
        QCOMPARE(window().lblCount().text(), u"0 件"_qs);
        window().txtQuery().clear();
        typeText(&window().txtQuery(), u"東京"_qs);
        QCOMPARE(rows(), (QStringList{u"2003/03/27 (木)  東京タワー"_qs,
                                      u"1999/03/27 (土)  東京で会議、それから新幹線"_qs}));
        QCOMPARE(window().results().index(1).data(search::SearchResults::HitRole), QPoint(0, 2));
        typeText(&window().txtQuery(), u"　tokyo"_qs);
        QCOMPARE(rows(), QStringList{u"2003/03/27 (木)  ＴＯＫＹＯ"_qs});
        QCOMPARE(window().lblCount().text(), u"1 件"_qs);
    }

    void enterOpensTheDayWithTheFirstHitSelected() {
        typeText(&window().txtQuery(), u"かいぎ 新幹線"_qs);
        QCOMPARE(window().results().rowCount(), 0); // 会議 is not read as かいぎ
        window().txtQuery().setText(u"新幹線 会議"_qs);
        QTest::keyClick(&window().txtQuery(), Qt::Key_Down);
        QVERIFY(window().lstResults().hasFocus());
        QString selected;
        QDate calendarDay;
        whenModalAppears([&](QWidget* modal) {
            auto* memo = qobject_cast<Form2*>(modal);
            QVERIFY(memo);
            selected = memo->RichTextBox1().textCursor().selectedText();
            calendarDay = test_->program->form1().MonthView1().selectedDate();
            memo->Unload();
        });
        QTest::keyClick(&window().lstResults(), Qt::Key_Return);
        QCOMPARE(selected, u"会議"_qs);
        QCOMPARE(calendarDay, QDate(1999, 3, 27));
        QVERIFY(window().isVisible());
        QCOMPARE(window().txtQuery().text(), u"新幹線 会議"_qs);
        QCOMPARE(window().lstResults().currentIndex().row(), 0);
    }

    void copiesTheSelectedResultsAsLines() {
        QTest::keyClick(&window().txtQuery(), Qt::Key_Tab);
        QVERIFY(window().lstResults().hasFocus());
        QTest::keyClick(&window().lstResults(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(&window().lstResults(), Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QApplication::clipboard()->text(),
                 u"2003/03/28\t雨\n2003/03/27\tＴＯＫＹＯ\n1999/03/27\t買い物\n"_qs);
    }

    void sameDayListsTheCalendarsDayOfEveryYear() {
        QTest::keyClick(&window(), Qt::Key_D, Qt::ControlModifier);
        QVERIFY(window().cmdSameDay().isChecked());
        QCOMPARE(window().results().rowCount(), 2);
        QCOMPARE(window().lblCount().text(), u"3月27日のメモ　2 件"_qs);
        test_->program->form1().MonthView1().setValue(QDate(2010, 3, 28));
        QCOMPARE(rows(), QStringList{u"2003/03/28 (金)  雨"_qs});
    }

    void aSavedMemoIsFoundWhenItsWindowCloses() {
        whenModalAppears([](QWidget* modal) {
            auto* memo = qobject_cast<Form2*>(modal);
            memo->RichTextBox1().setPlainText(u"晴れて、ピクニック"_qs);
            memo->findChild<QAction*>("mnu_saveclose")->trigger();
        });
        test_->program->form1().MonthView1().setValue(QDate(2020, 5, 5));
        test_->program->openMemo(QDate(2020, 5, 5));
        typeText(&window().txtQuery(), u"ぴくにっく"_qs);
        QCOMPARE(rows(), QStringList{u"2020/05/05 (火)  晴れて、ピクニック"_qs});
    }

    // Given nothing changing, the idle window does not search again; given a query of thousands
    // of words, it searches for the first few and says so.
    void searchesOnlyWhenSomethingChangedAndBoundsAQuery() {
        QSignalSpy searched(&window().results(), &QAbstractItemModel::modelReset);
        QSignalSpy shownAgain(&window().results(), &QAbstractItemModel::dataChanged);
        auto* lookAgain = window().findChild<QTimer*>(QStringLiteral("lookAgain"));
        QVERIFY(lookAgain && lookAgain->isActive());
        QSignalSpy looked(lookAgain, &QTimer::timeout);
        QTRY_VERIFY_WITH_TIMEOUT(looked.size() >= 2, 30000); // the window looked at the folder
        QCOMPARE(searched.size() + shownAgain.size(), 0);

        QString pasted;
        for (int word = 0; word < 16000; ++word)
            pasted += QStringLiteral("東京%1 ").arg(word);
        QElapsedTimer clock;
        clock.start();
        window().txtQuery().setText(pasted);
        QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(window().results().terms().size(), search::SearchResults::kMaxTerms);
        QVERIFY2(window().lblCount().text().contains(u"はじめの 16 語"_qs),
                 qPrintable(window().lblCount().text()));
    }

    // Given a copy a sync tool made of a memo, a word only the copy holds finds it, marked, and
    // opening it shows the copy over the memo.
    void aSyncToolsCopyIsFoundAndOpened() {
        write("1999327.sync-conflict-19990327-101010-ABCDEFG.rtf", u"laptop only"_qs);
        QTRY_COMPARE(test_->program->memoIndex().fileCount(), 4);
        typeText(&window().txtQuery(), u"laptop"_qs);
        QTRY_COMPARE(window().results().rowCount(), 1);
        QVERIFY(window().results().index(0).data(search::SearchResults::CopyRole).toBool());
        QVERIFY(rows().first().contains(search::kCopyMark));
        // The copy comes over the memo window: it is read, then both are closed.
        QString shown;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (auto* versions = qobject_cast<frmVersions*>(QApplication::activeModalWidget())) {
                shown = versions->txtPreview().toPlainText();
                versions->reject();
                QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
            }
        });
        poll.start(10);
        QTest::keyClick(&window().txtQuery(), Qt::Key_Return);
        QCOMPARE(shown, u"laptop only"_qs);
    }

    // Under a light and dark palettes, measured from the screen: a Saturday's date in its blue,
    // the mark of a sync copy, and the words found on their marker all read at 4.5:1.
    void everyColourInTheListReads_data() {
        QTest::addColumn<QPalette>("palette");
        for (const NamedPalette& named : lightAndDarkPalettes())
            QTest::newRow(named.name) << named.palette;
    }
    void everyColourInTheListReads() {
        QFETCH(QPalette, palette);
        QApplication::setPalette(palette);
        QListView& list = window().lstResults();
        QTRY_COMPARE(list.palette().color(QPalette::Base), palette.color(QPalette::Base));
        write("1999327.sync-conflict-19990327-101010-ABCDEFG.rtf", u"東京の端末"_qs);
        QTRY_COMPARE(test_->program->memoIndex().fileCount(), 4);
        typeText(&window().txtQuery(), u"東京"_qs);
        QTRY_COMPARE(window().results().rowCount(), 3);
        list.selectionModel()->clear();
        QTRY_VERIFY(list.visualRect(window().results().index(2)).height() > 0);
        const QImage image = list.viewport()->grab().toImage();
        const QFontMetrics metrics(list.font());
        const auto reads = [&](const Drawn& drawn, const char* what) {
            QVERIFY2(drawn.ratio >= kTextContrast,
                     qPrintable(QStringLiteral("%1: %2 on %3, %4")
                                    .arg(QString::fromLatin1(what), drawn.ink.name(),
                                         drawn.background.name())
                                    .arg(drawn.ratio)));
        };
        for (int row = 0; row < 3; ++row) {
            const QModelIndex index = window().results().index(row);
            const QRect rect = list.visualRect(index);
            const QDate date = index.data(search::SearchResults::DateRole).toDate();
            const int dateWidth = metrics.horizontalAdvance(search::shownDate(date));
            const Drawn day =
                drawnIn(image, QRect(rect.left(), rect.top(), dateWidth, rect.height()));
            QCOMPARE(day.background, palette.color(QPalette::Base));
            reads(day, "date");
            if (date.dayOfWeek() == Qt::Saturday)
                QVERIFY(day.ink.blue() > day.ink.red());
            if (index.data(search::SearchResults::CopyRole).toBool()) {
                const int markStart =
                    rect.left() + metrics.horizontalAdvance(search::shownDate(date) + u"  "_qs);
                reads(drawnIn(image,
                              QRect(markStart, rect.top(),
                                    metrics.horizontalAdvance(search::kCopyMark), rect.height())),
                      "copy mark");
            }
            // The marker is drawn solid: the words found are where its colour is.
            const QColor marker = search::SearchResultDelegate::hitMarker(list.palette());
            QRect marked;
            for (int y = rect.top(); y <= rect.bottom(); ++y)
                for (int x = rect.left(); x <= rect.right(); ++x)
                    if (image.pixelColor(x, y) == marker)
                        marked |= QRect(x, y, 1, 1);
            QVERIFY(marked.width() > 10);
            const Drawn found = drawnIn(image, marked);
            QCOMPARE(found.background, marker);
            reads(found, "words found");
        }
    }
};

QTEST_MAIN(TestFrmSearch)
#include "tst_frm_search.moc"
