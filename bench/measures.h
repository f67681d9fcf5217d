#pragma once

#include <QElapsedTimer>
#include <QObject>

// What /proc/self/status says of this process, in kB, for a field such as "VmRSS:" (resident
// now) or "VmHWM:" (resident at the peak); -1 where it says nothing.
long statusKb(const char* field);
// Starts the peak ("VmHWM:") again from what is resident now.
void resetPeak();

// The longest wait of a 5 ms timer beyond its interval, while the meter lives: how long the
// event loop, and so the user interface, did not answer.
class StallMeter : public QObject {
public:
    StallMeter();
    qint64 longestMs() const { return longestMs_; }

private:
    QElapsedTimer sinceTick_;
    qint64 longestMs_ = 0;
};
