#include "app/colour_scheme.h"
#include "app/japanese_fonts.h"
#include "app/readable_colours.h"
#include "calendar/day_kind.h"
#include "calendar/form1.h"
#include "calendar/month_view.h"
#include "support/drawn_colours.h"
#include "support/fake_clock.h"
#include "support/memo_window.h"
#include "support/test_program.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QFile>
#include <QMenu>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStyle>
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

// What a day's cell shows, measured from the screen.
Drawn drawnDay(MonthView& view, QDate date) {
    const QImage image = dayTable(view)->viewport()->grab().toImage();
    return drawnIn(image, cellOf(view, date));
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
        QApplication::setPalette(QApplication::style()->standardPalette());
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
            {QDate(2026, 5, 1), weekday},                       // Friday
            {QDate(2026, 5, 2), QColor(orbeta::kSaturdayBlue)}, // Saturday
            {QDate(2026, 5, 3), QColor(orbeta::kSundayRed)},    // Sunday and 憲法記念日
            {QDate(2026, 5, 4), QColor(orbeta::kSundayRed)},    // みどりの日, a Monday
            {QDate(2026, 5, 6), QColor(orbeta::kSundayRed)},    // 振替休日
            {QDate(2026, 5, 7), weekday},                       // Thursday
        };
        for (const Day& day : days) {
            QCOMPARE(view().numberColour(day.date), day.colour);
            QVERIFY2(shows(view(), cellOf(view(), day.date), day.colour),
                     qPrintable(day.date.toString(Qt::ISODate)));
        }
        // April's last Sunday and June's first Saturday, paler in their own hue.
        const QColor paleRed = view().numberColour(QDate(2026, 4, 26));
        const QColor paleBlue = view().numberColour(QDate(2026, 6, 6));
        QVERIFY(paleRed.red() > paleRed.green() &&
                paleRed.green() > QColor(orbeta::kSundayRed).green());
        QVERIFY(paleBlue.blue() > paleBlue.red() &&
                paleBlue.red() > QColor(orbeta::kSaturdayBlue).red());
        QVERIFY(shows(view(), cellOf(view(), QDate(2026, 4, 26)), paleRed));

        // The header's 土 is blue and 日 red.
        QAbstractItemView* table = dayTable(view());
        QVERIFY(
            shows(view(), table->visualRect(model->index(0, 6)), QColor(orbeta::kSaturdayBlue)));
        QVERIFY(shows(view(), table->visualRect(model->index(0, 0)), QColor(orbeta::kSundayRed)));
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
        QTRY_VERIFY(shows(view(), cellOf(view(), QDate(2026, 5, 10)), view().copyMarkColour()));
        QVERIFY(toolTipText(view(), QDate(2026, 5, 10)).contains(copy));
        QVERIFY(!shows(view(), cellOf(view(), QDate(2026, 5, 11)), view().copyMarkColour()));
        QVERIFY(QFile::remove(test_->memoPath(copy)));
        QTRY_VERIFY(!shows(view(), cellOf(view(), QDate(2026, 5, 10)), view().copyMarkColour()));
    }

    void todayMovesAtMidnightAndTheSelectionWithIt() {
        test_->program->form1().show();
        QVERIFY(QTest::qWaitForWindowExposed(&test_->program->form1()));
        QCOMPARE(view().today(), QDate(2026, 12, 7));
        QVERIFY(shows(view(), cellOf(view(), QDate(2026, 12, 7)), view().todayFrameColour()));
        QVERIFY(!shows(view(), cellOf(view(), QDate(2026, 12, 8)), view().todayFrameColour()));

        clock_->set(QDateTime(QDate(2026, 12, 8), QTime(0, 0, 1)));
        QTRY_COMPARE_WITH_TIMEOUT(view().today(), QDate(2026, 12, 8), 2500);
        QCOMPARE(view().Value(), QDate(2026, 12, 8));
        QVERIFY(shows(view(), cellOf(view(), QDate(2026, 12, 8)), view().todayFrameColour()));

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

    // Under a light and dark palettes, measured from the screen: the days' numbers and names read
    // at 4.5:1 against the grid, the days of the months around, today's frame and the corner of
    // a day with a sync copy at 3:1.
    void everyColourDrawnReads_data() {
        QTest::addColumn<QPalette>("palette");
        for (const NamedPalette& named : lightAndDarkPalettes())
            QTest::newRow(named.name) << named.palette;
    }
    void everyColourDrawnReads() {
        QFETCH(QPalette, palette);
        QApplication::setPalette(palette);
        writeMemo(QStringLiteral("2026129.rtf"), "{\\rtf1 bold day\\par}");
        writeMemo(QStringLiteral("20261210 (conflicted copy 2026-12-10 101530).rtf"),
                  "{\\rtf1 laptop\\par}");
        test_->program->form1().show();
        QVERIFY(QTest::qWaitForWindowExposed(&test_->program->form1()));
        view().setSelectedDate(QDate(2026, 12, 1));
        QTRY_VERIFY(view().dateTextFormat(QDate(2026, 12, 9)).fontWeight() == QFont::Bold);
        QTRY_VERIFY(toolTipText(view(), QDate(2026, 12, 10)).contains("conflicted copy"));

        const auto reads = [&](QDate day, double ratio) {
            const Drawn drawn = drawnDay(view(), day);
            if (drawn.background != palette.color(QPalette::Base) &&
                drawn.background != palette.color(QPalette::Window))
                return false;
            if (drawn.ratio >= ratio)
                return true;
            qWarning() << day << drawn.ink << "on" << drawn.background << drawn.ratio;
            return false;
        };
        for (const QDate day : {QDate(2026, 12, 5), QDate(2026, 12, 6), QDate(2026, 12, 8),
                                QDate(2026, 12, 9)}) // Saturday, Sunday, weekday, bold
            QVERIFY(reads(day, orbeta::kTextContrast));
        for (const QDate day : {QDate(2026, 11, 29), QDate(2026, 11, 30), QDate(2027, 1, 1),
                                QDate(2027, 1, 2)}) // the months around: Sunday, 元日, Saturday
            QVERIFY(reads(day, orbeta::kMarkContrast));

        const QImage image = dayTable(view())->viewport()->grab().toImage();
        const QAbstractItemModel* model = dayTable(view())->model();
        for (const int column : {0, 1, 6}) { // 日, 月, 土
            const Drawn name =
                drawnIn(image, dayTable(view())->visualRect(model->index(0, column)));
            QVERIFY2(name.ratio >= orbeta::kTextContrast,
                     qPrintable(QStringLiteral("%1: %2 on %3, %4")
                                    .arg(column)
                                    .arg(name.ink.name(), name.background.name())
                                    .arg(name.ratio)));
        }
        const QRect today = cellOf(view(), QDate(2026, 12, 7));
        const Drawn frame = drawnIn(image, QRect(today.left(), today.center().y() - 4, 3, 8));
        QCOMPARE(frame.background, view().todayFrameColour());
        QVERIFY(frame.ratio >= orbeta::kMarkContrast);
        // The corner is drawn solid: its pixels are its colour.
        const QRect copy = cellOf(view(), QDate(2026, 12, 10));
        int cornerPixels = 0;
        for (int y = copy.top(); y <= copy.bottom(); ++y)
            for (int x = copy.left(); x <= copy.right(); ++x)
                cornerPixels += image.pixelColor(x, y) == view().copyMarkColour();
        QVERIFY(cornerPixels >= 10);
        QVERIFY(orbeta::contrastRatio(view().copyMarkColour(), drawnIn(image, copy).background) >=
                orbeta::kMarkContrast);
    }

    // The desktop turning dark while the calendar is up: it is drawn again in colours that
    // read, and turning light again brings back the first.
    void aDesktopTurningDarkRecoloursAtOnce() {
        test_->program->form1().show();
        QVERIFY(QTest::qWaitForWindowExposed(&test_->program->form1()));
        view().setSelectedDate(QDate(2026, 12, 1));
        const Drawn light = drawnDay(view(), QDate(2026, 12, 5));
        QVERIFY(shows(view(), cellOf(view(), QDate(2026, 12, 5)), QColor(orbeta::kSaturdayBlue)));

        orbeta::ColourScheme scheme;
        scheme.follow(1); // dark
        const QColor darkBase = orbeta::ColourScheme::darkPalette().color(QPalette::Base);
        QTRY_COMPARE(view().palette().color(QPalette::Base), darkBase);
        const Drawn dark = drawnDay(view(), QDate(2026, 12, 5));
        QCOMPARE(dark.background, darkBase);
        QVERIFY(dark.ink.blue() > dark.ink.red());
        QVERIFY(dark.ratio >= orbeta::kTextContrast);
        const QAbstractItemModel* model = dayTable(view())->model();
        const QImage image = dayTable(view())->viewport()->grab().toImage();
        QVERIFY(drawnIn(image, dayTable(view())->visualRect(model->index(0, 6))).ratio >=
                orbeta::kTextContrast);

        scheme.follow(2); // light
        QTRY_COMPARE(view().palette().color(QPalette::Base), light.background);
        const Drawn again = drawnDay(view(), QDate(2026, 12, 5));
        QCOMPARE(again.ink, light.ink);
        QCOMPARE(again.background, light.background);
    }

    // 六曜 in the tooltips only once asked for, beside a holiday's name; the choice is kept for
    // the next run.
    void rokuyoInTooltipsOnlyWhenAsked() {
        test_->program->form1().show();
        QVERIFY(QTest::qWaitForWindowExposed(&test_->program->form1()));
        QAction* item = menuItem(&test_->program->form1(), "mnu_rokuyo");
        QVERIFY(item->isCheckable() && !item->isChecked());
        QCOMPARE(toolTipText(view(), QDate(2026, 12, 8)), QString());

        item->trigger();
        QCOMPARE(test_->storedValue(QStringLiteral("Form1_Rokuyo/R1")), QStringLiteral("1"));
        QCOMPARE(toolTipText(view(), QDate(2026, 12, 8)), QStringLiteral("先負"));
        view().setCurrentPage(2026, 5);
        QCOMPARE(toolTipText(view(), QDate(2026, 5, 3)), QStringLiteral("憲法記念日　先勝"));

        test_->replace([](orbeta::Services&) {});
        QVERIFY(menuItem(&test_->program->form1(), "mnu_rokuyo")->isChecked());
        QVERIFY(view().showsRokuyo());
        menuItem(&test_->program->form1(), "mnu_rokuyo")->trigger();
        QCOMPARE(test_->storedValue(QStringLiteral("Form1_Rokuyo/R1")), QStringLiteral("0"));
        QCOMPARE(toolTipText(view(), QDate(2026, 12, 8)), QString());
    }
};

QTEST_MAIN(TestMonthView)
#include "tst_month_view.moc"
