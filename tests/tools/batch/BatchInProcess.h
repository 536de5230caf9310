// pellmark-batch's run in-process, as its command line sets it up, for the suites that drive
// it on a fake fetcher with the clock they set.
#pragma once

#include "BatchFolder.h"
#include "BatchOptions.h"
#include "BatchRun.h"

#include <QSignalSpy>

#include <cstdio>
#include <cstdlib>

namespace pellmark {

// Text written to a stream, read back once the stream is closed.
class CapturedStream {
public:
    CapturedStream() : stream_(::open_memstream(&text_, &size_)) {}
    ~CapturedStream() {
        close();
        std::free(text_);
    }
    CapturedStream(const CapturedStream&) = delete;
    CapturedStream& operator=(const CapturedStream&) = delete;
    std::FILE* stream() const { return stream_; }
    QByteArray close() {
        if (stream_)
            std::fclose(stream_);
        stream_ = nullptr;
        return QByteArray(text_, static_cast<qsizetype>(size_));
    }

private:
    char* text_ = nullptr;
    std::size_t size_ = 0;
    std::FILE* stream_;
};

// A run of pellmark-batch in-process on the fetcher through points to, at the clock's time:
// its exit status (-1 when it did not end in time), what it printed and the folder it left.
struct BatchInProcess : BatchFolder {
    explicit BatchInProcess(DayFetcher* fetcher) : through(fetcher) {}

    int run(const QStringList& arguments) {
        const ServiceClock clock = ServiceClock::At(now);
        auto parsed =
            ParseBatchCommandLine(QStringList{"pellmark-batch"} + arguments, clock.Today());
        if (auto* usage = std::get_if<UsageError>(&parsed)) {
            err = QByteArray::fromStdString(usage->reason);
            return kExitUsage;
        }
        CapturedStream failedDays;
        CapturedStream progress;
        int status = -1;
        {
            BatchRun batch(std::get<BatchOptions>(std::move(parsed)), *through, clock,
                           failedDays.stream(), progress.stream(), terminal);
            QSignalSpy ended(&batch, &BatchRun::ended);
            if (!batch.Start())
                status = kExitUsage;
            else if (ended.wait(10000))
                status = ended.at(0).at(0).toInt();
        }
        out = failedDays.close();
        err = progress.close();
        return status;
    }

    DayFetcher* through;
    QDateTime now{QDate(2026, 12, 7), QTime(20, 0), Qt::UTC};
    bool terminal = false; // progress as the live line
};

} // namespace pellmark
