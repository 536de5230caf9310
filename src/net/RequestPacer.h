// When the next request to the quote service may start: the pause is counted from the start
// of the previous request, so the service's answer time hides inside it, and a full pause
// follows a slow answer and comes before the first request of a run.
#pragma once

#include <chrono>
#include <optional>

namespace pellmark {

class RequestPacer {
public:
    using Clock = std::chrono::steady_clock;

    explicit RequestPacer(std::chrono::milliseconds pause) : pause_(pause) {}

    std::chrono::milliseconds DelayBeforeNext(Clock::time_point now) const;
    void RequestStarted(Clock::time_point now);
    void AnswerEnded(Clock::time_point now);
    // The next request opens a new run: it waits the full pause.
    void Restart();

private:
    std::chrono::milliseconds pause_;
    std::optional<Clock::time_point> started_;
    std::optional<Clock::time_point> ended_;
};

} // namespace pellmark
