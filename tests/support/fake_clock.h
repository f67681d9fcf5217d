#pragma once

#include "app/clock.h"

#include <QDateTime>

#include <functional>

// A clock that shows whatever the test sets, or throws when the test asks it to.
class FakeClock final : public orbeta::Clock {
public:
    explicit FakeClock(QDateTime start) : now_(std::move(start)) {}

    QDateTime now() const override {
        if (failure_)
            failure_();
        return now_;
    }
    void set(QDateTime now) { now_ = std::move(now); }
    void failWith(std::function<void()> failure) { failure_ = std::move(failure); }

private:
    QDateTime now_;
    std::function<void()> failure_;
};
