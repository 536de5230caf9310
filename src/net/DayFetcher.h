// The one thing a run needs from the network: fetch a symbol-day, report its result, and
// be abandoned at any time. QuoteFetch is the real one; tests use a fake.
#pragma once

#include "net/DayRequest.h"
#include "net/FetchResult.h"

#include <QObject>

namespace pellmark {

class DayFetcher : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    // Starts one symbol-day; finished() reports it, never from inside this call.
    virtual void FetchDayQuotes(const DayRequest& request) = 0;
    // Abandons the fetch in progress at once; no finished() follows for it.
    virtual void Abort() = 0;

signals:
    void finished(const pellmark::FetchResult& result);
};

} // namespace pellmark
