#include "run/RunProgress.h"

namespace pellmark {

void RunPace::Start(Clock::time_point now) {
    started_ = now;
    fetched_ = 0;
}

std::optional<std::chrono::seconds> RunPace::TimeLeft(std::size_t daysLeft,
                                                      Clock::time_point now) const {
    if (fetched_ == 0)
        return std::nullopt;
    const auto perDay = (now - started_) / fetched_;
    return std::chrono::ceil<std::chrono::seconds>(perDay * daysLeft);
}

std::string DescribeTimeLeft(std::chrono::seconds timeLeft) {
    if (timeLeft < std::chrono::minutes(1))
        return "less than a minute left";
    // Rounded up: an estimate that runs out before the run does reads as a broken promise.
    const auto minutes = std::chrono::ceil<std::chrono::minutes>(timeLeft).count();
    if (minutes < 60)
        return "about " + std::to_string(minutes) + " min left";
    return "about " + std::to_string(minutes / 60) + " h " + std::to_string(minutes % 60) +
           " min left";
}

std::string DescribeProgress(const RunProgress& progress) {
    std::string text =
        std::to_string(progress.done) + " of " + std::to_string(progress.total) + " days";
    if (progress.timeLeft && progress.done < progress.total)
        text += ", " + DescribeTimeLeft(*progress.timeLeft);
    return text;
}

} // namespace pellmark
