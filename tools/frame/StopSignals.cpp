#include "StopSignals.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <pthread.h>
#include <unistd.h>

namespace pellmark {

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
int wakePipe[2] = {-1, -1};
std::atomic<bool> stopAsked{false};
volatile std::sig_atomic_t lastStop = 0;
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

extern "C" void OnStopSignal(int signalNumber) {
    lastStop = signalNumber;
    stopAsked.store(true);
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    // Nothing to be done in a signal handler when the pipe is full: a stop is already pending.
    [[maybe_unused]] const ssize_t written = ::write(wakePipe[1], &byte, 1);
}

} // namespace

void StopSignals::Install() {
    ::signal(SIGXFSZ, SIG_IGN);
    ::signal(SIGPIPE, SIG_IGN);
    if (wakePipe[0] >= 0 || ::pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (const int stop : kStopSignals)
        ::sigaction(stop, &action, nullptr);
}

const std::atomic<bool>& StopSignals::StopAsked() {
    return stopAsked;
}

int StopSignals::LastStop() {
    return lastStop;
}

const char* StopSignals::Name(int signalNumber) {
    switch (signalNumber) {
    case SIGINT:
        return "SIGINT";
    case SIGTERM:
        return "SIGTERM";
    default:
        return "SIGHUP";
    }
}

int StopSignals::WaitForStop() {
    while (!stopAsked.load()) {
        pollfd wake{wakePipe[0], POLLIN, 0};
        ::poll(&wake, 1, -1);
    }
    return lastStop;
}

bool StopSignals::WaitForInput(int fd) {
    pollfd both[2] = {{fd, POLLIN, 0}, {wakePipe[0], POLLIN, 0}};
    while (!stopAsked.load()) {
        if (::poll(both, 2, -1) > 0 && both[0].revents != 0)
            return true;
    }
    return false;
}

StopSignals::StopSignals(QObject* parent) : QObject(parent) {
    Install();
    if (wakePipe[0] < 0)
        return;
    notifier_ = std::make_unique<QSocketNotifier>(wakePipe[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] {
        unsigned char byte = 0;
        while (::read(wakePipe[0], &byte, 1) == 1)
            emit received(byte);
    });
}

StopSignals::~StopSignals() {
    for (const int stop : kStopSignals)
        ::signal(stop, SIG_DFL);
    notifier_.reset();
    for (int& end : wakePipe) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
}

StopsBlocked::StopsBlocked() {
    sigset_t stops;
    sigemptyset(&stops);
    for (const int stop : kStopSignals)
        sigaddset(&stops, stop);
    pthread_sigmask(SIG_BLOCK, &stops, &before_);
}

StopsBlocked::~StopsBlocked() {
    pthread_sigmask(SIG_SETMASK, &before_, nullptr);
}

} // namespace pellmark
