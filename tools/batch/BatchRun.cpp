#include "BatchRun.h"

#include "core/DateList.h"
#include "core/FailedItems.h"
#include "export/DayFileExport.h"
#include "FailedItemsFile.h"

#include <QDir>
#include <QFileInfo>

namespace pellmark {

BatchRun::BatchRun(BatchOptions options, std::FILE* progress, bool live)
    : options_(std::move(options)), report_(progress, live), fetch_(browser_, *this),
      engine_(fetch_, [this] { return options_.outDir.toStdString(); }) {
    connect(&engine_, &RunEngine::itemStarting, this,
            [this](std::size_t, const DayItem& item) { report_.Starting(item); });
    connect(&engine_, &RunEngine::itemDone, this,
            [this](std::size_t, const DayResult& result) { DayDone(result); });
    connect(&engine_, &RunEngine::progress, this,
            [this](const RunProgress& progress) { report_.Progress(progress); });
    connect(&engine_, &RunEngine::ended, this, &BatchRun::RunEnded);
}

std::optional<std::string> BatchRun::Start() {
    const QFileInfo out(options_.outDir);
    if (out.exists() && !out.isDir())
        return "--out names a file, not a folder: " + options_.outDir.toStdString();
    if (!QDir().mkpath(options_.outDir))
        return "cannot create the folder " + options_.outDir.toStdString();
    if (!options_.retryFile.isEmpty()) {
        engine_.Start(DayItems::AsListed(options_.retryItems), {.skipSaved = options_.skipSaved});
        return std::nullopt;
    }
    engine_.Start(DayItems::EveryDateOfEachSymbol(
                      options_.symbols, WeekdayLabelsNewestFirst(options_.from, options_.to)),
                  {.skipSaved = options_.skipSaved});
    return std::nullopt;
}

void BatchRun::StopForSignal(int signalNumber) {
    if (!engine_.Running())
        return;
    stopSignal_ = signalNumber;
    engine_.Stop();
}

void BatchRun::DayDone(const DayResult& result) {
    report_.Done(result);
    saved_ += result.outcome == DayOutcome::Saved;
    skipped_ += result.outcome == DayOutcome::Skipped;
    // Appended as they come, so the file holds them even if the process is killed.
    if (IsFailedItem(result.outcome) && !options_.errorsFile.isEmpty())
        RecordFailed({result.item});
}

void BatchRun::RecordFailed(const std::vector<DayItem>& items) {
    QString error;
    if (recordingFailed_ && !AppendFailedItems(options_.errorsFile, items, error)) {
        report_.Say("pellmark-batch: cannot write " + options_.errorsFile.toStdString() + ": " +
                    error.toStdString());
        recordingFailed_ = false;
    }
    if (!recordingFailed_)
        unrecorded_.insert(unrecorded_.end(), items.begin(), items.end());
}

void BatchRun::RunEnded(const RunEnd& end) {
    report_.Finish();
    // Whatever was not done counts as failed, so that --retry resumes the run.
    std::vector<DayItem> failed = end.failed;
    failed.insert(failed.end(), end.notDone.begin(), end.notDone.end());
    report_.Say(std::to_string(saved_) + " saved, " + std::to_string(skipped_) + " skipped, " +
                std::to_string(failed.size()) + " failed" +
                (end.how == RunEnd::How::Stopped ? " (stopped)" : ""));
    if (!options_.errorsFile.isEmpty())
        RecordFailed(end.notDone);
    // Items the errors file could not take (a full disk) are printed instead.
    for (const DayItem& item : options_.errorsFile.isEmpty() ? failed : unrecorded_)
        std::printf("%s\n", FailedItemText(item).c_str());
    std::fflush(stdout);
    bool listed = recordingFailed_;
    if (!options_.retryFile.isEmpty()) {
        QString error;
        if (!RewriteFailedItems(options_.retryFile, options_.retryItems.size(), failed, error)) {
            report_.Say("pellmark-batch: cannot rewrite " + options_.retryFile.toStdString() +
                        ": " + error.toStdString());
            listed = false;
        }
    }

    int status = failed.empty() ? kExitSaved : kExitSomeFailed;
    switch (end.how) {
    case RunEnd::How::Finished:
        break;
    case RunEnd::How::Stopped:
        status = 128 + stopSignal_;
        break;
    case RunEnd::How::Abandoned:
        report_.Say("pellmark-batch: " + end.error);
        status = kExitCannotWrite;
        break;
    }
    if (!options_.csvDir.isEmpty() && !ExportCsv() && status == kExitSaved)
        status = kExitSomeFailed;
    if (!listed && status == kExitSaved)
        status = kExitSomeFailed;
    emit ended(status);
}

bool BatchRun::ExportCsv() {
    ExportOptions exportOptions;
    exportOptions.folder = options_.outDir;
    exportOptions.outDir = options_.csvDir;
    exportOptions.order = options_.lineOrder;
    exportOptions.separator = options_.separator;
    if (options_.retryFile.isEmpty()) {
        for (const std::string& symbol : options_.symbols)
            exportOptions.symbols << QString::fromStdString(symbol);
        exportOptions.from = options_.from;
        exportOptions.to = options_.to;
    } else {
        for (const DayItem& item : options_.retryItems)
            if (!exportOptions.symbols.contains(QString::fromStdString(item.symbol)))
                exportOptions.symbols << QString::fromStdString(item.symbol);
    }
    const ExportReport exported = ExportDayFiles(exportOptions);
    for (const ExportProblem& problem : exported.problems)
        report_.Say("pellmark-batch: " + ProblemText(problem).toStdString());
    return exported.problems.empty();
}

} // namespace pellmark
