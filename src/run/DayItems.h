// A queue of symbol-days fetched one after the other: it starts the next fetch when the
// previous one reports its result, never waits in a loop, and can be stopped at any time.
#pragma once

#include "core/DayItem.h"
#include "quote/QuoteFetch.h"

#include <QObject>
#include <QTimer>

#include <cstddef>
#include <string>
#include <vector>

namespace pellmark {

// The symbol-days of a run in the order they are fetched: every date of one symbol, then of
// the next; or a list as given. A long run keeps its symbols and dates, not every pair of them.
class DayItems {
public:
    DayItems() = default;
    static DayItems EveryDateOfEachSymbol(std::vector<std::string> symbols,
                                          std::vector<std::string> dates);
    static DayItems AsListed(std::vector<DayItem> items);

    std::size_t Size() const;
    DayItem At(std::size_t index) const;

private:
    std::vector<std::string> symbols_;
    std::vector<std::string> dates_;
    std::vector<DayItem> listed_;
    bool isListed_ = true;
};

class DayQueue : public QObject {
    Q_OBJECT
public:
    explicit DayQueue(QuoteFetch& fetch, QObject* parent = nullptr);

    // Starts with the first item; finished() follows the last one (at once for no items).
    void Start(DayItems items);
    // Abandons the current fetch; stopped() reports the items not done, the current one first.
    void Stop();
    // Ends the run where it is, with no further signal: the caller reports why.
    void Abandon();
    bool Running() const { return running_; }
    std::size_t Size() const { return items_.Size(); }

signals:
    void itemStarting(std::size_t index, const pellmark::DayItem& item);
    // The handler may Stop() or Abandon() the queue; otherwise the next item follows.
    void itemDone(std::size_t index, const pellmark::DayItem& item, const pellmark::Lines& result);
    void finished();
    void stopped(const std::vector<pellmark::DayItem>& notDone);

private:
    void StartNext();
    void OnFetched(const FetchResult& result);

    QuoteFetch& fetch_;
    QTimer advance_;
    DayItems items_;
    DayItem current_;
    std::size_t done_ = 0;
    bool running_ = false;
};

} // namespace pellmark
