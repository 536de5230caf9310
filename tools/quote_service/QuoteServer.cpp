#include "QuoteServer.h"

#include "ConnectionSockets.h"
#include "HostilePage.h"
#include "QuotePage.h"
#include "Recode.h"

#include <algorithm>
#include <memory>
#include <random>
#include <sys/socket.h>

namespace pellmark {
namespace {

const std::string kDefaultCharset = "ISO-8859-1";
constexpr std::size_t kDripPiece = 64;
constexpr std::size_t kBinaryBytes = 16 * 1024;

// A proxy client sends the whole URL as request-target; the scheme and host are then part of
// the path the library matches.
const std::string kAnyOrigin = R"((?:[A-Za-z][A-Za-z0-9+.\-]*://[^/]*)?)";

std::string ErrorPage(int status) {
    const std::string code = std::to_string(status);
    return "<html>\n<head><title>" + code + "</title></head>\n<body><h1>Error " + code +
           "</h1></body>\n</html>\n";
}

std::string RandomBytes(const std::string& seedText) {
    std::seed_seq seed(seedText.begin(), seedText.end());
    std::mt19937 engine(seed);
    std::string bytes(kBinaryBytes, '\0');
    std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<char>(engine() & 0xff); });
    return bytes;
}

bool HasSessionCookie(const httplib::Request& request) {
    return request.get_header_value("Cookie").find("session=") != std::string::npos;
}

std::string EncodedPage(const std::string& page, const std::string& charset) {
    // main() made sure that the charset can encode the pages.
    return RecodeFromUtf8(page, charset).value_or(page);
}

} // namespace

QuoteServer::QuoteServer(const ServiceOptions& options)
    : options_(options), log_(options.logPath), market_(options.market) {
    server_.set_tcp_nodelay(true);
    // Hanging and dripping answers hold a thread each; leave room for the rest.
    server_.new_task_queue = [] { return new httplib::ThreadPool(64); };

    server_.Post(kAnyOrigin + R"(//e/c_viewhourly/o_cgi_\.htm)",
                 [this](const httplib::Request& request, httplib::Response& response) {
                     answer(
                         request, response,
                         {request.get_param_value("stk"), request.get_param_value("date"), true});
                 });
    server_.Get(kAnyOrigin + R"(/e/result\.htm)", [this](const httplib::Request& request,
                                                         httplib::Response& response) {
        answer(request, response,
               {request.get_param_value("stk"), request.get_param_value("date"), false});
    });
    const auto notFound = [this](const httplib::Request& request, httplib::Response& response) {
        logRequest(request);
        response.status = 404;
        response.set_content(ErrorPage(404), "text/html");
    };
    server_.Get(".*", notFound);
    server_.Post(".*", notFound);
    server_.Put(".*", notFound);
    server_.Patch(".*", notFound);
    server_.Delete(".*", notFound);
    server_.Options(".*", notFound);
}

int QuoteServer::bind() {
    // The library's default lets a second service share a port in use, each taking some of
    // the requests; a port in use is a port the service cannot listen on.
    server_.set_socket_options([](socket_t sock) {
        const int yes = 1;
        ::setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    if (options_.port == 0)
        port_ = server_.bind_to_any_port("127.0.0.1");
    else
        port_ = server_.bind_to_port("127.0.0.1", options_.port) ? options_.port : -1;
    return port_;
}

bool QuoteServer::serve() {
    return server_.listen_after_bind();
}

void QuoteServer::stop() {
    // Connections go first, so that the answers woken below have nowhere to write.
    server_.stop();
    ShutdownConnections(port_);
    stopSignal_.stop();
}

void QuoteServer::answer(const httplib::Request& request, httplib::Response& response,
                         const DayRequest& day) {
    logRequest(request);
    if (std::find(options_.holidays.begin(), options_.holidays.end(), day.date) !=
        options_.holidays.end()) {
        response.set_content(EncodedPage(NoDataPageHtml(day.stk, day.date), kDefaultCharset),
                             "text/html; charset=" + kDefaultCharset);
        return;
    }
    if (const auto marketPage = market_.PageFor(day.stk, day.date)) {
        response.set_content(EncodedPage(*marketPage, kDefaultCharset),
                             "text/html; charset=" + kDefaultCharset);
        return;
    }
    if (faultsApply(day)) {
        answerWithFaults(request, response, day);
        return;
    }
    response.set_content(
        EncodedPage(QuotePageHtml(quotedSymbol(day), day.date, now()), kDefaultCharset),
        "text/html; charset=" + kDefaultCharset);
}

void QuoteServer::answerWithFaults(const httplib::Request& request, httplib::Response& response,
                                   const DayRequest& day) {
    if (options_.delayMs > 0 && !stopSignal_.sleepFor(std::chrono::milliseconds(options_.delayMs)))
        return;
    if (options_.hang) {
        stopSignal_.waitForStop();
        return;
    }
    if (options_.closeConnection) {
        closeWithoutAnswer(request);
        return;
    }
    if (options_.setCookie && !HasSessionCookie(request))
        response.set_header("Set-Cookie", "session=" + newSession() + "; path=/");
    for (int i = 0; i < options_.cookieFlood; ++i)
        response.set_header("Set-Cookie", "flood" + newSession() + "=1; path=/");
    if (options_.status != 0) {
        response.status = options_.status;
        response.set_content(ErrorPage(options_.status), "text/html");
        return;
    }
    if (options_.redirect && day.isPost) {
        redirectToResultPage(response, day);
        return;
    }
    if (options_.binary) {
        deliver(request, response, RandomBytes(day.stk + "-" + day.date), "text/html");
        return;
    }
    deliver(request, response, EncodedPage(pageWithFaults(day), options_.charset),
            "text/html; charset=" + options_.charset);
}

// With --any-symbol an unknown symbol is answered with a known stock's quotes, so tests can
// see what the program does with odd symbols that do bring data.
std::string QuoteServer::quotedSymbol(const DayRequest& day) const {
    return options_.anySymbol && !IsKnownSymbol(day.stk) ? std::string("USAMSFT") : day.stk;
}

ServiceMoment QuoteServer::now() const {
    return options_.now ? *options_.now : NowUtc();
}

std::string QuoteServer::pageWithFaults(const DayRequest& day) {
    if (takeNoDataAnswer(day))
        return NoDataPageHtml(day.stk, day.date);
    if (options_.emptyBody)
        return {};
    if (options_.shortPage)
        return ShortPageHtml();
    if (options_.emptyRecords)
        return EmptyRecordsPageHtml(quotedSymbol(day), day.date, now());
    if (options_.hugeMb > 0)
        return PaddedQuotePageHtml(quotedSymbol(day), day.date,
                                   static_cast<std::size_t>(options_.hugeMb) << 20, now());
    for (const auto& [layout, count] :
         {std::pair{HostileLayout::NoParenRecords, options_.noParenRecords},
          std::pair{HostileLayout::NestedDivs, options_.nestedDivs},
          std::pair{HostileLayout::ManyAttributes, options_.manyAttributes},
          std::pair{HostileLayout::UnclosedFonts, options_.unclosedFonts},
          std::pair{HostileLayout::ReopenedFormatting, options_.reopenedFormatting}}) {
        if (count > 0)
            return HostilePageHtml(layout, count, quotedSymbol(day), day.date, now());
    }
    return QuotePageHtml(quotedSymbol(day), day.date, now());
}

void QuoteServer::deliver(const httplib::Request& request, httplib::Response& response,
                          std::string page, const std::string& contentType) {
    auto body = std::make_shared<std::string>(std::move(page));
    if (options_.resetMidBody) {
        const int localPort = request.local_port > 0 ? request.local_port : port_;
        const int peerPort = request.remote_port;
        response.set_content_provider(
            body->size(), contentType,
            [this, body, localPort, peerPort](std::size_t, std::size_t, httplib::DataSink& sink) {
                sink.write(body->data(), body->size() / 2);
                // Let the first half reach the client before the reset discards what is queued.
                stopSignal_.sleepFor(std::chrono::milliseconds(50));
                ResetConnection(FindConnectionSocket(localPort, peerPort));
                return false;
            });
        return;
    }
    if (options_.dripMs > 0) {
        response.set_chunked_content_provider(
            contentType, [this, body](std::size_t offset, httplib::DataSink& sink) {
                if (offset >= body->size()) {
                    sink.done();
                    return true;
                }
                const std::size_t piece = std::min(kDripPiece, body->size() - offset);
                sink.write(body->data() + offset, piece);
                return stopSignal_.sleepFor(std::chrono::milliseconds(options_.dripMs));
            });
        return;
    }
    response.set_content(*body, contentType);
}

void QuoteServer::redirectToResultPage(httplib::Response& response, const DayRequest& day) {
    response.set_redirect("/e/result.htm?stk=" + httplib::detail::encode_query_param(day.stk) +
                              "&date=" + httplib::detail::encode_query_param(day.date),
                          302);
    response.set_header("Set-Cookie", "session=" + newSession() + "; path=/");
    response.set_content(ErrorPage(302), "text/html");
}

void QuoteServer::closeWithoutAnswer(const httplib::Request& request) {
    const int localPort = request.local_port > 0 ? request.local_port : port_;
    const int socket = FindConnectionSocket(localPort, request.remote_port);
    if (socket >= 0)
        shutdown(socket, SHUT_RDWR);
}

bool QuoteServer::faultsApply(const DayRequest& day) const {
    return options_.only.empty() ||
           (day.stk + "-" + day.date).find(options_.only) != std::string::npos;
}

bool QuoteServer::takeNoDataAnswer(const DayRequest& day) {
    if (options_.noDataFirst == 0)
        return false;
    const std::lock_guard lock(answersMutex_);
    return answersPerDay_[day.stk + "-" + day.date]++ < options_.noDataFirst;
}

std::string QuoteServer::newSession() {
    return "s" + std::to_string(++sessions_);
}

void QuoteServer::logRequest(const httplib::Request& request) {
    log_.write({std::chrono::system_clock::now(), request.method, request.target,
                request.get_header_value("Host"), request.get_header_value("Content-Type"),
                request.get_header_value("Cookie"), request.body});
}

} // namespace pellmark
