#include "app/japanese_fonts.h"
#include "calendar/day_kind.h"
#include "calendar/form1.h"
#include "calendar/month_view.h"
#include "support/fake_clock.h"
#include "support/test_program.h"

#include <QAbstractItemView>
#include <QFile>
#include <QMenu>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTest>
#include <QTextCharFormat>
#include <QTextDocument>
#include <QToolButton>

using orbeta::MonthView;

namespace {

const QDateTime kLateEvening(QDate(2026, 12, 7), QTime(23, 59, 59));

QAbstractItemView* dayTable(MonthView& view) {
    return view.findChild<QAbstractItemView*>();
}

// The cell of a day of the month on view: the first row holds the day names, and a month that
// begins on a Sunday shows the week before it first.
QRect cellOf(MonthView& view, QDate date) {
    const QDate first(view.yearShown(), view.monthShown(), 1);
    int column = first.dayOfWeek() % 7;
    if (column == 0)
        column = 7;
    const int position = column + static_cast<int>(first.daysTo(date));
    QAbstractItemView* table = dayTable(view);
    return table->visualRect(table->model()->index(1 + position / 7, position % 7));
}

// How near the cell's pixel nearest to the colour comes to it: thin strokes are never drawn in
// the full colour.
int nearestTo(MonthView& view, const QRect& cell, const QColor& colour) {
    const QImage image = dayTable(view)->viewport()->grab(cell).toImage();
    int nearest = 3 * 255;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            nearest = std::min(nearest, std::abs(pixel.red() - colour.red()) +
                                            std::abs(pixel.green() - colour.green()) +
                                            std::abs(pixel.blue() - colour.blue()));
        }
    return nearest;
}

// Whether the cell shows the colour.
bool shows(MonthView& view, const QRect& cell, const QColor& colour) {
    return nearestTo(view, cell, colour) < 80;
}

QString toolTipText(const MonthView& view, QDate date) {
    QTextDocument tip;
    tip.setHtml(view.dateTextFormat(date).toolTip());
    return tip.toPlainText();
}

QToolButton* titleButton(MonthView& view, const char* name) {
    return view.findChild<QToolButton*>(QString::fromLatin1(name));
}

} // namespace

class TestMonthView : public QObject {
    Q_OBJECT

    std::unique_ptr<TestProgram> test_;
    FakeClock* clock_ = nullptr;

    MonthView& view() { return test_->program->form1().MonthView1(); }
    void writeMemo(const QString& name, const QByteArray& rtf) {
        QFile file(test_->memoPath(name));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(rtf);
    }

private Q_SLOTS:
    void initTestCase() {
        QStandardPaths::setTestModeEnabled(true);
        orbeta::fonts::installJapaneseSubstitutes();
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); // weeks begin on Monday
    }
    void init() {
        auto clock = std::make_unique<FakeClock>(kLateEvening);
        clock_ = clock.get();
        test_ = std::make_unique<TestProgram>(std::move(clock));
    }
    void cleanup() {
        closeStrayWindows();
        test_.reset();
    }

    void titleIsYearThenMonthWithTheEraAsTooltip() {
        test_->program->form1().show();
        QVERIFY(QTest::qWaitForWindowExposed(&test_->program->form1()));
        QToolButton* year = titleButton(view(), "qt_calendar_yearbutton");
        QToolButton* month = titleButton(view(), "qt_calendar_monthbutton");
        QCOMPARE(year->text() + month->text(), QStringLiteral("2026年12月"));
        QVERIFY(year->geometry().right() < month->geometry().left());
        QCOMPARE(year->toolTip(), QStringLiteral("令和8年12月"));

        QTest::mouseClick(view().findChild<QToolButton*>(QStringLiteral("qt_calendar_nextmonth")),
                          Qt::LeftButton);
        QCOMPARE(year->text() + month->text(), QStringLiteral("2027年1月"));
        QCOMPARE(month->toolTip(), QStringLiteral("令和9年1月"));

        // Editing the year in its box, in the year button's place; the month stays put.
        const QPoint monthAt = month->pos();
        QTest::mouseClick(year, Qt::LeftButton);
        auto* yearEdit = view().findChild<QSpinBox*>(QStringLiteral("qt_calendar_yearedit"));
        QTRY_VERIFY(yearEdit->isVisible());
        QCOMPARE(yearEdit->x(), year->x());
        QVERIFY(yearEdit->geometry().right() < month->x());
        QVERIFY(std::abs(month->x() - monthAt.x()) < 5);
        yearEdit->selectAll();
        QTest::keyClicks(yearEdit, QStringLiteral("1989"));
        QTest::keyClick(yearEdit, Qt::Key_Return);
        QTRY_COMPARE(year->text() + month->text(), QStringLiteral("1989年1月"));
        QCOMPARE(year->toolTip(), QStringLiteral("昭和64年/平成元年1月"));

        // The same year again: the calendar writes the bare year, the title keeps its 年.
        QTest::mouseClick(year, Qt::LeftButton);
        QTRY_VERIFY(yearEdit->isVisible());
        QTest::keyClick(yearEdit, Qt::Key_Return);
        QTRY_VERIFY(year->isVisible());
        QCOMPARE(year->text(), QStringLiteral("1989年"));

        month->menu()->actions().at(4)->trigger();
        QCOMPARE(year->text() + month->text(), QStringLiteral("1989年5月"));
        QCOMPARE(view().findChild<QWidget*>(QStringLiteral("qt_calendar_navigationbar"))->toolTip(),
                 QStringLiteral("平成元年5月"));
    }

    void daysAreRedBlueOrBlackAndNeighboursPaler() {
        test_->program->form1().show();
        QVERIFY(QTest::qWaitForWindowExposed(&test_->program->form1()));
        view().setSelectedDate(QDate(2026, 5, 20));
        const QAbstractItemModel* model = dayTable(view())->model();
        QCOMPARE(model->data(model->index(0, 0)).toString(), QStringLiteral("日"));
        QCOMPARE(model->data(model->index(0, 6)).toString(), QStringLiteral("土"));

        const QColor weekday = view().palette().color(QPalette::Text);
        struct Day {
            QDate date;
            QColor colour;
        };
        const Day days[] = {
            {QDate(2026, 5, 1), weekday},               // Friday
            {QDate(2026, 5, 2), orbeta::kSaturdayBlue}, // Saturday
            {QDate(2026, 5, 3), orbeta::kSundayRed},    // Sunday and 憲法記念日
            {QDate(2026, 5, 4), orbeta::kSundayRed},    // みどりの日, a Monday
            {QDate(2026, 5, 6), orbeta::kSundayRed},    // 振替休日
            {QDate(2026, 5, 7), weekday},               // Thursday
        };
        for (const Day& day : days) {
            QCOMPARE(view().numberColour(day.date), day.colour);
            QVERIFY2(shows(view(), cellOf(view(), day.date), day.colour),
                     qPrintable(day.date.toString(Qt::ISODate)));
        }
        // April's last Sunday and June's first Saturday, paler in their own hue.
        const QColor paleRed = view().numberColour(QDate(2026, 4, 26));
        const QColor paleBlue = view().numberColour(QDate(2026, 6, 6));
        QVERIFY(paleRed.red() > paleRed.green() && paleRed.green() > orbeta::kSundayRed.green());
        QVERIFY(paleBlue.blue() > paleBlue.red() && paleBlue.red() > orbeta::kSaturdayBlue.red());
        QVERIFY(shows(view(), cellOf(view(), QDate(2026, 4, 26)), paleRed));

        // The header's 土 is blue and 日 red.
        QAbstractItemView* table = dayTable(view());
        QVERIFY(shows(view(), table->visualRect(model->index(0, 6)), orbeta::kSaturdayBlue));
        QVERIFY(shows(view(), table->visualRect(model->index(0, 0)), orbeta::kSundayRed));
    }

    void holidaysAndMemosShowInTooltipsAndBold() {
        writeMemo(QStringLiteral("202653.rtf"), "{\\rtf1 <b>family</b> trip\\par day two\\par}");
        writeMemo(QStringLiteral("202657.rtf"), "{\\rtf1 \\par}"); // saved empty
        writeMemo(QStringLiteral("202658.rtf"), "{\\rtf1 dentist\\par}");
        test_->program->form1().show();
        view().setSelectedDate(QDate(2026, 5, 1));
        QCOMPARE(toolTipText(view(), QDate(2026, 5, 4)), QStringLiteral("みどりの日"));
        // The memos are read off the window's thread, and marked a moment later.
        QTRY_COMPARE(toolTipText(view(), QDate(2026, 5, 3)),
                     QStringLiteral("憲法記念日\n<b>family</b> trip\nday two"));
        QTRY_COMPARE(toolTipText(view(), QDate(2026, 5, 8)), QStringLiteral("dentist"));
        QCOMPARE(toolTipText(view(), QDate(2026, 5, 7)), QString());
        QCOMPARE(view().dateTextFormat(QDate(2026, 5, 8)).fontWeight(), QFont::Bold);
        QCOMPARE(view().dateTextFormat(QDate(2026, 5, 7)).fontWeight(), QFont::Normal);
        QCOMPARE(toolTipText(view(), QDate(2026, 4, 29)),
                 QStringLiteral("昭和の日")); // on view too

        // Another program writes, empties or adds a memo: the calendar follows.
        writeMemo(QStringLiteral("202658.rtf"), "{\\rtf1 \\par}");
        writeMemo(QStringLiteral("202659.rtf"), "{\\rtf1 new\\par}");
        QTRY_COMPARE(toolTipText(view(), QDate(2026, 5, 9)), QStringLiteral("new"));
        QTRY_COMPARE(view().dateTextFormat(QDate(2026, 5, 8)).fontWeight(), QFont::Normal);

        // A sync tool's copy marks its day, with or without the day's own memo, until it goes.
        const QString copy = QStringLiteral("2026510 (conflicted copy 2026-05-10 101530).rtf");
        writeMemo(copy, "{\\rtf1 laptop\\par}");
        QTRY_VERIFY(shows(view(), cellOf(view(), QDate(2026, 5, 10)), MonthView::kCopyMark));
        QVERIFY(toolTipText(view(), QDate(2026, 5, 10)).contains(copy));
        QVERIFY(!shows(view(), cellOf(view(), QDate(2026, 5, 11)), MonthView::kCopyMark));
        QVERIFY(QFile::remove(test_->memoPath(copy)));
        QTRY_VERIFY(!shows(view(), cellOf(view(), QDate(2026, 5, 10)), MonthView::kCopyMark));
    }

    void todayMovesAtMidnightAndTheSelectionWithIt() {
        test_->program->form1().show();
        QVERIFY(QTest::qWaitForWindowExposed(&test_->program->form1()));
        QCOMPARE(view().today(), QDate(2026, 12, 7));
        QVERIFY(shows(view(), cellOf(view(), QDate(2026, 12, 7)), MonthView::kTodayFrame));
        QVERIFY(!shows(view(), cellOf(view(), QDate(2026, 12, 8)), MonthView::kTodayFrame));

        clock_->set(QDateTime(QDate(2026, 12, 8), QTime(0, 0, 1)));
        QTRY_COMPARE_WITH_TIMEOUT(view().today(), QDate(2026, 12, 8), 2500);
        QCOMPARE(view().Value(), QDate(2026, 12, 8));
        QVERIFY(shows(view(), cellOf(view(), QDate(2026, 12, 8)), MonthView::kTodayFrame));

        // A day the user chose stays chosen.
        view().setSelectedDate(QDate(2026, 12, 1));
        clock_->set(QDateTime(QDate(2026, 12, 31), QTime(8, 0)));
        QTRY_COMPARE_WITH_TIMEOUT(view().today(), QDate(2026, 12, 31), 2500);
        QCOMPARE(view().Value(), QDate(2026, 12, 1));

        // Home goes to today; then days later (the machine slept), into the next year.
        QTest::keyClick(dayTable(view()), Qt::Key_Home);
        QCOMPARE(view().Value(), QDate(2026, 12, 31));
        clock_->set(QDateTime(QDate(2027, 1, 4), QTime(7, 30)));
        QTRY_COMPARE_WITH_TIMEOUT(view().Value(), QDate(2027, 1, 4), 2500);
        QCOMPARE(view().monthShown(), 1);
        QCOMPARE(titleButton(view(), "qt_calendar_yearbutton")->text(), QStringLiteral("2027年"));
    }
};

QTEST_MAIN(TestMonthView)
#include "tst_month_view.moc"
