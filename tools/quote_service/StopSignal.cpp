#include "StopSignal.h"

namespace pellmark {

bool StopSignal::sleepFor(std::chrono::milliseconds duration) {
    std::unique_lock lock(mutex_);
    return !changed_.wait_for(lock, duration, [this] { return stopped_; });
}

void StopSignal::waitForStop() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [this] { return stopped_; });
}

void StopSignal::stop() {
    {
        const std::lock_guard lock(mutex_);
        stopped_ = true;
    }
    changed_.notify_all();
}

} // namespace pellmark
