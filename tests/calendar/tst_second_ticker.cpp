#include "app/clock.h"
#include "calendar/second_ticker.h"

#include <QSignalSpy>
#include <QTest>

using orbeta::SecondTicker;

namespace {
QTime at(int h, int m, int s, int ms) {
    return QTime(h, m, s, ms);
}
} // namespace

class TestSecondTicker : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstTickComesAboutOneSecondAfterStart_data() {
        QTest::addColumn<QTime>("start");
        QTest::addColumn<int>("wait");
        QTest::newRow("on a boundary") << at(10, 0, 0, 0) << 1002;
        QTest::newRow("early in a second") << at(10, 0, 0, 300) << 702;
        QTest::newRow("half way") << at(10, 0, 0, 500) << 502;
        QTest::newRow("late in a second") << at(10, 0, 0, 600) << 1402;
        QTest::newRow("just before the boundary") << at(10, 0, 0, 999) << 1003;
    }
    void firstTickComesAboutOneSecondAfterStart() {
        QFETCH(QTime, start);
        QFETCH(int, wait);
        QCOMPARE(SecondTicker::msUntilFirstTick(start), wait);
        const int lands = start.addMSecs(wait).msec();
        QCOMPARE(lands, SecondTicker::kAimPastBoundary);
    }

    void tickShowsTheSecondItWasAimedAt_data() {
        QTest::addColumn<QTime>("now");
        QTest::addColumn<QTime>("shown");
        QTest::newRow("just after the boundary") << at(9, 5, 7, 2) << at(9, 5, 7, 0);
        QTest::newRow("a little late") << at(9, 5, 7, 40) << at(9, 5, 7, 0);
        QTest::newRow("a timer firing early") << at(9, 5, 6, 970) << at(9, 5, 7, 0);
        QTest::newRow("early at midnight") << at(23, 59, 59, 990) << at(0, 0, 0, 0);
    }
    void tickShowsTheSecondItWasAimedAt() {
        QFETCH(QTime, now);
        QFETCH(QTime, shown);
        QCOMPARE(SecondTicker::secondShownAt(now), shown);
    }

    void nextTickIsAimedAtTheFollowingBoundary_data() {
        QTest::addColumn<QTime>("shown");
        QTest::addColumn<QTime>("now");
        QTest::addColumn<int>("wait");
        QTest::newRow("on time") << at(9, 5, 7, 0) << at(9, 5, 7, 2) << 1000;
        QTest::newRow("late") << at(9, 5, 7, 0) << at(9, 5, 7, 30) << 972;
        QTest::newRow("early") << at(9, 5, 7, 0) << at(9, 5, 6, 980) << 1022;
        QTest::newRow("across midnight") << at(23, 59, 59, 0) << at(23, 59, 59, 2) << 1000;
        QTest::newRow("early before midnight") << at(0, 0, 0, 0) << at(23, 59, 59, 990) << 1012;
        QTest::newRow("after a suspend") << at(9, 5, 7, 0) << at(9, 5, 40, 250) << 752;
        QTest::newRow("clock set back") << at(9, 5, 7, 0) << at(8, 0, 0, 100) << 902;
    }
    void nextTickIsAimedAtTheFollowingBoundary() {
        QFETCH(QTime, shown);
        QFETCH(QTime, now);
        QFETCH(int, wait);
        QCOMPARE(SecondTicker::msUntilTickAfter(shown, now), wait);
    }

    void realTicksFollowEachOtherSecondBySecond() {
        orbeta::SystemClock clock;
        SecondTicker ticker(clock, nullptr);
        QSignalSpy ticks(&ticker, &SecondTicker::tick);
        ticker.start();
        QTRY_VERIFY_WITH_TIMEOUT(ticks.count() >= 3, 6000);
        for (int i = 1; i < ticks.count(); ++i) {
            const QDateTime previous = ticks.at(i - 1).at(0).toDateTime();
            QCOMPARE(previous.addSecs(1), ticks.at(i).at(0).toDateTime());
        }
    }
};

QTEST_GUILESS_MAIN(TestSecondTicker)
#include "tst_second_ticker.moc"
