// The local quote service's market behind the fetcher seam, in-process and without a pause:
// the same options as the service (its market: holidays of each form, half days, listings,
// flaky first answers; --holidays; --only with --no-data-first or --close; --now) give the
// same pages, judged as the fetch judges them: a page without data is fetched again up to the
// request's tries, no answer at all up to three. Each request is kept with its form and
// tries, and each page asked for is counted as the service's log counts it.
#pragma once

#include "net/DayFetcher.h"
#include "ServiceOptions.h"

#include <QStringList>
#include <QTimer>

#include <map>
#include <optional>
#include <string>

class FakeMarket : public pellmark::DayFetcher {
public:
    explicit FakeMarket(const QStringList& serviceOptions);

    void FetchDayQuotes(const pellmark::DayRequest& request) override;
    void Abort() override { answer_.stop(); }

    // Empty when every option given is one the fake plays.
    QString error;
    // "frxAUDUSD 8-Jun-05 7": the code asked for, the day and the tries it was allowed.
    QStringList asked;
    int pages = 0;

private:
    // The service's answer to one post; none when it closes the connection unanswered.
    std::optional<std::string> Page(const std::string& stk, const std::string& dateLabel);

    pellmark::ServiceOptions service_;
    std::optional<pellmark::MarketPlay> market_;
    std::map<std::string, int> answered_; // no-data answers given per "stk-date"
    QTimer answer_;
    pellmark::FetchResult result_;
};
