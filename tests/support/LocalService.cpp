#include "LocalService.h"

#include <QDeadlineTimer>
#include <QFile>

#include <utility>

namespace {

constexpr int kStartTimeoutMs = 10000;
constexpr int kStopTimeoutMs = 5000;

} // namespace

LocalService::LocalService(QStringList extraArguments)
    : extraArguments_(std::move(extraArguments)) {
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

LocalService::~LocalService() {
    if (!stop() && process_.state() != QProcess::NotRunning) {
        process_.kill();
        process_.waitForFinished(kStopTimeoutMs);
    }
}

bool LocalService::stop() {
    if (process_.state() == QProcess::NotRunning)
        return false;
    process_.terminate();
    return process_.waitForFinished(kStopTimeoutMs) &&
           process_.exitStatus() == QProcess::NormalExit && process_.exitCode() == 0;
}

QString LocalService::binaryPath() {
    const QString fromEnvironment = qEnvironmentVariable("PELLMARK_QUOTE_SERVICE");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
#ifdef PELLMARK_QUOTE_SERVICE_PATH
    return QStringLiteral(PELLMARK_QUOTE_SERVICE_PATH);
#else
    return {};
#endif
}

bool LocalService::start() {
#ifdef PELLMARK_PAGE_BODY_PATH
    if (qEnvironmentVariableIsEmpty("PELLMARK_PAGE_BODY"))
        qputenv("PELLMARK_PAGE_BODY", PELLMARK_PAGE_BODY_PATH);
#endif
    const QString program = binaryPath();
    if (program.isEmpty()) {
        error_ = QStringLiteral("PELLMARK_QUOTE_SERVICE is not set");
        return false;
    }
    if (!logDir_.isValid()) {
        error_ = QStringLiteral("cannot create a folder for the request log");
        return false;
    }
    process_.start(program, QStringList{"--port", "0", "--log", logPath()} + extraArguments_);
    if (!process_.waitForStarted(kStartTimeoutMs)) {
        error_ = program + ": " + process_.errorString();
        return false;
    }
    const QDeadlineTimer deadline(kStartTimeoutMs);
    while (!process_.canReadLine() && process_.state() == QProcess::Running &&
           !deadline.hasExpired())
        process_.waitForReadyRead(static_cast<int>(deadline.remainingTime()));
    bool ok = false;
    port_ = process_.readLine().trimmed().toUShort(&ok);
    if (!ok || port_ == 0) {
        error_ = program + " did not print its port";
        return false;
    }
    return true;
}

QString LocalService::proxyUrl() const {
    return QStringLiteral("http://127.0.0.1:%1").arg(port_);
}

QString LocalService::pageUrl() const {
    return proxyUrl() + QStringLiteral("//e/c_viewhourly/o_cgi_.htm");
}

QString LocalService::logPath() const {
    return logDir_.filePath(QStringLiteral("requests.log"));
}

namespace {

QStringList LogLines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    return QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
}

} // namespace

QStringList LocalService::requestLog() const {
    QStringList lines = LogLines(logPath());
    for (QString& line : lines)
        line = line.section(u'\t', 1);
    return lines;
}

QList<double> LocalService::requestTimes() const {
    QList<double> times;
    for (const QString& line : LogLines(logPath()))
        times << line.section(u'\t', 0, 0).toDouble();
    return times;
}
