// The local quote service: answers the hourly-view form with the pages of QuotePage, reached
// directly or as an HTTP proxy, and plays the faults chosen on the command line.
#pragma once

#include "MarketPlay.h"
#include "RequestLog.h"
#include "ServiceOptions.h"
#include "StopSignal.h"

#include <httplib.h>

#include <atomic>
#include <map>
#include <mutex>
#include <string>

namespace pellmark {

class QuoteServer {
public:
    explicit QuoteServer(const ServiceOptions& options);

    // Binds 127.0.0.1 to the port of the options (0: any); returns the port, -1 on failure.
    int bind();
    // Answers requests until stop(); returns false when it could not run.
    bool serve();
    bool isRunning() const { return server_.is_running(); }
    // Safe from another thread; ends hanging and dripping answers and idle connections too.
    void stop();

    bool logOpen() const { return log_.isOpen(); }

private:
    struct DayRequest {
        std::string stk;
        std::string date;
        bool isPost = false;
    };

    std::string quotedSymbol(const DayRequest& day) const;
    ServiceMoment now() const;
    void answer(const httplib::Request& request, httplib::Response& response,
                const DayRequest& day);
    void answerWithFaults(const httplib::Request& request, httplib::Response& response,
                          const DayRequest& day);
    std::string pageWithFaults(const DayRequest& day);
    void deliver(const httplib::Request& request, httplib::Response& response, std::string page,
                 const std::string& contentType);
    void redirectToResultPage(httplib::Response& response, const DayRequest& day);
    void closeWithoutAnswer(const httplib::Request& request);
    bool faultsApply(const DayRequest& day) const;
    bool takeNoDataAnswer(const DayRequest& day);
    std::string newSession();
    void logRequest(const httplib::Request& request);

    ServiceOptions options_;
    RequestLog log_;
    MarketPlay market_;
    StopSignal stopSignal_;
    httplib::Server server_;
    int port_ = -1;
    std::mutex answersMutex_;
    std::map<std::string, int> answersPerDay_;
    std::atomic<int> sessions_ = 0;
};

} // namespace pellmark
