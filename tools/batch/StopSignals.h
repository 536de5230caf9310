// Turns SIGINT and SIGTERM into a Qt signal delivered by the event loop, so that a run is
// stopped by the same code as any other stop, never from inside a signal handler.
#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

namespace pellmark {

class StopSignals : public QObject {
    Q_OBJECT
public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

signals:
    void received(int signalNumber);

private:
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace pellmark
