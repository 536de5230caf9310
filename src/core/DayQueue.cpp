#include "core/DayQueue.h"

namespace pellmark {

DayQueue::DayQueue(QuoteFetch& fetch, QObject* parent) : QObject(parent), fetch_(fetch) {
    // The next item starts from the event loop, so the window repaints and reacts between
    // items and a fetch that ends at once does not recurse into the next one.
    advance_.setSingleShot(true);
    advance_.setInterval(0);
    connect(&advance_, &QTimer::timeout, this, &DayQueue::StartNext);
    connect(&fetch_, &QuoteFetch::finished, this, &DayQueue::OnFetched);
}

void DayQueue::Start(std::vector<DayItem> items) {
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
    const std::vector<DayItem> notDone(items_.begin() + static_cast<std::ptrdiff_t>(done_),
                                       items_.end());
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
    if (done_ >= items_.size()) {
        running_ = false;
        emit finished();
        return;
    }
    emit itemStarting(done_, items_[done_]);
    if (running_)
        fetch_.FetchDayQuotes(items_[done_].symbol, items_[done_].dateLabel);
}

void DayQueue::OnFetched(const Lines& result) {
    if (!running_)
        return;
    const std::size_t index = done_++;
    emit itemDone(index, items_[index], result);
    if (running_)
        advance_.start();
}

} // namespace pellmark
