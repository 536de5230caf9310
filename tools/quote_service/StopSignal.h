// Lets the answering threads sleep or wait for ever and still end promptly when the service
// is told to stop.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace pellmark {

class StopSignal {
public:
    // False when the service stopped before the time was up.
    bool sleepFor(std::chrono::milliseconds duration);
    void waitForStop();
    void stop();

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool stopped_ = false;
};

} // namespace pellmark
