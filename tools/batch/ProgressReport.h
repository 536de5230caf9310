// pellmark-batch's progress on standard error: on a terminal one live line with a bar,
// the share done, the day in hand and the time left; elsewhere one line per day, for logs.
#pragma once

#include "run/DayResult.h"
#include "run/RunProgress.h"

#include <cstdio>
#include <string>

namespace pellmark {

class ProgressReport {
public:
    ProgressReport(std::FILE* out, bool live) : out_(out), live_(live) {}

    void Starting(const DayItem& item);
    void Done(const DayResult& result);
    void Progress(const RunProgress& progress);
    // Leaves the live line behind, so that what follows starts on a line of its own.
    void Finish();
    // A line of its own, above the live line on a terminal.
    void Say(const std::string& line);

private:
    void Redraw();

    std::FILE* out_;
    bool live_;
    std::string current_;
    RunProgress progress_;
    bool drawn_ = false;
};

// "AUDUSD 8-Jun-05 saved 288 quotes"
std::string DayLine(const DayResult& result);

} // namespace pellmark
