#pragma once

#include <QDateTime>
#include <QObject>
#include <QTime>
#include <QTimer>

namespace orbeta {

class Clock;

// Ticks once a second, each tick aimed just past the wall clock's second boundary, so the time
// it hands out is never more than a few milliseconds behind and no second is skipped or repeated
// (a plain 1000 ms timer drifts against the wall clock). The first tick comes about one second
// after start.
class SecondTicker : public QObject {
    Q_OBJECT
public:
    SecondTicker(const Clock& clock, QObject* parent);

    void start();

    // How far past the boundary a tick is aimed, in milliseconds.
    static constexpr int kAimPastBoundary = 2;
    // A tick this early (timers may round) still counts for the coming second.
    static constexpr int kEarlyTolerance = 50;

    // Milliseconds from `now` until the first tick: the boundary nearest to one second later.
    static int msUntilFirstTick(QTime now);
    // The second that a tick at `now` shows.
    static QTime secondShownAt(QTime now);
    // Milliseconds from `now` until the tick after the one that showed `shown`.
    static int msUntilTickAfter(QTime shown, QTime now);

Q_SIGNALS:
    // The second now begun, with its day.
    void tick(QDateTime second);

private:
    void onTimeout();

    const Clock& clock_;
    QTimer timer_;
    QDateTime lastShown_;
};

} // namespace orbeta
