#include "core/DayQueue.h"

namespace pellmark {

DayItems DayItems::EveryDateOfEachSymbol(std::vector<std::string> symbols,
                                         std::vector<std::string> dates) {
    DayItems items;
    items.symbols_ = std::move(symbols);
    items.dates_ = std::move(dates);
    items.isListed_ = false;
    return items;
}

DayItems DayItems::AsListed(std::vector<DayItem> items) {
    DayItems listed;
    listed.listed_ = std::move(items);
    return listed;
}

std::size_t DayItems::Size() const {
    return isListed_ ? listed_.size() : symbols_.size() * dates_.size();
}

DayItem DayItems::At(std::size_t index) const {
    if (isListed_)
        return listed_[index];
    return {symbols_[index / dates_.size()], dates_[index % dates_.size()]};
}

DayQueue::DayQueue(QuoteFetch& fetch, QObject* parent) : QObject(parent), fetch_(fetch) {
    // The next item starts from the event loop, so the window repaints and reacts between
    // items and a fetch that ends at once does not recurse into the next one.
    advance_.setSingleShot(true);
    advance_.setInterval(0);
    connect(&advance_, &QTimer::timeout, this, &DayQueue::StartNext);
    connect(&fetch_, &QuoteFetch::finished, this, &DayQueue::OnFetched);
}

void DayQueue::Start(DayItems items) {
    advance_.stop();
    items_ = std::move(items);
    done_ = 0;
    running_ = true;
    StartNext();
}

void DayQueue::Stop() {
    if (!running_)
        return;
    Abandon();
    std::vector<DayItem> notDone;
    for (std::size_t index = done_; index < items_.Size(); ++index)
        notDone.push_back(items_.At(index));
    emit stopped(notDone);
}

void DayQueue::Abandon() {
    running_ = false;
    advance_.stop();
    fetch_.Abort();
}

void DayQueue::StartNext() {
    if (!running_)
        return;
    if (done_ >= items_.Size()) {
        running_ = false;
        emit finished();
        return;
    }
    current_ = items_.At(done_);
    emit itemStarting(done_, current_);
    if (running_)
        fetch_.FetchDayQuotes(current_.symbol, current_.dateLabel);
}

void DayQueue::OnFetched(const FetchResult& result) {
    if (!running_)
        return;
    const std::size_t index = done_++;
    emit itemDone(index, current_, result.lines);
    if (running_)
        advance_.start();
}

} // namespace pellmark
