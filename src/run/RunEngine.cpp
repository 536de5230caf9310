#include "run/RunEngine.h"

#include "core/DayFile.h"

#include <QFileInfo>

namespace pellmark {

std::vector<DayItem> RunEnd::LeftToDo() const {
    std::vector<DayItem> left = failed;
    left.insert(left.end(), notDone.begin(), notDone.end());
    return left;
}

RunEngine::RunEngine(DayFetcher& fetcher, AskingRules& rules,
                     std::function<std::string()> saveFolder, Clock clock, QObject* parent)
    : QObject(parent), fetcher_(fetcher), rules_(rules), saveFolder_(std::move(saveFolder)),
      clock_(std::move(clock)) {
    // The next item starts from the event loop, so the window repaints and reacts between
    // items and a day that ends at once does not recurse into the next one.
    advance_.setSingleShot(true);
    advance_.setInterval(0);
    connect(&advance_, &QTimer::timeout, this, &RunEngine::StartNext);
    connect(&fetcher_, &DayFetcher::finished, this, &RunEngine::OnFetched);
}

RunEngine::~RunEngine() {
    if (running_)
        fetcher_.Abort();
}

RunPace::Clock::time_point RunEngine::Now() const {
    return clock_ ? clock_() : RunPace::Clock::now();
}

void RunEngine::Start(DayItems items, RunOptions options) {
    Q_ASSERT_X(!running_, "RunEngine::Start", "a run is going on");
    fetcher_.Abort();
    items_ = std::move(items);
    options_ = options;
    done_ = 0;
    unansweredDays_ = 0;
    failed_.clear();
    pace_.Start(Now());
    running_ = true;
    advance_.start();
}

void RunEngine::Stop() {
    if (running_)
        End(RunEnd::How::Stopped);
}

void RunEngine::Abandon(const std::string& error) {
    if (running_)
        End(RunEnd::How::Abandoned, error);
}

void RunEngine::StartNext() {
    if (!running_)
        return;
    if (done_ >= items_.Size()) {
        End(RunEnd::How::Finished);
        return;
    }
    current_ = items_.At(done_);
    emit itemStarting(done_, current_);
    if (!running_)
        return;
    if ((options_.skipSaved && AlreadySaved(current_)) || !rules_.Ask(current_))
        Handle({current_, DayOutcome::Skipped, {}});
    else
        fetcher_.FetchDayQuotes(rules_.Request(current_));
}

// A saved day holds at least one quote line: an empty file (left by a tool that does not
// check its writes on a full disk, say) is fetched again.
bool RunEngine::AlreadySaved(const DayItem& item) const {
    const QFileInfo file(
        QString::fromStdString(DayFilePath(saveFolder_(), item.symbol, item.dateLabel)));
    return file.isFile() && file.size() > 0;
}

void RunEngine::OnFetched(const FetchResult& fetch) {
    if (!running_)
        return;
    pace_.DayFetched();
    Handle({current_, JudgeFetchedDay(fetch), fetch});
}

void RunEngine::Handle(DayResult result) {
    if (result.outcome == DayOutcome::Saved) {
        const std::string folder = saveFolder_();
        const Done saved =
            SaveDayFile(folder, result.item.symbol, result.item.dateLabel, result.fetch.day.lines);
        if (!saved) {
            End(RunEnd::How::Abandoned,
                "Cannot create file \"" +
                    DayFilePath(folder, result.item.symbol, result.item.dateLabel) + "\". " +
                    saved.reason());
            return;
        }
    }
    if (GoesToErrorsList(result.outcome))
        failed_.push_back(result.item);
    rules_.Learn(result);
    const std::size_t index = done_++;
    reporting_ = true;
    emit itemDone(index, result);
    reporting_ = false;
    if (!running_ || GiveUpOnService(result))
        return;
    const std::size_t total = items_.Size();
    emit progress({done_, total, pace_.TimeLeft(total - done_, Now())});
    if (running_)
        advance_.start();
}

// A day skipped as saved says nothing about the service, so it neither counts nor breaks a
// series.
bool RunEngine::GiveUpOnService(const DayResult& result) {
    if (result.outcome == DayOutcome::Skipped)
        return false;
    unansweredDays_ = ServiceNeverAnswered(result.fetch) ? unansweredDays_ + 1 : 0;
    if (!options_.stopWhenUnreachable || unansweredDays_ < kUnansweredDaysToStop)
        return false;
    End(RunEnd::How::Abandoned,
        "the quote service cannot be reached: " + DescribeFailure(result.fetch), true);
    return true;
}

void RunEngine::End(RunEnd::How how, std::string error, bool serviceUnreachable) {
    running_ = false;
    advance_.stop();
    fetcher_.Abort();
    RunEnd end{how, std::move(failed_), {}, std::move(error)};
    end.serviceUnreachable = serviceUnreachable;
    failed_.clear();
    if (how != RunEnd::How::Finished) {
        const std::size_t first = reporting_ ? done_ - 1 : done_;
        for (std::size_t index = first; index < items_.Size(); ++index)
            end.notDone.push_back(items_.At(index));
    }
    emit ended(end);
}

} // namespace pellmark
