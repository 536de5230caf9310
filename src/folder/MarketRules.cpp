#include "folder/MarketRules.h"

#include "core/DateList.h"
#include "core/DayFile.h"
#include "core/ErrorsList.h"
#include "folder/ServiceDays.h"
#include "net/DayRequest.h"

#include <QFileInfo>

#include <algorithm>

namespace pellmark {

namespace {

SymbolForm Other(SymbolForm form) {
    return form == SymbolForm::Pair ? SymbolForm::Stock : SymbolForm::Pair;
}

QDate DayOf(const std::string& label) {
    return DayOfLabel(QString::fromStdString(label), 1970);
}

} // namespace

MarketRules::MarketRules(QString folder, Category category, bool askAgain)
    : folder_(std::move(folder)), category_(category),
      defaultForm_(category == Category::Forex || category == Category::None ? SymbolForm::Pair
                                                                             : SymbolForm::Stock),
      askAgain_(askAgain) {}

std::vector<std::string> MarketRules::Load() {
    record_ = MarketRecord::Read(folder_);
    return record_.Problems();
}

SymbolForm MarketRules::FormOf(const std::string& symbol) const {
    if (const auto recorded = record_.FormOf(symbol))
        return *recorded;
    const auto tried = tried_.find(symbol);
    return tried == tried_.end() ? defaultForm_ : tried->second;
}

Category MarketRules::CategoryOf(const std::string& symbol) const {
    if (FormOf(symbol) == SymbolForm::Pair)
        return Category::Forex;
    // Stocks and indices are asked alike; the command line's category names them when it can.
    return category_ == Category::Indices ? Category::Indices : Category::Stocks;
}

int MarketRules::MostFetchesOf(const DayItem& item) const {
    const auto state = symbols_.find(item.symbol);
    if (state != symbols_.end() && state->second.missesInARow > 0)
        return kBriefFetches;
    const std::pair day{item.dateLabel, FormOf(item.symbol)};
    if (withData_.contains(day) && !withData_.at(day).empty())
        return kOpenDayFetches;
    if (withoutData_.contains(day) && !withoutData_.at(day).empty())
        return kBriefFetches;
    return kMostFetchesPerDay;
}

bool MarketRules::LeaveOut(const DayItem& item) const {
    return LeftOutAsRecorded(record_, item, askAgain_) || Misspelt(item.symbol);
}

std::vector<std::string> MarketRules::Note(const DayResult& result) {
    const DayItem& item = result.item;
    SymbolState& state = symbols_[item.symbol];
    if (result.outcome == DayOutcome::Skipped) {
        if (state.misspelt)
            notAsked_.push_back(item);
        return {};
    }
    const SymbolForm form = FormOf(item.symbol);
    if (result.outcome == DayOutcome::Saved) {
        withData_[{item.dateLabel, form}].insert(item.symbol);
        state.hadData = true;
        state.missesInARow = 0;
        state.lastDataLabel = item.dateLabel;
        if (!record_.FormOf(item.symbol))
            record_.SetForm(item.symbol, form);
        record_.SetNoData(item, false);
        return {};
    }
    if (result.outcome != DayOutcome::NoData)
        return {};
    withoutData_[{item.dateLabel, form}].insert(item.symbol);
    NoDataAsked& asked = noDataAsked_[FailedItemText(item)];
    asked.brief = (asked.times == 0 || asked.brief) && result.fetch.fetches < kMostFetchesPerDay;
    asked.form = form;
    ++asked.times;
    return NoteNoData(item, state);
}

std::vector<std::string> MarketRules::NoteNoData(const DayItem& item, SymbolState& state) {
    // A symbol of known form misses a day only when its own form has it (a holiday of the
    // pairs is none for a stock); one of unknown form, when any symbol has it.
    const bool formKnown = record_.FormOf(item.symbol).has_value();
    // A new symbol asked alone (the first of a range, or the only one) has only its own days
    // to go by: a few more of them.
    const bool alone = !formKnown && !state.hadData && OnlySymbolAsked(item);
    if ((formKnown ? OthersOfFormWithData(item) : OthersWithData(item)) == 0 && !alone)
        return {};
    ++state.missesInARow;
    if (!state.hadData)
        state.noDataDays.push_back(item);
    if (!state.hadData && !formKnown && !state.formTried) {
        // Files saved by the window say nothing of their form: the other one may answer.
        tried_[item.symbol] = Other(FormOf(item.symbol));
        state.formTried = true;
        return {};
    }
    if (!state.hadData && !formKnown &&
        state.missesInARow >= (alone ? kMisspeltDaysAlone : kMisspeltDays)) {
        state.misspelt = true;
        misspeltAsked_.insert(misspeltAsked_.end(), state.noDataDays.begin(),
                              state.noDataDays.end());
        return {item.symbol + ": no data in either form on its first " +
                std::to_string(state.missesInARow) +
                " week-days asked: probably misspelt, not asked further"};
    }
    if (state.hadData && state.missesInARow >= kListingDays) {
        record_.SetFirstDay(item.symbol, state.lastDataLabel);
        return {item.symbol + ": no data before " + state.lastDataLabel + " on " +
                std::to_string(state.missesInARow) +
                " week-days other symbols have: taken for its first day at the service, older "
                "days not asked"};
    }
    return {};
}

bool MarketRules::GaveNoData(const DayItem& item) const {
    const auto asked = noDataAsked_.find(FailedItemText(item));
    if (asked == noDataAsked_.end() || asked->second.form != FormOf(item.symbol))
        return false;
    const bool provedOpen = OthersOfFormWithData(item) > 0;
    return !(asked->second.brief && asked->second.times == 1 && provedOpen);
}

bool MarketRules::OnlySymbolAsked(const DayItem& item) const {
    for (const auto* asked : {&withData_, &withoutData_})
        for (const SymbolForm form : {SymbolForm::Pair, SymbolForm::Stock})
            if (const auto day = asked->find({item.dateLabel, form}); day != asked->end())
                for (const std::string& symbol : day->second)
                    if (symbol != item.symbol)
                        return false;
    return true;
}

bool MarketRules::Misspelt(const std::string& symbol) const {
    const auto state = symbols_.find(symbol);
    return state != symbols_.end() && state->second.misspelt;
}

int MarketRules::OthersOfFormWithData(const DayItem& item) const {
    const auto with = withData_.find({item.dateLabel, FormOf(item.symbol)});
    return with == withData_.end()
               ? 0
               : static_cast<int>(with->second.size() - with->second.count(item.symbol));
}

int MarketRules::OthersWithData(const DayItem& item) const {
    int others = 0;
    for (const SymbolForm form : {SymbolForm::Pair, SymbolForm::Stock})
        if (const auto with = withData_.find({item.dateLabel, form}); with != withData_.end())
            others += static_cast<int>(with->second.size() - with->second.count(item.symbol));
    return others;
}

std::vector<DayItem> MarketRules::InAskingOrder(std::vector<DayItem> items) const {
    std::stable_sort(items.begin(), items.end(), [this](const DayItem& a, const DayItem& b) {
        const QDate dayA = DayOf(a.dateLabel);
        const QDate dayB = DayOf(b.dateLabel);
        if (dayA != dayB)
            return dayA > dayB;
        return record_.FormOf(a.symbol).has_value() && !record_.FormOf(b.symbol).has_value();
    });
    return items;
}

void MarketRules::NoteHealed(const std::vector<DayItem>& noData,
                             const std::vector<IncompleteDay>& part) {
    for (const DayItem& item : noData)
        record_.SetNoData(item, true);
    for (const IncompleteDay& day : part)
        record_.SetPart(day.item, day.quotes);
}

void MarketRules::ForgetFilledDays() {
    for (const DayItem& item : record_.NoDataDays()) {
        const QFileInfo file(QString::fromStdString(
            DayFilePath(folder_.toStdString(), item.symbol, item.dateLabel)));
        if (file.isFile() && file.size() > 0)
            record_.SetNoData(item, false);
    }
}

Done MarketRules::Save() {
    if (!record_.Changed())
        return {};
    return record_.Write(folder_);
}

} // namespace pellmark
