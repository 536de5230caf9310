// How far a run has come and how long the rest should take, judged from the pace of the
// days fetched so far.
#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>

namespace pellmark {

struct RunProgress {
    std::size_t done = 0;
    std::size_t total = 0;
    std::optional<std::chrono::seconds> timeLeft; // none until a day has been fetched
};

// The pace of a run: the time since it started over the days actually fetched (a day
// skipped because it was already saved costs nothing and does not count).
class RunPace {
public:
    using Clock = std::chrono::steady_clock;

    void Start(Clock::time_point now);
    void DayFetched() { ++fetched_; }
    std::optional<std::chrono::seconds> TimeLeft(std::size_t daysLeft, Clock::time_point now) const;

private:
    Clock::time_point started_{};
    std::size_t fetched_ = 0;
};

// "12 of 130 days, about 3 min left"; "12 of 130 days" before there is an estimate.
std::string DescribeProgress(const RunProgress& progress);

// "about 3 min left", "about 2 h 5 min left", "less than a minute left"
std::string DescribeTimeLeft(std::chrono::seconds timeLeft);

} // namespace pellmark
