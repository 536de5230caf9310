#include "BatchRun.h"

#include "core/ErrorsList.h"
#include "export/DayFileExport.h"
#include "FailedItemsFile.h"
#include "StopSignals.h"
#include "UpdatePlan.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <cerrno>
#include <cstring>

namespace pellmark {

namespace {

ProgressReport::Mode ReportMode(bool quiet, bool terminal) {
    if (quiet)
        return ProgressReport::Mode::Quiet;
    return terminal ? ProgressReport::Mode::Live : ProgressReport::Mode::Log;
}

} // namespace

BatchRun::BatchRun(BatchOptions options, DayFetcher& fetcher, std::FILE* failedDays,
                   std::FILE* progress, bool terminal)
    : options_(std::move(options)), failedDays_(failedDays),
      report_(progress, ReportMode(options_.quiet, terminal)),
      engine_(fetcher, [this] { return options_.outDir.toStdString(); }),
      rules_(options_.outDir, options_.category, options_.healAgain) {
    connect(&engine_, &RunEngine::itemStarting, this,
            [this](std::size_t, const DayItem& item) { report_.Starting(item); });
    connect(&engine_, &RunEngine::itemDone, this,
            [this](std::size_t, const DayResult& result) { DayDone(result); });
    connect(&engine_, &RunEngine::progress, this,
            [this](const RunProgress& progress) { report_.Progress(progress); });
    connect(&engine_, &RunEngine::ended, this, &BatchRun::RunEnded);
}

Done BatchRun::Start() {
    const QFileInfo out(options_.outDir);
    if (out.exists() && !out.isDir())
        return Failure{"--out names a file, not a folder: " + options_.outDir.toStdString()};
    if (!QDir().mkpath(options_.outDir))
        return Failure{"cannot create the folder " + options_.outDir.toStdString()};
    for (const std::string& note : options_.notes)
        report_.Say("pellmark-batch: " + note);
    for (const std::string& problem : rules_.Load())
        report_.Say("pellmark-batch: " + problem);
    nothingToDo_ = options_.retryFileMissing;
    DayItems items = DayItems::AsListed(options_.retryItems);
    if (!options_.updateFolder.isEmpty()) {
        Result<DayItems> update = UpdateItems();
        if (!update)
            return Failure{update.reason()};
        items = std::move(*update);
    } else if (options_.retryFile.isEmpty()) {
        if (options_.heal)
            heal_.emplace(options_.outDir,
                          DayRange{options_.symbols, options_.from, options_.to, options_.lineOrder,
                                   options_.separator},
                          options_.healRounds, rules_);
        items = DayItems::ForRange(options_.symbols, options_.from, options_.to);
        // The symbols are never empty here, so no items means a weekend.
        if (items.Size() == 0) {
            const auto iso = [](QDate day) { return day.toString(Qt::ISODate).toStdString(); };
            report_.Say("no week-days between " + iso(options_.from) + " and " + iso(options_.to));
            nothingToDo_ = true;
        }
    }
    report_.Begin(items.Size());
    engine_.Start(std::move(items), Asking(options_.skipSaved || !options_.updateFolder.isEmpty()));
    return {};
}

RunOptions BatchRun::Asking(bool skipSaved) {
    return {.skipSaved = skipSaved,
            .stopWhenUnreachable = true,
            .leaveOut = [this](const DayItem& item) { return rules_.LeaveOut(item); }};
}

Result<DayItems> BatchRun::UpdateItems() {
    Result<UpdatePlan> planned = PlanUpdate(options_.updateFolder, options_.symbols, options_.from,
                                            options_.to, options_.lineOrder, options_.separator);
    if (!planned)
        return Failure{planned.reason()};
    UpdatePlan& plan = *planned;
    if (plan.symbols.empty())
        return Failure{"no day files in " + options_.updateFolder.toStdString() +
                       " to update: name new symbols with --symbols"};
    options_.symbols = plan.symbols;
    if (options_.heal) {
        heal_.emplace(
            options_.outDir,
            DayRange{plan.symbols, QDate(), options_.to, options_.lineOrder, options_.separator},
            options_.healRounds, rules_);
    }
    std::erase_if(plan.items, [this](const DayItem& item) { return rules_.Recorded(item); });
    return DayItems::AsListed(rules_.InAskingOrder(std::move(plan.items)));
}

void BatchRun::StopForSignal(int signalNumber) {
    if (!engine_.Running())
        return;
    stopSignal_ = signalNumber;
    engine_.Stop();
}

void BatchRun::DayDone(const DayResult& result) {
    // A day left out is told once for all its symbol's days, not one by one.
    const bool leftOut = result.outcome == DayOutcome::Skipped && rules_.LeaveOut(result.item);
    if (!leftOut)
        report_.Done(result);
    for (const std::string& told : rules_.Note(result))
        report_.Say(told);
    if (leftOut)
        return;
    saved_ += result.outcome == DayOutcome::Saved;
    skipped_ += result.outcome == DayOutcome::Skipped;
    // Appended as they come, so the file holds them even if the process is killed; with
    // --heal only what stays incomplete is listed, at the end.
    if (heal_)
        heal_->Note(result);
    else if (GoesToErrorsList(result.outcome) && !options_.errorsFile.isEmpty())
        RecordFailed({result.item});
}

void BatchRun::RecordFailed(const std::vector<DayItem>& items) {
    if (errorsFileWritable_) {
        if (const Done appended = AppendFailedItems(options_.errorsFile, items); !appended) {
            report_.Say("pellmark-batch: cannot write " + options_.errorsFile.toStdString() + ": " +
                        appended.reason());
            errorsFileWritable_ = false;
        }
    }
    if (!errorsFileWritable_)
        unrecorded_.insert(unrecorded_.end(), items.begin(), items.end());
}

bool BatchRun::HealAfter(const RunEnd& end) {
    if (!heal_ || end.how != RunEnd::How::Finished)
        return false;
    const std::vector<DayItem> days = heal_->NextRound();
    if (days.empty())
        return false;
    report_.Finish();
    report_.Say("heal round " + std::to_string(heal_->RoundsDone()) + ": " +
                std::to_string(days.size()) + (days.size() == 1 ? " day" : " days") +
                " to fetch again");
    report_.Begin(days.size());
    engine_.Start(DayItems::AsListed(days), Asking());
    return true;
}

std::vector<DayItem> BatchRun::FinishHealing() {
    const HealEnd healed = heal_->Finish();
    for (const DayItem& item : healed.noDataFromService)
        report_.Say(item.symbol + " " + item.dateLabel + " no data from the service");
    for (const IncompleteDay& day : healed.shortAtService)
        report_.Say(day.item.symbol + " " + day.item.dateLabel + " short at the service: " +
                    std::to_string(day.quotes) + " quotes the same after a new fetch, recorded");
    std::vector<DayItem> failed;
    for (const auto& [item, others] : healed.noDataThoughOthers) {
        report_.Say(item.symbol + " " + item.dateLabel + ": no data, though " +
                    std::to_string(others) +
                    (others == 1 ? " other symbol has" : " other symbols have") + " that day");
        failed.push_back(item);
    }
    for (const IncompleteDay& day : healed.stillIncomplete) {
        report_.Say(day.item.symbol + " " + day.item.dateLabel + " still " + day.state);
        failed.push_back(day.item);
    }
    if (healed.problem) {
        report_.Say("pellmark-batch: " + *healed.problem);
        healUnsure_ = true;
    }
    return failed;
}

void BatchRun::RunEnded(const RunEnd& end) {
    if (HealAfter(end))
        return;
    report_.Finish();
    // What was not done is listed with what failed, so that --retry resumes the run.
    const bool healed = heal_ && end.how == RunEnd::How::Finished;
    std::vector<DayItem> failed = healed ? FinishHealing() : end.LeftToDo();
    // The days of a symbol taken for misspelt are left to do, in case it is not; without a
    // heal those asked are listed already.
    if (healed)
        failed.insert(failed.end(), rules_.MisspeltAsked().begin(), rules_.MisspeltAsked().end());
    const std::vector<DayItem>& notAsked = rules_.NotAsked();
    failed.insert(failed.end(), notAsked.begin(), notAsked.end());
    const std::size_t notDone = end.notDone.size() + notAsked.size();
    if (const Done saved = rules_.Save(); !saved) {
        report_.Say("pellmark-batch: cannot write " + std::string(kMarketRecordFileName) + ": " +
                    saved.reason());
        healUnsure_ = true;
    }
    if (!nothingToDo_)
        report_.Say(std::to_string(saved_) + " saved, " + std::to_string(skipped_) + " skipped, " +
                    std::to_string(failed.size() - notDone) + " failed, " +
                    std::to_string(notDone) + " not done");
    std::vector<DayItem> stillListed = options_.retryKept;
    stillListed.insert(stillListed.end(), failed.begin(), failed.end());
    bool listed = true;
    if (!options_.errorsFile.isEmpty()) {
        std::vector<DayItem> unlisted = heal_ ? failed : end.notDone;
        if (!heal_)
            unlisted.insert(unlisted.end(), notAsked.begin(), notAsked.end());
        RecordFailed(unlisted);
    }
    // Items the errors file could not take (a full disk) are printed instead.
    if (options_.errorsFile.isEmpty())
        listed = PrintFailed(failed);
    else if (!unrecorded_.empty())
        listed = PrintFailed(unrecorded_);
    listed = listed && errorsFileWritable_;
    if (!options_.retryFile.isEmpty() && !options_.retryFileMissing) {
        if (const Done rewritten =
                RewriteFailedItems(options_.retryFile, options_.retryLinesRead, stillListed);
            !rewritten) {
            report_.Say("pellmark-batch: cannot rewrite " + options_.retryFile.toStdString() +
                        ": " + rewritten.reason());
            listed = false;
        }
    }

    int status = stillListed.empty() ? kExitSaved : kExitSomeFailed;
    switch (end.how) {
    case RunEnd::How::Finished:
        break;
    case RunEnd::How::Stopped:
        status = 128 + stopSignal_;
        break;
    case RunEnd::How::Abandoned:
        report_.Say("pellmark-batch: " + end.error);
        status = end.serviceUnreachable ? kExitUnreachable : kExitCannotWrite;
        break;
    }
    if (!options_.csvDir.isEmpty() && !nothingToDo_) {
        const ExportReport exported = ExportCsv();
        if (exported.stopped)
            status = 128 + StopSignals::LastStop();
        else if (!exported.problems.empty() && status == kExitSaved)
            status = kExitSomeFailed;
    }
    if ((!listed || healUnsure_) && status == kExitSaved)
        status = kExitSomeFailed;
    emit ended(status);
}

bool BatchRun::PrintFailed(const std::vector<DayItem>& items) {
    for (const DayItem& item : items)
        std::fprintf(failedDays_, "%s\n", FailedItemText(item).c_str());
    if (std::fflush(failedDays_) == 0 && !std::ferror(failedDays_))
        return true;
    report_.Say("pellmark-batch: cannot write the failed days to standard output: " +
                std::string(std::strerror(errno)));
    return false;
}

ExportReport BatchRun::ExportCsv() {
    ExportOptions exportOptions;
    exportOptions.folder = options_.outDir;
    exportOptions.outDir = options_.csvDir;
    exportOptions.order = options_.lineOrder;
    exportOptions.separator = options_.separator;
    exportOptions.barMinutes = options_.barMinutes;
    // The errors file in the folder is the run's own, not a day file worth a note.
    const QFileInfo errorsFile(options_.errorsFile);
    if (!options_.errorsFile.isEmpty() &&
        errorsFile.absoluteDir() == QDir(options_.outDir).absolutePath())
        exportOptions.ownFiles << errorsFile.fileName();
    // The export runs outside the event loop: a stop reaches it through the handler's flag.
    exportOptions.stop = &StopSignals::StopAsked();
    if (options_.retryFile.isEmpty()) {
        for (const std::string& symbol : options_.symbols)
            exportOptions.symbols << QString::fromStdString(symbol);
        if (options_.updateFolder.isEmpty())
            exportOptions.from = options_.from;
        exportOptions.to = options_.to;
    } else {
        QSet<QString> listed;
        for (const DayItem& item : options_.retryItems) {
            const QString symbol = QString::fromStdString(item.symbol);
            if (!listed.contains(symbol)) {
                listed.insert(symbol);
                exportOptions.symbols << symbol;
            }
        }
    }
    const ExportReport exported = ExportDayFiles(exportOptions);
    for (const ExportProblem& problem : exported.problems)
        report_.Say("pellmark-batch: " + ProblemText(problem).toStdString());
    for (const ExportProblem& note : exported.notes)
        report_.Say("pellmark-batch: " + ProblemText(note).toStdString());
    for (const ExportedCsv& csv : exported.csvFiles)
        if (!options_.quiet)
            report_.Say(WrittenText(csv).toStdString());
    if (exported.stopped)
        report_.Say("pellmark-batch: the CSV export was stopped");
    return exported;
}

} // namespace pellmark
