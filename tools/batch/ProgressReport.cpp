#include "ProgressReport.h"

#include "net/QuoteFetch.h"

#include <sys/ioctl.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace pellmark {

namespace {

constexpr std::size_t kWidestBar = 20;
constexpr std::size_t kNarrowestBar = 10;

std::size_t TerminalColumns(std::FILE* out) {
    winsize size{};
    if (::ioctl(::fileno(out), TIOCGWINSZ, &size) != 0 || size.ws_col == 0)
        return 80;
    return size.ws_col;
}

// Columns as a terminal counts them: one a character, never a byte of its UTF-8.
std::size_t Columns(const std::string& text) {
    std::size_t columns = 0;
    for (const char c : text)
        columns += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return columns;
}

std::string CutToColumns(const std::string& text, std::size_t columns) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && seen++ == columns)
            return text.substr(0, i);
    }
    return text;
}

std::string Elapsed(std::chrono::seconds taken) {
    const auto all = taken.count();
    const auto twoDigits = [](long long n) { return (n < 10 ? "0" : "") + std::to_string(n); };
    if (all < 3600)
        return std::to_string(all / 60) + ":" + twoDigits(all % 60);
    return std::to_string(all / 3600) + ":" + twoDigits(all / 60 % 60) + ":" + twoDigits(all % 60);
}

// "less than a minute left" would take most of a narrow line.
std::string TimeLeft(std::chrono::seconds left) {
    if (left < std::chrono::minutes(1))
        return "<1 min left";
    const auto minutes = std::chrono::ceil<std::chrono::minutes>(left).count();
    if (minutes < 60)
        return std::to_string(minutes) + " min left";
    return std::to_string(minutes / 60) + " h " + std::to_string(minutes % 60) + " min left";
}

std::string Pace(std::size_t fetched, std::chrono::steady_clock::duration taken) {
    const double minutes = std::chrono::duration<double, std::ratio<60>>(taken).count();
    const auto tenths = static_cast<std::int64_t>(fetched / minutes * 10 + 0.5);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " days/min";
}

// The pieces of the live line in the order they are shown. When the line is too wide, the
// bar goes first, then the lower-ranked pieces; what is still too wide is cut.
struct Piece {
    std::string text;
    int group;    // pieces of one group are joined by ", " within the time group, else " "
    int dropRank; // 0: kept
};

constexpr int kTimeGroup = 2;

std::string Join(const std::vector<const Piece*>& pieces) {
    std::string line;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            line +=
                pieces[i]->group == kTimeGroup && pieces[i - 1]->group == kTimeGroup ? ", " : " ";
        line += pieces[i]->text;
    }
    return line;
}

std::string Fitted(const std::vector<Piece>& pieces, std::size_t done, std::size_t total,
                   std::size_t columns) {
    std::vector<const Piece*> shown;
    for (const Piece& piece : pieces)
        if (!piece.text.empty())
            shown.push_back(&piece);
    for (int rank = 1; Columns(Join(shown)) > columns && rank <= 4; ++rank)
        std::erase_if(shown, [rank](const Piece* piece) { return piece->dropRank == rank; });
    std::string line = Join(shown);
    const std::size_t used = Columns(line);
    if (used + 1 + 2 + kNarrowestBar <= columns) {
        const std::size_t width = std::min(kWidestBar, columns - used - 3);
        const std::size_t filled = done * width / total;
        line = "[" + std::string(filled, '#') + std::string(width - filled, '.') + "] " + line;
    }
    return CutToColumns(line, columns);
}

} // namespace

std::string DayLine(const DayResult& result) {
    return result.item.symbol + " " + result.item.dateLabel + " " + DescribeDay(result);
}

ProgressReport::ProgressReport(std::FILE* out, Mode mode) : out_(out), mode_(mode) {
    ticker_.setInterval(std::chrono::seconds(1));
    QObject::connect(&ticker_, &QTimer::timeout, &ticker_, [this] { Redraw(); });
}

void ProgressReport::Begin(std::size_t totalDays) {
    started_ = std::chrono::steady_clock::now();
    progress_ = {0, totalDays, std::nullopt};
    fetched_ = 0;
    if (mode_ == Mode::Live && totalDays > 0)
        ticker_.start();
}

void ProgressReport::Starting(const DayItem& item) {
    current_ = item.symbol + " " + item.dateLabel;
    fetchNumber_ = 1;
    Redraw();
}

void ProgressReport::Refetching(int fetchNumber) {
    fetchNumber_ = fetchNumber;
    Redraw();
}

void ProgressReport::Done(const DayResult& result) {
    fetched_ += result.outcome != DayOutcome::Skipped;
    fetchNumber_ = 1;
    // On a terminal, and when asked to be quiet, only what needs the user's attention stays.
    if (mode_ == Mode::Log || GoesToErrorsList(result.outcome))
        Say(DayLine(result));
}

void ProgressReport::Progress(const RunProgress& progress) {
    progress_ = progress;
    Redraw();
}

void ProgressReport::Say(const std::string& line) {
    if (drawn_)
        std::fputs("\r\033[K", out_);
    std::fprintf(out_, "%s\n", line.c_str());
    drawn_ = false;
    Redraw();
    std::fflush(out_);
}

void ProgressReport::Redraw() {
    if (mode_ != Mode::Live || current_.empty() || progress_.total == 0)
        return;
    const auto taken = std::chrono::steady_clock::now() - started_;
    const std::size_t done = progress_.done;
    const std::size_t total = progress_.total;
    const std::vector<Piece> pieces = {
        {std::to_string(done * 100 / total) + "%", 0, 3},
        {std::to_string(done) + "/" + std::to_string(total), 0, 0},
        {current_, 1, 0},
        {fetchNumber_ > 1
             ? "retry " + std::to_string(fetchNumber_) + "/" + std::to_string(kMostFetchesPerDay)
             : std::string(),
         1, 0},
        {Elapsed(std::chrono::duration_cast<std::chrono::seconds>(taken)) + " elapsed", kTimeGroup,
         1},
        {fetched_ > 0 ? Pace(fetched_, taken) : std::string(), kTimeGroup, 2},
        {progress_.timeLeft && done < total ? TimeLeft(*progress_.timeLeft) : std::string(),
         kTimeGroup, 4},
    };
    // The last column stays free: a line that fills it leaves some terminals a line further on.
    const std::string line = Fitted(pieces, done, total, TerminalColumns(out_) - 1);
    std::fputs(("\r" + line + "\033[K").c_str(), out_);
    std::fflush(out_);
    drawn_ = true;
}

void ProgressReport::Finish() {
    ticker_.stop();
    if (drawn_)
        std::fputs("\r\033[K", out_);
    drawn_ = false;
    current_.clear();
    std::fflush(out_);
}

} // namespace pellmark
