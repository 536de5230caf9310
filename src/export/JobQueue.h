// Jobs run one after the other on a thread of their own, in the order pushed, so that the
// one who pushes them goes on with its own work meanwhile (the export reads the next day
// files while the database takes the rows of the last ones). At most `limit` jobs wait at
// once; pushing more waits for room.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace pellmark {

class JobQueue {
public:
    explicit JobQueue(std::size_t limit);
    // Runs what is waiting, then ends the thread.
    ~JobQueue();
    JobQueue(const JobQueue&) = delete;
    JobQueue& operator=(const JobQueue&) = delete;

    void Push(std::function<void()> job);
    // Returns once every job pushed has run: what they did is then seen by the caller.
    void Drain();

private:
    void Work();

    const std::size_t limit_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::function<void()>> jobs_;
    bool running_ = false; // a job is out of the queue and not done yet
    bool ending_ = false;
    std::thread thread_;
};

} // namespace pellmark
