#include "BatchRun.h"

#include "core/ErrorsList.h"
#include "export/DayFileExport.h"
#include "FailedItemsFile.h"
#include "folder/RunPlan.h"
#include "StopSignals.h"

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

BatchRun::BatchRun(BatchOptions options, DayFetcher& fetcher, const ServiceClock& clock,
                   std::FILE* failedDays, std::FILE* progress, bool terminal)
    : options_(std::move(options)), failedDays_(failedDays),
      report_(progress, ReportMode(options_.quiet, terminal)), clock_(clock),
      rules_(options_.outDir, options_.category, options_.healAgain, clock),
      engine_(fetcher, rules_, [this] { return options_.outDir.toStdString(); }),
      terminal_(terminal) {
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
    // The record first: an update leaves out what it says cannot come.
    const std::vector<std::string> recordProblems = rules_.Load();
    // An update plans from the folder as it is, so that a refused one creates nothing.
    std::optional<std::vector<DayItem>> update;
    if (!options_.updateFolder.isEmpty()) {
        Result<std::vector<DayItem>> planned = UpdateItems();
        if (!planned)
            return Failure{planned.reason()};
        update = std::move(*planned);
    }
    if (!options_.dryRun && !QDir().mkpath(options_.outDir))
        return Failure{"cannot create the folder " + options_.outDir.toStdString()};
    if (options_.heal || !options_.updateFolder.isEmpty()) {
        folderLock_.emplace(options_.outDir);
        if (folderLock_->Busy())
            return Failure{FolderBusyReason(options_.outDir.toStdString())};
    }
    for (const std::string& note : options_.notes)
        report_.Say("pellmark-batch: " + note);
    for (const std::string& problem : recordProblems)
        report_.Say("pellmark-batch: " + problem);
    nothingToDo_ = options_.retryFileMissing;
    DayItems items = DayItems::AsListed(options_.retryItems);
    if (update) {
        items = DayItems::AsListed(*update);
    } else if (options_.retryFile.isEmpty()) {
        if (options_.heal)
            rules_.Heal({options_.symbols,
                         options_.from,
                         options_.to,
                         options_.lineOrder,
                         options_.separator,
                         {}},
                        options_.healRounds);
        items = DayItems::ForRange(options_.symbols, options_.from, options_.to);
        // The symbols are never empty here, so no items means a weekend.
        if (items.Size() == 0) {
            const auto iso = [](QDate day) { return day.toString(Qt::ISODate).toStdString(); };
            report_.Say("no week-days between " + iso(options_.from) + " and " + iso(options_.to));
            nothingToDo_ = true;
        }
    }
    if (options_.dryRun ||
        (terminal_ && !options_.quiet && items.Size() > options_.symbols.size())) {
        std::vector<DayItem> days;
        for (std::size_t i = 0; i < items.Size(); ++i)
            if (rules_.Ask(items.At(i)))
                days.push_back(items.At(i));
        if (options_.dryRun) {
            PrintPlan(days);
            // A plan that leaves a symbol out says so as the run would.
            const int status = symbolLeftOut_ ? kExitSomeFailed : kExitSaved;
            QMetaObject::invokeMethod(
                this, [this, status] { emit ended(status); }, Qt::QueuedConnection);
            return {};
        }
        report_.Say(PlanSummary({days, {}, rules_.Healing() ? options_.healRounds : -1}));
    }
    report_.Begin(items.Size());
    engine_.Start(std::move(items), Asking(options_.skipSaved));
    return {};
}

RunOptions BatchRun::Asking(bool skipSaved) {
    return {.skipSaved = skipSaved, .stopWhenUnreachable = true};
}

void BatchRun::PrintPlan(const std::vector<DayItem>& days) {
    RunPlan plan{days, {}, -1};
    if (rules_.Healing()) {
        plan.healRounds = options_.healRounds;
        std::set<std::string> asked;
        for (const DayItem& item : days)
            asked.insert(FailedItemText(item));
        for (DayItem& item : rules_.IncompleteNow())
            if (!asked.contains(FailedItemText(item)))
                plan.healDays.push_back(std::move(item));
    }
    for (const std::string& line : PlanDayLines(days))
        std::fprintf(failedDays_, "%s\n", line.c_str());
    if (!plan.healDays.empty())
        for (const std::string& line : PlanDayLines(plan.healDays))
            std::fprintf(failedDays_, "heal %s\n", line.c_str());
    std::fprintf(failedDays_, "%s\n", PlanSummary(plan).c_str());
    std::fflush(failedDays_);
}

Result<std::vector<DayItem>> BatchRun::UpdateItems() {
    Result<UpdatePlan> planned = rules_.PlanUpdate(
        {options_.updateFolder, options_.symbols, options_.only, options_.from, options_.to,
         options_.lineOrder, options_.separator, options_.heal, options_.healFrom},
        options_.healRounds);
    if (!planned)
        return Failure{planned.reason()};
    UpdatePlan& plan = *planned;
    options_.symbols = plan.symbols;
    options_.notes.insert(options_.notes.end(), plan.notes.begin(), plan.notes.end());
    symbolLeftOut_ = plan.symbolLeftOut;
    return std::move(plan.items);
}

void BatchRun::StopForSignal(int signalNumber) {
    if (!engine_.Running())
        return;
    stopSignal_ = signalNumber;
    engine_.Stop();
}

void BatchRun::DayDone(const DayResult& result) {
    // A day left out is told once for all its symbol's days, not one by one.
    const bool leftOut = result.outcome == DayOutcome::Skipped && !rules_.Ask(result.item);
    if (!leftOut)
        report_.Done(result);
    if (rules_.RunningWithoutData(result)) {
        report_.Say(result.item.symbol + " " + result.item.dateLabel +
                    " has no data yet: the day is still running, asked again next run");
        runningWithoutData_.push_back(result.item);
        return;
    }
    for (const std::string& told : rules_.Told())
        report_.Say(told);
    if (leftOut)
        return;
    saved_ += result.outcome == DayOutcome::Saved;
    skipped_ += result.outcome == DayOutcome::Skipped;
    // Appended as they come, so the file holds them even if the process is killed; with
    // --heal only what stays incomplete is listed, at the end.
    if (!rules_.Healing() && GoesToErrorsList(result.outcome) && !options_.errorsFile.isEmpty())
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
    if (!rules_.Healing() || end.how != RunEnd::How::Finished)
        return false;
    const std::vector<DayItem> days = rules_.NextRound();
    if (days.empty())
        return false;
    report_.Finish();
    report_.Say("heal round " + std::to_string(rules_.RoundsDone()) + ": " +
                std::to_string(days.size()) + (days.size() == 1 ? " day" : " days") +
                " to fetch again");
    report_.Begin(days.size());
    engine_.Start(DayItems::AsListed(days), Asking());
    return true;
}

std::vector<DayItem> BatchRun::FinishHealing() {
    const HealEnd healed = rules_.FinishHealing();
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
    const bool healed = rules_.Healing() && end.how == RunEnd::How::Finished;
    std::vector<DayItem> failed = healed ? FinishHealing() : end.LeftToDo();
    std::erase_if(failed, [this](const DayItem& item) {
        return std::find(runningWithoutData_.begin(), runningWithoutData_.end(), item) !=
               runningWithoutData_.end();
    });
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
        std::vector<DayItem> unlisted = rules_.Healing() ? failed : end.notDone;
        if (!rules_.Healing())
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
        if (const Done rewritten = RewriteFailedItems(options_.retryFile, options_.retryLinesRead,
                                                      stillListed, options_.retryNotItems);
            !rewritten) {
            report_.Say("pellmark-batch: cannot rewrite " + options_.retryFile.toStdString() +
                        ": " + rewritten.reason());
            listed = false;
        }
    }

    const bool told = symbolLeftOut_ || !options_.retryNotItems.empty();
    int status = stillListed.empty() && !told ? kExitSaved : kExitSomeFailed;
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
    if ((!options_.csvDir.isEmpty() || !options_.exported.database.isEmpty()) && !nothingToDo_) {
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
    ExportOptions exportOptions = options_.exported;
    exportOptions.folder = options_.outDir;
    exportOptions.order = options_.lineOrder;
    exportOptions.separator = options_.separator;
    exportOptions.today = clock_.Today();
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
    // Into the CSV folder, then into the database, each as pellmark-export would.
    std::vector<ExportOptions> targets;
    if (!options_.csvDir.isEmpty()) {
        targets.push_back(exportOptions);
        targets.back().database.clear();
        targets.back().outDir = options_.csvDir;
    }
    if (!exportOptions.database.isEmpty())
        targets.push_back(exportOptions);
    ExportReport exported;
    for (const ExportOptions& into : targets) {
        const ExportReport report = ExportDayFiles(into);
        for (const ExportProblem& problem : report.problems)
            report_.Say("pellmark-batch: " + ProblemText(problem).toStdString());
        for (const ExportProblem& note : report.notes)
            report_.Say("pellmark-batch: " + ProblemText(note).toStdString());
        for (const ExportedSeries& series : report.written)
            if (!options_.quiet)
                report_.Say(WrittenText(series).toStdString());
        exported.problems.insert(exported.problems.end(), report.problems.begin(),
                                 report.problems.end());
        if (report.stopped) {
            report_.Say("pellmark-batch: the export was stopped");
            exported.stopped = true;
            break;
        }
    }
    return exported;
}

} // namespace pellmark
