// Drives libcurl's multi-socket interface from the Qt event loop: socket notifiers
// for what curl waits on and one single-shot timer for its time-outs, on one thread.
#pragma once

#include <curl/curl.h>

#include <QObject>
#include <QTimer>

#include <functional>
#include <map>

class QSocketNotifier;

namespace pellmark {

class CurlMulti : public QObject {
    Q_OBJECT
public:
    // Called once for every transfer that ends, after its handle has left the multi handle.
    using DoneHandler = std::function<void(CURL* easy, CURLcode result)>;

    explicit CurlMulti(DoneHandler onDone, QObject* parent = nullptr);
    ~CurlMulti() override;
    CurlMulti(const CurlMulti&) = delete;
    CurlMulti& operator=(const CurlMulti&) = delete;

    // Starts a transfer that is set up on easy; false when curl refuses it.
    bool Add(CURL* easy);
    // Abandons a transfer at once; no done report follows for it.
    void Remove(CURL* easy);

private:
    struct SocketWatch {
        QSocketNotifier* read = nullptr;
        QSocketNotifier* write = nullptr;
    };

    static int OnSocket(CURL* easy, curl_socket_t socket, int what, void* self, void* socketData);
    static int OnTimer(CURLM* multi, long timeoutMs, void* self);

    void Watch(curl_socket_t socket, int what);
    void Unwatch(curl_socket_t socket);
    void Act(curl_socket_t socket, int events);
    void ReportFinished();

    CURLM* multi_;
    DoneHandler onDone_;
    QTimer timer_;
    std::map<curl_socket_t, SocketWatch> sockets_;
};

} // namespace pellmark
