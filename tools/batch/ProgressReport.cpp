#include "ProgressReport.h"

namespace pellmark {

namespace {

constexpr std::size_t kBarWidth = 24;

std::string Bar(std::size_t done, std::size_t total) {
    const std::size_t filled = total == 0 ? kBarWidth : done * kBarWidth / total;
    return "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + "]";
}

} // namespace

std::string DayLine(const DayResult& result) {
    return result.item.symbol + " " + result.item.dateLabel + " " + DescribeDay(result);
}

void ProgressReport::Starting(const DayItem& item) {
    current_ = item.symbol + " " + item.dateLabel;
    if (live_)
        Redraw();
}

void ProgressReport::Done(const DayResult& result) {
    // On a terminal only what needs the user's attention stays on screen.
    if (!live_ || GoesToErrorsList(result.outcome))
        Say(DayLine(result));
}

void ProgressReport::Progress(const RunProgress& progress) {
    progress_ = progress;
    if (live_)
        Redraw();
}

void ProgressReport::Say(const std::string& line) {
    if (drawn_)
        std::fputs("\r\033[K", out_);
    std::fprintf(out_, "%s\n", line.c_str());
    drawn_ = false;
    if (live_ && !current_.empty())
        Redraw();
    std::fflush(out_);
}

void ProgressReport::Redraw() {
    const std::size_t percent = progress_.total == 0 ? 0 : progress_.done * 100 / progress_.total;
    std::string line = "\r" + Bar(progress_.done, progress_.total) + " " + std::to_string(percent) +
                       "%  " + std::to_string(progress_.done) + "/" +
                       std::to_string(progress_.total) + "  " + current_;
    if (progress_.timeLeft && progress_.done < progress_.total)
        line += "  " + DescribeTimeLeft(*progress_.timeLeft);
    std::fputs((line + "\033[K").c_str(), out_);
    std::fflush(out_);
    drawn_ = true;
}

void ProgressReport::Finish() {
    if (drawn_)
        std::fputs("\n", out_);
    drawn_ = false;
    current_.clear();
    std::fflush(out_);
}

} // namespace pellmark
