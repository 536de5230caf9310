// SIGINT, SIGTERM and SIGHUP for every program: the handler only notes the stop, and the
// program ends by its own code, through the event loop (a Qt signal), a flag it reads between
// files, or a wait; so temporary files are removed and nothing is left half written.
#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <atomic>
#include <csignal>
#include <memory>

namespace pellmark {

class StopSignals : public QObject {
    Q_OBJECT
public:
    // Call first thing in main: a stop that arrives while the program starts up is kept and
    // delivered once the event loop runs, instead of ending the process with nothing listed.
    // A write over the file-size limit or into a closed pipe then fails and is reported
    // rather than killing the process.
    static void Install();

    // Set by the signal handler itself, for work that runs without the event loop (the
    // --csv step): whether a stop came, and the last one that did.
    static const std::atomic<bool>& StopAsked();
    static int LastStop();
    // "SIGINT", "SIGTERM" or "SIGHUP".
    static const char* Name(int signalNumber);

    // For programs without an event loop: blocks until a stop comes and returns its number;
    // or until fd can be read (true) or a stop came (false).
    static int WaitForStop();
    static bool WaitForInput(int fd);

    // Delivers the stops caught since Install().
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

signals:
    void received(int signalNumber);

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

// While one lives, the stop signals are blocked in this thread and in the threads it starts,
// so that the handler runs in the thread that waits for the stop, never inside a worker's
// system call.
class StopsBlocked {
public:
    StopsBlocked();
    ~StopsBlocked();
    StopsBlocked(const StopsBlocked&) = delete;
    StopsBlocked& operator=(const StopsBlocked&) = delete;

private:
    sigset_t before_;
};

} // namespace pellmark
