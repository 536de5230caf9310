#include "net/RequestPacer.h"

#include <algorithm>

namespace pellmark {

std::chrono::milliseconds RequestPacer::DelayBeforeNext(Clock::time_point now) const {
    // Without an answer to the last request (none yet, or abandoned) the service may still be
    // busy with it; an answer slower than the pause means a struggling service; and a request
    // asked for a pause or more after the last answer opens a new run. Each gets a full pause.
    if (!started_ || !ended_ || *ended_ - *started_ > pause_ || now - *ended_ >= pause_)
        return pause_;
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(*started_ + pause_ - now);
    return std::max(left, std::chrono::milliseconds(0));
}

void RequestPacer::RequestStarted(Clock::time_point now) {
    started_ = now;
    ended_.reset();
}

void RequestPacer::AnswerEnded(Clock::time_point now) {
    if (started_)
        ended_ = now;
}

void RequestPacer::Restart() {
    started_.reset();
    ended_.reset();
}

} // namespace pellmark
