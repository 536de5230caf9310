// The command line of the local quote service: where it listens, where it logs, and which
// faults it plays for the requests it answers.
#pragma once

#include "DateLabel.h"
#include "MarketPlay.h"

#include <optional>
#include <string>
#include <vector>

namespace pellmark {

struct ServiceOptions {
    int port = 0; // 0: any free port
    std::string logPath;
    std::string only; // faults only for requests whose "stk-date" contains this

    int noDataFirst = 0; // no-data answers for each symbol-day before the real page
    bool shortPage = false;
    bool emptyRecords = false;
    int status = 0; // answer with this HTTP status instead of the page
    bool closeConnection = false;
    int delayMs = 0;
    bool hang = false;
    bool neverAccept = false; // listen, but take no connection
    bool resetMidBody = false;
    int dripMs = 0;
    int hugeMb = 0;
    int noParenRecords = 0; // hostile pages: see HostilePage.h
    int nestedDivs = 0;
    int manyAttributes = 0;
    int unclosedFonts = 0;
    int reopenedFormatting = 0;
    bool binary = false;
    std::string charset = "ISO-8859-1";
    bool emptyBody = false;
    bool redirect = false;
    bool setCookie = false;
    int cookieFlood = 0;               // new cookies set by every answer
    bool anySymbol = false;            // unknown symbols get the quotes of a known stock
    std::vector<std::string> holidays; // date labels always answered with the no-data page
    MarketOptions market;
    std::optional<ServiceMoment> now; // the service's clock, when not the system's
};

struct ParsedOptions {
    std::optional<ServiceOptions> options; // empty when the command line is wrong
    std::string error;
    bool help = false; // -h or --help given: nothing else is read
    bool version = false;
};

ParsedOptions ParseServiceOptions(const std::vector<std::string>& arguments);

std::string ServiceUsage();

} // namespace pellmark
