#include "run/DayResult.h"

namespace pellmark {

DayOutcome JudgeFetchedDay(const FetchResult& fetch) {
    if (fetch.day.hasData)
        return DayOutcome::Saved;
    return fetch.failure == FetchFailure::None ? DayOutcome::NoData : DayOutcome::Failed;
}

std::string DescribeDay(const DayResult& result) {
    const auto fetches = [&] {
        return std::to_string(result.fetch.fetches) +
               (result.fetch.fetches == 1 ? " fetch" : " fetches");
    };
    switch (result.outcome) {
    case DayOutcome::Saved:
        return "saved " + std::to_string(result.fetch.day.lines.size()) +
               (result.fetch.day.lines.size() == 1 ? " quote" : " quotes");
    case DayOutcome::Skipped:
        return "skipped, already saved";
    case DayOutcome::NoData:
        return "no data after " + fetches();
    case DayOutcome::Failed:
        return "failed: " + DescribeFailure(result.fetch);
    }
    return {};
}

} // namespace pellmark
