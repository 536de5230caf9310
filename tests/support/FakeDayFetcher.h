// A fetcher that answers from a script, from the event loop after delay, and moves a fake
// clock on by twenty seconds for every day it fetches.
#pragma once

#include "net/DayFetcher.h"

#include <QMap>
#include <QStringList>
#include <QTimer>

#include <chrono>
#include <functional>

class FakeDayFetcher : public pellmark::DayFetcher {
public:
    void FetchDayQuotes(const pellmark::DayRequest& request) override {
        const QString day = QString::fromStdString(request.symbol + "-" + request.dateLabel);
        requests << day;
        pending_.start(delay);
        pendingDay_ = day;
    }
    void Abort() override { pending_.stop(); }

    // Days without an entry in the script get answer's result, by default one quote.
    QMap<QString, pellmark::FetchResult> script;
    std::function<pellmark::FetchResult(const QString& day)> answer;
    std::chrono::milliseconds delay{0};
    QStringList requests;
    std::chrono::steady_clock::time_point now{};

    FakeDayFetcher() {
        pending_.setSingleShot(true);
        connect(&pending_, &QTimer::timeout, this, [this] {
            now += std::chrono::seconds(20);
            if (script.contains(pendingDay_))
                emit finished(script.value(pendingDay_));
            else
                emit finished(answer ? answer(pendingDay_)
                                     : pellmark::FetchResult{{true, {"1.2345 - 00:05"}}, 1});
        });
    }

private:
    QTimer pending_;
    QString pendingDay_;
};
