#include "app/background_work.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <sys/resource.h>
#include <thread>
#include <unistd.h>

namespace orbeta {

namespace {

std::atomic<int> busyThreads{0};
constexpr auto kWaitAtEnd = std::chrono::milliseconds(200);
constexpr int kBackgroundNiceness = 10; // the windows come first

} // namespace

struct BackgroundWork::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable finished;
    std::deque<Job> jobs;
    std::atomic<bool> stopping{false};
    bool ended = false;
    QObject* receiver = nullptr;

    void deliver(std::function<void()> result) {
        const std::lock_guard lock(mutex);
        if (receiver)
            QMetaObject::invokeMethod(receiver, std::move(result), Qt::QueuedConnection);
    }

    void work() {
        ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), kBackgroundNiceness);
        const Deliver deliverer = [this](std::function<void()> result) {
            deliver(std::move(result));
        };
        for (;;) {
            Job job;
            {
                std::unique_lock lock(mutex);
                wake.wait(lock, [this] { return stopping || !jobs.empty(); });
                if (stopping)
                    break;
                job = std::move(jobs.front());
                jobs.pop_front();
            }
            job(deliverer, stopping);
        }
        const std::lock_guard lock(mutex);
        ended = true;
        finished.notify_all();
    }
};

BackgroundWork::BackgroundWork(QObject* receiver) : shared_(std::make_shared<Shared>()) {
    shared_->receiver = receiver;
    ++busyThreads;
    std::thread([shared = shared_] {
        shared->work();
        --busyThreads;
    }).detach();
}

BackgroundWork::~BackgroundWork() {
    std::unique_lock lock(shared_->mutex);
    shared_->receiver = nullptr;
    shared_->jobs.clear();
    shared_->stopping = true;
    shared_->wake.notify_all();
    shared_->finished.wait_for(lock, kWaitAtEnd, [this] { return shared_->ended; });
}

void BackgroundWork::run(Job job) {
    const std::lock_guard lock(shared_->mutex);
    shared_->jobs.push_back(std::move(job));
    shared_->wake.notify_one();
}

bool BackgroundWork::anyStillBusy() {
    return busyThreads > 0;
}

} // namespace orbeta
