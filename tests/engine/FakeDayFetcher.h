// A fetcher that answers from a script, from the event loop, and moves a fake clock on by
// twenty seconds for every day it fetches.
#pragma once

#include "quote/DayFetcher.h"

#include <QMap>
#include <QStringList>
#include <QTimer>

#include <chrono>

class FakeDayFetcher : public pellmark::DayFetcher {
public:
    void FetchDayQuotes(const std::string& symbol, const std::string& dateLabel) override {
        const QString day = QString::fromStdString(symbol + "-" + dateLabel);
        requests << day;
        pending_.start(0);
        pendingDay_ = day;
    }
    void Abort() override { pending_.stop(); }

    // Days without an entry hold one quote.
    QMap<QString, pellmark::FetchResult> script;
    QStringList requests;
    std::chrono::steady_clock::time_point now{};

    FakeDayFetcher() {
        pending_.setSingleShot(true);
        connect(&pending_, &QTimer::timeout, this, [this] {
            now += std::chrono::seconds(20);
            emit finished(script.value(pendingDay_, {{true, {"1.2345 - 00:05"}}, 1}));
        });
    }

private:
    QTimer pending_;
    QString pendingDay_;
};
