#include "net/FetchResult.h"

namespace pellmark {

bool ServiceNeverAnswered(const FetchResult& result) {
    return result.failure == FetchFailure::Refused || result.failure == FetchFailure::Unreachable ||
           result.failure == FetchFailure::Timeout || result.failure == FetchFailure::NoReply;
}

std::string DescribeFailure(const FetchResult& result) {
    switch (result.failure) {
    case FetchFailure::None:
        return {};
    case FetchFailure::CannotStart:
        return "cannot send the request";
    case FetchFailure::HttpStatus:
        return "HTTP " + std::to_string(result.httpStatus);
    case FetchFailure::Timeout:
        return "timeout";
    case FetchFailure::Refused:
        return "connection refused";
    case FetchFailure::NoReply:
        return result.detail.empty() ? std::string("closed without an answer") : result.detail;
    case FetchFailure::Unreachable:
    case FetchFailure::Transport:
        return result.detail.empty() ? std::string("network failure") : result.detail;
    case FetchFailure::TooLarge:
        return "too large";
    case FetchFailure::PageTooComplex:
        return "page too complex";
    case FetchFailure::BadPage:
        return "bad page after " + std::to_string(result.fetches) + " fetches";
    }
    return {};
}

} // namespace pellmark
