// How far the calendar's clock lags the wall clock: the ticker that drives it, beside a plain
// 1000 ms timer, over the given seconds (60 by default). Lag is the time between the start of the
// second a tick shows and the tick itself; a skipped or repeated second is counted too.
#include "app/clock.h"
#include "calendar/second_ticker.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

struct Record {
    int worstLagMs = 0;
    int ticks = 0;
    int skipped = 0;
    int repeated = 0;
    QTime last;

    void tick(QTime shown, QTime now) {
        ++ticks;
        worstLagMs = std::max(worstLagMs, shown.msecsTo(now));
        if (last.isValid()) {
            const int step = last.secsTo(shown);
            if (step == 0)
                ++repeated;
            else if (step > 1)
                skipped += step - 1;
        }
        last = shown;
    }
};

QTime wholeSecond(QTime t) {
    return QTime(t.hour(), t.minute(), t.second());
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int seconds = argc > 1 ? QByteArray(argv[1]).toInt() : 60;
    orbeta::SystemClock clock;
    Record aligned;
    Record plain;
    orbeta::SecondTicker ticker(clock, nullptr);
    QObject::connect(&ticker, &orbeta::SecondTicker::tick, [&](const QDateTime& shown) {
        aligned.tick(shown.time(), QTime::currentTime());
    });
    QTimer plainTimer;
    QObject::connect(&plainTimer, &QTimer::timeout, [&] {
        const QTime now = QTime::currentTime();
        plain.tick(wholeSecond(now), now);
    });
    ticker.start();
    plainTimer.start(1000);
    QTimer::singleShot(seconds * 1000 + 500, &app, &QCoreApplication::quit);
    app.exec();
    std::printf("over %d s:        worst lag  ticks  skipped  repeated\n", seconds);
    std::printf("aligned ticker   %6d ms  %5d  %7d  %8d\n", aligned.worstLagMs, aligned.ticks,
                aligned.skipped, aligned.repeated);
    std::printf("plain 1000 ms    %6d ms  %5d  %7d  %8d\n", plain.worstLagMs, plain.ticks,
                plain.skipped, plain.repeated);
    return 0;
}
