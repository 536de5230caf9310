// Turns SIGINT, SIGTERM and SIGHUP into a Qt signal delivered by the event loop, so that a
// run is stopped by the same code as any other stop, never from inside a signal handler.
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

    // Delivers the stops caught since Install().
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

signals:
    void received(int signalNumber);

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace pellmark
