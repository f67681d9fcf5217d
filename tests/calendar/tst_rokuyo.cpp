#include "calendar/rokuyo.h"

#include <QTest>

// The 六曜 of days whose lunisolar date published Japanese calendars agree on, about the first
// day of a year, leap months, and the 2033-2034 months the old rules leave open.
class TestRokuyo : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void knownDays_data() {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<QString>("rokuyo");
        const auto row = [](const char* name, QDate day, const char16_t* rokuyo) {
            QTest::newRow(name) << day << QString::fromUtf16(rokuyo);
        };
        row("2026 lunar new year (1/1)", QDate(2026, 2, 17), u"先勝");
        row("2026-05-03 (3/17)", QDate(2026, 5, 3), u"先勝");
        row("2026-12-08 (10/30)", QDate(2026, 12, 8), u"先負");
        row("2025 last of the sixth month (6/30)", QDate(2025, 7, 24), u"大安");
        row("2025 leap sixth month begins (閏6/1)", QDate(2025, 7, 25), u"赤口");
        row("2033 eleventh month (11/9)", QDate(2033, 11, 30), u"先勝");
        row("2033 eleventh month (11/16)", QDate(2033, 12, 7), u"友引");
        row("2033 leap eleventh month begins (閏11/1)", QDate(2033, 12, 22), u"大安");
        row("2033 leap eleventh month (閏11/9)", QDate(2033, 12, 30), u"先勝");
        row("2034 twelfth month begins (12/1)", QDate(2034, 1, 20), u"赤口");
        row("2034 lunar new year (1/1)", QDate(2034, 2, 19), u"先勝");
        row("no day", QDate(), u"");
    }
    void knownDays() {
        QFETCH(QDate, day);
        QFETCH(QString, rokuyo);
        QCOMPARE(orbeta::rokuyo(day), rokuyo);
    }
};

QTEST_GUILESS_MAIN(TestRokuyo)
#include "tst_rokuyo.moc"
