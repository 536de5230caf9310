// A download run without widgets: fetches symbol-days one after the other, saves what holds
// data, collects what failed, reports progress, and can be stopped at any time. The window
// and pellmark-batch only show what it reports.
#pragma once

#include "net/DayFetcher.h"
#include "run/AskingRules.h"
#include "run/DayItems.h"
#include "run/DayResult.h"
#include "run/RunProgress.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace pellmark {

struct RunEnd {
    enum class How {
        Finished,  // every item was handled
        Stopped,   // Stop() was called
        Abandoned, // an item could not be handled (a day file could not be written)
    };
    How how = How::Finished;
    std::vector<DayItem> failed;  // items that gave no data or failed, in run order
    std::vector<DayItem> notDone; // items not handled, the one in hand first
    std::string error;            // why the run was abandoned
    // Abandoned because the service gave no answer at all, kUnansweredDaysToStop days in a row.
    bool serviceUnreachable = false;

    // What a retry takes up again: the failed items, then those not done.
    std::vector<DayItem> LeftToDo() const;
};

struct RunOptions {
    // A day whose file is already in the save folder is not fetched again; it counts as done.
    bool skipSaved = false;
    // A dead network abandons the run instead of failing every day left, one by one.
    bool stopWhenUnreachable = false;
};

// Two days of three unanswered tries each, at most 6 s a try and its pause (HiddenBrowser.h):
// a dead network stops a run of any length within a minute, and an outage shorter than half
// a minute does not.
inline constexpr int kUnansweredDaysToStop = 2;

class RunEngine : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<RunPace::Clock::time_point()>;

    // rules say whether and how each day is asked, and learn from its answer; saveFolder is
    // asked at each day saved, so a folder changed during a run applies from then on. clock is
    // for tests; empty means the steady clock. The fetcher and the rules outlive the engine.
    RunEngine(DayFetcher& fetcher, AskingRules& rules, std::function<std::string()> saveFolder,
              Clock clock = {}, QObject* parent = nullptr);
    // A run still going abandons its fetch: nothing it brings could be handled any more.
    ~RunEngine() override;

    // The first item starts from the event loop; ended() always follows, never from here.
    // Only when no run is going on: a second run would silently take the first one's place.
    void Start(DayItems items, RunOptions options = {});
    // Abandons the day in hand; ended() reports it and every later item as not done.
    void Stop();
    // Stops because the front could not record a day it was told of (it ran out of memory,
    // say): that day counts as not done too, so nothing is lost.
    void Abandon(const std::string& error);
    bool Running() const { return running_; }

signals:
    void itemStarting(std::size_t index, const pellmark::DayItem& item);
    // Handlers may Stop() the run; the next item follows otherwise.
    void itemDone(std::size_t index, const pellmark::DayResult& result);
    void progress(const pellmark::RunProgress& progress);
    void ended(const pellmark::RunEnd& end);

private:
    void StartNext();
    void OnFetched(const FetchResult& fetch);
    void Handle(DayResult result);
    bool AlreadySaved(const DayItem& item) const;
    void End(RunEnd::How how, std::string error = {}, bool serviceUnreachable = false);
    // True when this day made the run give up on a service that never answers.
    bool GiveUpOnService(const DayResult& result);
    RunPace::Clock::time_point Now() const;

    DayFetcher& fetcher_;
    AskingRules& rules_;
    std::function<std::string()> saveFolder_;
    Clock clock_;
    QTimer advance_;
    DayItems items_;
    RunOptions options_;
    DayItem current_;
    std::size_t done_ = 0;
    bool reporting_ = false; // itemDone() of the latest day is being handled
    std::vector<DayItem> failed_;
    int unansweredDays_ = 0; // in a row, the latest included
    RunPace pace_;
    bool running_ = false;
};

} // namespace pellmark
