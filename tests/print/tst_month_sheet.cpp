#include "print/month_sheet.h"

#include <QTest>

using namespace orbeta;

namespace {

const QSizeF kA4Landscape(842, 595);

MonthSheet::Cell cellOf(const MonthSheet& sheet, QDate day) {
    for (const MonthSheet::Cell& cell : sheet.cells)
        if (cell.day == day)
            return cell;
    return {};
}

} // namespace

// The month page as data: its rows, where each day and what it shows falls.
class TestMonthSheet : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void oneRowForEachWeekTheMonthTouches_data() {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("month");
        QTest::addColumn<int>("rows");
        QTest::newRow("February 2015: four, Sunday the 1st") << 2015 << 2 << 4;
        QTest::newRow("May 2026: six") << 2026 << 5 << 6;
        QTest::newRow("December 2026: five") << 2026 << 12 << 5;
    }
    void oneRowForEachWeekTheMonthTouches() {
        QFETCH(int, year);
        QFETCH(int, month);
        QFETCH(int, rows);
        const MonthSheet sheet = MonthSheet::lay(year, month, kA4Landscape, {});
        QCOMPARE(sheet.rows, rows);
        QCOMPARE(sheet.cells.size(), rows * 7);
        QCOMPARE(sheet.title, QStringLiteral("%1年%2月").arg(year).arg(month));
        const QDate first(year, month, 1);
        int days = 0;
        for (int index = 0; index < sheet.cells.size(); ++index) {
            const MonthSheet::Cell& cell = sheet.cells.at(index);
            if (!cell.day.isValid())
                continue; // the months around are left empty
            ++days;
            QCOMPARE(cell.day.dayOfWeek() % 7, index % 7); // Sunday first
            QVERIFY(cell.rect.bottom() <= kA4Landscape.height() - MonthSheet::kMargin + 0.01);
        }
        QCOMPARE(days, first.daysInMonth());
    }

    // Title and era, the weekdays in their colours, each day's number and holiday in its cell.
    void daysHolidaysAndTheirColours() {
        const MonthSheet may = MonthSheet::lay(2026, 5, kA4Landscape, {});
        QCOMPARE(may.era, QStringLiteral("令和8年"));
        QCOMPARE(may.weekdays.first().name, QStringLiteral("日"));
        QCOMPARE(may.weekdays.first().kind, DayKind::SundayOrHoliday);
        QCOMPARE(may.weekdays.last().kind, DayKind::Saturday);
        const MonthSheet::Cell greenery = cellOf(may, QDate(2026, 5, 4));
        QCOMPARE((greenery.rect.top() - may.cells.first().rect.top()) / greenery.rect.height(),
                 1.0);
        QCOMPARE(greenery.holiday, QStringLiteral("みどりの日"));
        QCOMPARE(greenery.kind, DayKind::SundayOrHoliday);
        QVERIFY(greenery.rect.contains(greenery.numberRect));
        QVERIFY(greenery.holidayRect.left() >= greenery.numberRect.right());
        QVERIFY(greenery.rect.contains(greenery.holidayRect.topLeft()));
        QCOMPARE(cellOf(may, QDate(2026, 5, 2)).kind, DayKind::Saturday);
        QCOMPARE(cellOf(may, QDate(2026, 5, 8)).kind, DayKind::Weekday);
        QVERIFY(cellOf(may, QDate(2026, 5, 8)).holidayRect.isNull());

        // A holiday on a Saturday is a holiday: red.
        const MonthSheet::Cell founding =
            cellOf(MonthSheet::lay(2023, 2, kA4Landscape, {}), QDate(2023, 2, 11));
        QCOMPARE(founding.holiday, QStringLiteral("建国記念の日"));
        QCOMPARE(founding.kind, DayKind::SundayOrHoliday);
    }

    // A memo's first lines that say something, below the number; where more is left than the
    // cell shows, the last line ends with "…".
    void memoLinesAndTheMarkOfMore() {
        const QString shortMemo = QStringLiteral("\n歯医者 15:30\n\n買い物");
        const QString longMemo = QStringLiteral("とても長い一日の記録。").repeated(60);
        const MonthSheet sheet = MonthSheet::lay(2026, 5, kA4Landscape, [&](QDate day) {
            return day.day() == 8 ? shortMemo : day.day() == 9 ? longMemo : QString();
        });
        const MonthSheet::Cell eighth = cellOf(sheet, QDate(2026, 5, 8));
        QCOMPARE(eighth.lines,
                 (QStringList{QStringLiteral("歯医者 15:30"), QStringLiteral("買い物")}));
        QVERIFY(!eighth.more);
        QVERIFY(eighth.lineRects.first().top() >= eighth.numberRect.bottom());
        QVERIFY(eighth.rect.contains(eighth.lineRects.last()));
        const MonthSheet::Cell ninth = cellOf(sheet, QDate(2026, 5, 9));
        QVERIFY(ninth.more);
        QVERIFY(ninth.lines.size() >= 3);
        QVERIFY(ninth.lines.last().endsWith(u'…'));
        QVERIFY(ninth.rect.contains(ninth.lineRects.last()));
        QVERIFY(cellOf(sheet, QDate(2026, 5, 10)).lines.isEmpty());
    }
};

QTEST_MAIN(TestMonthSheet)
#include "tst_month_sheet.moc"
