// One pellmark-batch run: the engine set up from the command line over the fetcher it is
// given, progress and failed items reported as the run goes, and the exit status decided when
// it ends.
#pragma once

#include "BatchOptions.h"
#include "core/Result.h"
#include "core/ServiceDay.h"
#include "export/DayFileExport.h"
#include "folder/FolderLock.h"
#include "folder/FolderRules.h"
#include "net/DayFetcher.h"
#include "ProgramFrame.h"
#include "ProgressReport.h"
#include "run/RunEngine.h"

#include <QObject>

#include <cstdio>
#include <optional>

namespace pellmark {

inline constexpr int kExitSaved = 0;
inline constexpr int kExitSomeFailed = 1;
inline constexpr int kExitCannotWrite = 3;
inline constexpr int kExitUnreachable = 4;
inline constexpr int kExitFolderBusy = 5;

class BatchRun : public QObject {
    Q_OBJECT
public:
    // failedDays takes the items left to do when there is no errors file (standard output);
    // terminal: progress goes to a terminal, so it can be one live line. The clock is the
    // program's; it outlives the run.
    BatchRun(BatchOptions options, DayFetcher& fetcher, const ServiceClock& clock,
             std::FILE* failedDays, std::FILE* progress, bool terminal);

    // A one-line reason when the run cannot start (a save folder that is a file, say).
    Done Start();
    // Why Start() refused: another run is updating the folder (kExitFolderBusy).
    bool FolderBusy() const { return folderLock_ && folderLock_->Busy(); }
    // Stops for a signal; the run then ends with 128 + its number.
    void StopForSignal(int signalNumber);
    // The day in hand is fetched again; fetchNumber counts from 1.
    void FetchingAgain(int fetchNumber) { report_.Refetching(fetchNumber); }

signals:
    void ended(int exitStatus);

private:
    void DayDone(const DayResult& result);
    void RunEnded(const RunEnd& end);
    void RecordFailed(const std::vector<DayItem>& items);
    // False, with the reason reported, when the output did not take them.
    bool PrintFailed(const std::vector<DayItem>& items);
    ExportReport ExportCsv();
    // The days to fetch with --update, or a refusal.
    Result<std::vector<DayItem>> UpdateItems();
    // Prints what the run would ask on standard output, for --dry-run.
    void PrintPlan(const std::vector<DayItem>& days);
    // True when a heal round has started instead of the run ending.
    bool HealAfter(const RunEnd& end);
    RunOptions Asking(bool skipSaved = false);
    // What stays incomplete after the rounds, told once and listed as failed.
    std::vector<DayItem> FinishHealing();

    BatchOptions options_;
    std::FILE* failedDays_;
    ProgressReport report_;
    const ServiceClock& clock_;
    FolderRules rules_;
    RunEngine engine_;
    int stopSignal_ = 0;
    std::size_t saved_ = 0;
    std::size_t skipped_ = 0;
    bool errorsFileWritable_ = true;       // false once a write to it failed
    std::vector<DayItem> unrecorded_;      // failed items the errors file could not take
    bool nothingToDo_ = false;             // and said why
    std::optional<FolderLock> folderLock_; // with --update and --heal
    bool healUnsure_ = false; // the check or the days without data could not be read or kept
    bool terminal_;
    bool symbolLeftOut_ = false; // --update left a symbol out for its newest file
    std::vector<DayItem> runningWithoutData_;
};

} // namespace pellmark
