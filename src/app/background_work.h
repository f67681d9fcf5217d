#pragma once

#include <QObject>

#include <atomic>
#include <functional>
#include <memory>

namespace orbeta {

// Work done on a thread of its own, one job after another, whose results come back to the
// thread of `receiver`. A job stuck on a file (a hung network mount, say) holds up only that
// thread: the program never waits for it for long, and ends without it.
class BackgroundWork {
public:
    // Hands a result to the receiver's thread, unless the receiver has gone meanwhile.
    using Deliver = std::function<void(std::function<void()> result)>;
    // `stopping` turns true when the work is no longer wanted; long jobs look at it now and then.
    using Job = std::function<void(const Deliver& deliver, const std::atomic<bool>& stopping)>;

    explicit BackgroundWork(QObject* receiver);
    // Stops taking jobs and asks the job under way to stop; waits for it a moment only.
    ~BackgroundWork();
    BackgroundWork(const BackgroundWork&) = delete;
    BackgroundWork& operator=(const BackgroundWork&) = delete;

    void run(Job job);

    // Whether a thread of any BackgroundWork is still busy, so that the program, ending, must not
    // wait for it.
    static bool anyStillBusy();

private:
    struct Shared;
    std::shared_ptr<Shared> shared_;
};

} // namespace orbeta
