// What one symbol-day's fetch reports: the day's lines, how many times the page was
// fetched, and, when no usable page came, why.
#pragma once

#include "core/DayLines.h"

#include <string>

namespace pellmark {

enum class FetchFailure {
    None,           // a page came; the day says whether it holds data
    CannotStart,    // the request could not be sent (a malformed address)
    HttpStatus,     // the service answered with an error status
    Timeout,        // no complete answer within the page time limit
    Refused,        // the connection was refused
    Unreachable,    // the name was not resolved or no route led to the service
    NoReply,        // the connection was closed before one byte of an answer
    Transport,      // any other network failure (reset, closed unanswered, ...)
    TooLarge,       // the answer exceeded the largest page accepted
    PageTooComplex, // the page took too long to read
    BadPage,        // every fetch gave a page without quote records
};

struct FetchResult {
    DayLines day{};  // whether the day has data, and its lines
    int fetches = 0; // requests sent for the day
    FetchFailure failure = FetchFailure::None;
    long httpStatus = 0;  // with HttpStatus
    std::string detail{}; // the network library's own words, when it gave any
};

// No fetch got any answer: a dead network, a wrong address, a service that hangs or closes
// every connection unanswered; a bad answer is an answer. Such a day is tried
// kMostFetchesWithoutAnswer times and counts towards the run's stop (RunEngine.h).
bool ServiceNeverAnswered(const FetchResult& result);

// A few words for the log and the terminal: "HTTP 500", "timeout", "connection refused",
// "too large", "page too complex", "bad page after 7 fetches", ...
std::string DescribeFailure(const FetchResult& result);

} // namespace pellmark
