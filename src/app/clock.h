#pragma once

#include <QDateTime>

namespace orbeta {

// Where the program reads the time of day; tests put a clock of their own in its place.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
};

} // namespace orbeta
