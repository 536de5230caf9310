// pellmark-batch's progress on standard error: on a terminal one live line, cut to the
// terminal's width, with a bar, the share done, the day in hand, the time taken, the pace and
// the time left; elsewhere one line per day, for logs; in quiet mode only the failed days.
#pragma once

#include "run/DayResult.h"
#include "run/RunProgress.h"

#include <QTimer>

#include <chrono>
#include <cstdio>
#include <string>

namespace pellmark {

class ProgressReport {
public:
    enum class Mode { Live, Log, Quiet };

    ProgressReport(std::FILE* out, Mode mode);

    void Begin(std::size_t totalDays);
    void Starting(const DayItem& item);
    // The day in hand is fetched again; fetchNumber counts from 1.
    void Refetching(int fetchNumber);
    void Done(const DayResult& result);
    void Progress(const RunProgress& progress);
    // Takes the live line away, so that what follows starts on a clean line.
    void Finish();
    // A line of its own, above the live line on a terminal.
    void Say(const std::string& line);

private:
    void Redraw();

    std::FILE* out_;
    Mode mode_;
    QTimer ticker_; // the time taken moves on, and the terminal may be resized
    std::chrono::steady_clock::time_point started_;
    std::string current_;
    int fetchNumber_ = 1;
    std::size_t fetched_ = 0;
    RunProgress progress_;
    bool drawn_ = false;
};

// "AUDUSD 8-Jun-05 saved 288 quotes"
std::string DayLine(const DayResult& result);

} // namespace pellmark
