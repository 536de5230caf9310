#include "net/CurlMulti.h"

#include <QSocketNotifier>

#include <utility>

namespace pellmark {

namespace {

void InitialiseCurlOnce() {
    // Not thread-safe in libcurl, which is why it runs before the first multi handle exists.
    static const CURLcode initialised = curl_global_init(CURL_GLOBAL_DEFAULT);
    (void)initialised;
}

} // namespace

CurlMulti::CurlMulti(DoneHandler onDone, QObject* parent)
    : QObject(parent), multi_((InitialiseCurlOnce(), curl_multi_init())),
      onDone_(std::move(onDone)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, [this] { Act(CURL_SOCKET_TIMEOUT, 0); });

    curl_multi_setopt(multi_, CURLMOPT_SOCKETFUNCTION, &CurlMulti::OnSocket);
    curl_multi_setopt(multi_, CURLMOPT_SOCKETDATA, this);
    curl_multi_setopt(multi_, CURLMOPT_TIMERFUNCTION, &CurlMulti::OnTimer);
    curl_multi_setopt(multi_, CURLMOPT_TIMERDATA, this);
}

CurlMulti::~CurlMulti() {
    // Closing the cached connections may still call back into OnSocket, which is why
    // this runs while the watch table and the notifiers (children) still exist.
    curl_multi_cleanup(multi_);
}

bool CurlMulti::Add(CURL* easy) {
    return curl_multi_add_handle(multi_, easy) == CURLM_OK;
}

void CurlMulti::Remove(CURL* easy) {
    curl_multi_remove_handle(multi_, easy);
}

int CurlMulti::OnSocket(CURL*, curl_socket_t socket, int what, void* self, void*) {
    auto* multi = static_cast<CurlMulti*>(self);
    if (what == CURL_POLL_REMOVE)
        multi->Unwatch(socket);
    else
        multi->Watch(socket, what);
    return 0;
}

int CurlMulti::OnTimer(CURLM*, long timeoutMs, void* self) {
    // Called from inside curl (add_handle among others): only the timer may change here.
    auto* multi = static_cast<CurlMulti*>(self);
    if (timeoutMs < 0)
        multi->timer_.stop();
    else
        multi->timer_.start(static_cast<int>(timeoutMs));
    return 0;
}

void CurlMulti::Watch(curl_socket_t socket, int what) {
    SocketWatch& watch = sockets_[socket];
    auto follow = [&](QSocketNotifier*& notifier, QSocketNotifier::Type type, bool wanted,
                      int event) {
        if (!wanted) {
            // A write notifier left on for a connected socket fires without end.
            if (notifier)
                notifier->setEnabled(false);
            return;
        }
        if (!notifier) {
            notifier = new QSocketNotifier(socket, type, this);
            connect(notifier, &QSocketNotifier::activated, this,
                    [this, socket, event] { Act(socket, event); });
        }
        notifier->setEnabled(true);
    };
    follow(watch.read, QSocketNotifier::Read, what & CURL_POLL_IN, CURL_CSELECT_IN);
    follow(watch.write, QSocketNotifier::Write, what & CURL_POLL_OUT, CURL_CSELECT_OUT);
}

void CurlMulti::Unwatch(curl_socket_t socket) {
    const auto found = sockets_.find(socket);
    if (found == sockets_.end())
        return;
    // The notifier may be the one whose signal is being delivered right now, and curl
    // hands out the same socket number again for the next connection.
    for (QSocketNotifier* notifier : {found->second.read, found->second.write}) {
        if (notifier) {
            notifier->setEnabled(false);
            notifier->deleteLater();
        }
    }
    sockets_.erase(found);
}

void CurlMulti::Act(curl_socket_t socket, int events) {
    int running = 0;
    curl_multi_socket_action(multi_, socket, events, &running);
    ReportFinished();
}

void CurlMulti::ReportFinished() {
    int waiting = 0;
    while (CURLMsg* message = curl_multi_info_read(multi_, &waiting)) {
        if (message->msg != CURLMSG_DONE)
            continue;
        // The message dies with remove_handle, so take what it says first.
        CURL* easy = message->easy_handle;
        const CURLcode result = message->data.result;
        curl_multi_remove_handle(multi_, easy);
        onDone_(easy, result);
    }
}

} // namespace pellmark
