#include "export/JobQueue.h"

namespace pellmark {

JobQueue::JobQueue(std::size_t limit) : limit_(limit), thread_([this] { Work(); }) {}

JobQueue::~JobQueue() {
    {
        const std::lock_guard lock(mutex_);
        ending_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

void JobQueue::Push(std::function<void()> job) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return jobs_.size() < limit_; });
    jobs_.push_back(std::move(job));
    lock.unlock();
    changed_.notify_all();
}

void JobQueue::Drain() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return jobs_.empty() && !running_; });
}

void JobQueue::Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] { return !jobs_.empty() || ending_; });
        if (jobs_.empty())
            return;
        std::function<void()> job = std::move(jobs_.front());
        jobs_.pop_front();
        running_ = true;
        lock.unlock();
        changed_.notify_all();
        job();
        lock.lock();
        running_ = false;
        changed_.notify_all();
    }
}

} // namespace pellmark
