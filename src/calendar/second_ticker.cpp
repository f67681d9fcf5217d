#include "calendar/second_ticker.h"

#include "app/clock.h"
#include "app/handler_guard.h"

namespace orbeta {

namespace {

constexpr int kMsPerSecond = 1000;
constexpr int kMsPerDay = 24 * 60 * 60 * kMsPerSecond;

QTime wholeSecond(QTime t) {
    return QTime(t.hour(), t.minute(), t.second());
}

} // namespace

SecondTicker::SecondTicker(const Clock& clock, QObject* parent) : QObject(parent), clock_(clock) {
    setObjectName(QStringLiteral("Timer1"));
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &SecondTicker::onTimeout);
}

void SecondTicker::start() {
    timer_.start(msUntilFirstTick(clock_.now().time()));
}

int SecondTicker::msUntilFirstTick(QTime now) {
    const int untilBoundary = kMsPerSecond - now.msec();
    const int untilNearest =
        untilBoundary < kMsPerSecond / 2 ? untilBoundary + kMsPerSecond : untilBoundary;
    return untilNearest + kAimPastBoundary;
}

QTime SecondTicker::secondShownAt(QTime now) {
    return wholeSecond(now.addMSecs(kEarlyTolerance));
}

int SecondTicker::msUntilTickAfter(QTime shown, QTime now) {
    int wait = now.msecsTo(shown.addSecs(1)) + kAimPastBoundary;
    if (wait < -kMsPerDay / 2) // past midnight
        wait += kMsPerDay;
    if (wait <= 0 ||
        wait > kMsPerSecond + kEarlyTolerance + kAimPastBoundary) // suspended, or clock set
        wait = kMsPerSecond - now.msec() + kAimPastBoundary;
    return wait;
}

void SecondTicker::onTimeout() {
    // Keeps ticking even when reading the clock fails.
    timer_.start(kMsPerSecond);
    guarded(nullptr, [this] {
        const QDateTime now = clock_.now();
        const QDateTime shown(now.addMSecs(kEarlyTolerance).date(), secondShownAt(now.time()));
        timer_.start(msUntilTickAfter(shown.time(), now.time()));
        if (shown == lastShown_)
            return;
        lastShown_ = shown;
        Q_EMIT tick(shown);
    });
}

} // namespace orbeta
