// Runs the local quote service (pellmark-quote-service) for a test: starts it on a free port
// with the given fault options, tells where it listens, and stops it when destroyed.
//
//     LocalService service({"--no-data-first", "2"});
//     QVERIFY(service.start());
//     ... point the program at service.proxyUrl() as its HTTP proxy, or at url() ...
//     QCOMPARE(service.requestLog().size(), 3);
//
// The binary is taken from the environment variable PELLMARK_QUOTE_SERVICE, which
// pellmark_use_local_service() in LocalService.cmake sets for the test, falling back to the
// path compiled in by the same function. A test binary run by hand gets PELLMARK_PAGE_BODY,
// which the fetching programs need in the build tree, the same way.
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class LocalService {
public:
    explicit LocalService(QStringList extraArguments = {});
    ~LocalService();
    LocalService(const LocalService&) = delete;
    LocalService& operator=(const LocalService&) = delete;

    // Starts the service and waits for its port; false (with errorString()) when it did not come
    // up within a few seconds.
    bool start();
    QString errorString() const { return error_; }

    quint16 port() const { return port_; }
    // "http://127.0.0.1:PORT", for use as an HTTP proxy.
    QString proxyUrl() const;
    // The hourly-view page reached directly: "http://127.0.0.1:PORT//e/c_viewhourly/o_cgi_.htm".
    QString pageUrl() const;

    // The service logs every request here: arrival time, method, request-target, Host,
    // Content-Type, Cookie and body, tab separated, one line each.
    QString logPath() const;
    // The log's lines without their arrival times.
    QStringList requestLog() const;
    // Each request's arrival time, in seconds since the epoch.
    QList<double> requestTimes() const;

    // Sends SIGTERM and waits; true when the service then exited with status 0 in time.
    bool stop();

    static QString binaryPath();

private:
    QStringList extraArguments_;
    QTemporaryDir logDir_;
    QProcess process_;
    quint16 port_ = 0;
    QString error_;
};
