#include "ServiceOptions.h"

#include "core/DateList.h"

#include <QDate>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <set>

namespace pellmark {
namespace {

std::optional<int> ParseNumber(const std::string& text, int minimum, int maximum) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < minimum ||
        value > maximum)
        return std::nullopt;
    return value;
}

using FlagSetter = std::function<void(ServiceOptions&)>;
using ValueSetter = std::function<bool(ServiceOptions&, const std::string&)>;

ValueSetter Number(int ServiceOptions::*field, int minimum, int maximum) {
    return [=](ServiceOptions& options, const std::string& text) {
        const auto value = ParseNumber(text, minimum, maximum);
        if (value)
            options.*field = *value;
        return value.has_value();
    };
}

ValueSetter Text(std::string ServiceOptions::*field) {
    return [=](ServiceOptions& options, const std::string& text) {
        options.*field = text;
        return !text.empty();
    };
}

// A comma-separated list of date labels added to the list the accessor names, each as the
// requests write it ("04-dec-26" is 4-Dec-26); one that names no day is refused.
ValueSetter Labels(std::function<std::vector<std::string>&(ServiceOptions&)> list) {
    return [=](ServiceOptions& options, const std::string& text) {
        for (std::size_t start = 0; start <= text.size();) {
            const std::size_t comma = std::min(text.find(',', start), text.size());
            const std::optional<CalendarDay> day =
                ParseDateLabel(text.substr(start, comma - start));
            if (!day)
                return false;
            list(options).push_back(DateLabel(QDate(day->year, day->month, day->day)));
            start = comma + 1;
        }
        return true;
    };
}

FlagSetter Flag(bool ServiceOptions::*field) {
    return [=](ServiceOptions& options) { options.*field = true; };
}

} // namespace

ParsedOptions ParseServiceOptions(const std::vector<std::string>& arguments) {
    const std::map<std::string, ValueSetter> valueOptions = {
        {"--port", Number(&ServiceOptions::port, 0, 65535)},
        {"--log", Text(&ServiceOptions::logPath)},
        {"--only", Text(&ServiceOptions::only)},
        {"--no-data-first", Number(&ServiceOptions::noDataFirst, 0, 1000000)},
        {"--status", Number(&ServiceOptions::status, 100, 599)},
        {"--delay-ms", Number(&ServiceOptions::delayMs, 0, 3600000)},
        {"--drip-ms", Number(&ServiceOptions::dripMs, 0, 60000)},
        {"--huge-mb", Number(&ServiceOptions::hugeMb, 1, 4096)},
        {"--no-paren-records", Number(&ServiceOptions::noParenRecords, 1, 10000000)},
        {"--nested-divs", Number(&ServiceOptions::nestedDivs, 1, 10000000)},
        {"--many-attributes", Number(&ServiceOptions::manyAttributes, 1, 10000000)},
        {"--unclosed-fonts", Number(&ServiceOptions::unclosedFonts, 1, 10000000)},
        {"--reopened-formatting", Number(&ServiceOptions::reopenedFormatting, 1, 10000000)},
        {"--charset", Text(&ServiceOptions::charset)},
        {"--cookie-flood", Number(&ServiceOptions::cookieFlood, 1, 1000)},
        {"--now",
         [](ServiceOptions& options, const std::string& text) {
             // YYYY-MM-DDTHH:MM, GMT.
             int year = 0, month = 0, day = 0, hour = 0, minute = 0;
             char tail = 0;
             if (std::sscanf(text.c_str(), "%4d-%2d-%2dT%2d:%2d%c", &year, &month, &day, &hour,
                             &minute, &tail) != 5 ||
                 hour > 23 || minute > 59)
                 return false;
             const std::chrono::year_month_day date{
                 std::chrono::year{year} / std::chrono::month{static_cast<unsigned>(month)} /
                 std::chrono::day{static_cast<unsigned>(day)}};
             if (!date.ok())
                 return false;
             options.now = ServiceMoment{{year, month, day}, hour * 3600 + minute * 60};
             return true;
         }},
        {"--holidays", Labels([](ServiceOptions & o) -> auto& { return o.holidays; })},
        {"--pair-holidays",
         Labels([](ServiceOptions & o) -> auto& { return o.market.pairHolidays; })},
        {"--stock-holidays",
         Labels([](ServiceOptions & o) -> auto& { return o.market.stockHolidays; })},
        {"--half-days", Labels([](ServiceOptions & o) -> auto& { return o.market.halfDays; })},
        {"--listed", [](ServiceOptions& options,
                        const std::string& text) { return ReadListings(text, options.market); }},
        {"--flaky-percent",
         [](ServiceOptions& options, const std::string& text) {
             const auto value = ParseNumber(text, 0, 100);
             options.market.flakyPercent = value.value_or(0);
             return value.has_value();
         }},
        {"--seed",
         [](ServiceOptions& options, const std::string& text) {
             const auto value = ParseNumber(text, 0, 1000000000);
             options.market.seed = value.value_or(0);
             return value.has_value();
         }},
    };
    const std::map<std::string, FlagSetter> flagOptions = {
        {"--short", Flag(&ServiceOptions::shortPage)},
        {"--empty-records", Flag(&ServiceOptions::emptyRecords)},
        {"--close", Flag(&ServiceOptions::closeConnection)},
        {"--hang", Flag(&ServiceOptions::hang)},
        {"--never-accept", Flag(&ServiceOptions::neverAccept)},
        {"--reset-mid-body", Flag(&ServiceOptions::resetMidBody)},
        {"--binary", Flag(&ServiceOptions::binary)},
        {"--empty-body", Flag(&ServiceOptions::emptyBody)},
        {"--redirect", Flag(&ServiceOptions::redirect)},
        {"--set-cookie", Flag(&ServiceOptions::setCookie)},
        {"--any-symbol", Flag(&ServiceOptions::anySymbol)},
    };

    ServiceOptions options;
    std::set<std::string> given;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        // As every program refuses it (RepeatedOption in tools/frame).
        if (name.starts_with("--") && !given.insert(name).second)
            return {std::nullopt, "option '" + name + "' is given more than once"};
        if (name == "-h" || name == "--help")
            return {options, {}, true, false};
        if (name == "-v" || name == "--version")
            return {options, {}, false, true};
        if (const auto flag = flagOptions.find(name); flag != flagOptions.end()) {
            flag->second(options);
        } else if (const auto value = valueOptions.find(name); value != valueOptions.end()) {
            if (i + 1 == arguments.size())
                return {std::nullopt, "option '" + name + "' needs a value"};
            if (!value->second(options, arguments[++i]))
                return {std::nullopt, "bad value for " + name + ": " + arguments[i]};
        } else {
            return {std::nullopt, "unknown option '" + name + "'"};
        }
    }
    return {options, {}};
}

std::string ServiceUsage() {
    return "Usage: pellmark-quote-service [--port N] [--log FILE] [--only TEXT] [faults]\n"
           "Serves hourly-view quote pages on 127.0.0.1 and prints the port on the first line,\n"
           "until SIGTERM, SIGINT or SIGHUP ends it (exit status 0; 1 when it cannot listen,\n"
           "2 for a wrong command line).\n"
           "  -h, --help          show this help and exit\n"
           "  -v, --version       show the version and exit\n"
           "  --now YYYY-MM-DDTHH:MM  the service's clock (GMT; default: the system's): days\n"
           "                      after it have no data, and its day has quotes up to then\n"
           "  --holidays LABELS   the no-data page for these days (d-mmm-yy, comma-separated)\n"
           "                      for every symbol, whatever --only says\n"
           "a market, for every request whatever --only says (currency pairs answer only as\n"
           "frxSYMBOL, stocks and indices only as SYMBOL; other codes have no data):\n"
           "  --pair-holidays LABELS   the no-data page for currency pairs on these days\n"
           "  --stock-holidays LABELS  the no-data page for stocks and indices on these days\n"
           "  --half-days LABELS  stocks and indices close at 18:00 GMT on these days\n"
           "  --listed CODE=LABEL,...  no data for CODE (frxGBPAUD, USAMSFT) before LABEL\n"
           "  --flaky-percent N   the no-data page for the first ask of N % of symbol-days\n"
           "  --seed N            which symbol-days are flaky (default 1)\n"
           "faults (for requests whose stk-date contains the --only text, or all):\n"
           "  --no-data-first N   the no-data page the first N times a symbol-day is asked\n"
           "  --short             a page of five lines without quotes\n"
           "  --empty-records     a record for each quote, none with a time or a price\n"
           "  --status CODE       an error page with that HTTP status\n"
           "  --close             close the connection without answering\n"
           "  --delay-ms N        wait N ms before answering\n"
           "  --hang              never answer\n"
           "  --never-accept      listen but take no connection (no request is logged)\n"
           "  --reset-mid-body    reset the connection halfway through the body\n"
           "  --drip-ms N         send the body a few bytes at a time, N ms apart\n"
           "  --huge-mb N         the page padded with repeated records to N MB\n"
           "  --no-paren-records N  N records without \" (\", and \" (\" in the foot\n"
           "  --nested-divs N     the records inside N nested <div> tags\n"
           "  --many-attributes N the records inside one tag with N attributes\n"
           "  --unclosed-fonts N  N <font> tags never closed before the records\n"
           "  --reopened-formatting N  1,000 <b> tags, then N paragraphs that reopen them all\n"
           "  --binary            random bytes declared as text/html\n"
           "  --charset NAME      the page encoded in NAME (default ISO-8859-1)\n"
           "  --empty-body        200 with an empty body\n"
           "  --redirect          302 to a GET page, setting a session cookie\n"
           "  --set-cookie        set a session cookie on answers to requests without one\n"
           "  --cookie-flood N    set N new cookies on every answer\n"
           "  --any-symbol        answer unknown symbols with a known stock's quotes\n";
}

} // namespace pellmark
