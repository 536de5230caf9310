#include "net/PageBodyReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPointer>

#include <algorithm>
#include <utility>

namespace pellmark {

namespace {

constexpr const char* kHelperName = "pellmark-page-body";

// The places the helper may be, in the order they are tried.
QStringList HelperPlaces() {
    const QString fromEnvironment = qEnvironmentVariable("PELLMARK_PAGE_BODY");
    if (!fromEnvironment.isEmpty())
        return {fromEnvironment};
    // Never from PATH or from a folder named at build time: only where the programs are.
    if (!QCoreApplication::instance())
        return {};
    const QString programs = QCoreApplication::applicationDirPath() + "/";
    return {programs + kHelperName,
            QDir::cleanPath(programs + PELLMARK_PAGE_BODY_FROM_BINDIR "/" + kHelperName)};
}

bool CanRun(const QString& path) {
    const QFileInfo helper(path);
    return helper.isFile() && helper.isExecutable();
}

} // namespace

QString PageBodyReader::HelperPath() {
    const QStringList places = HelperPlaces();
    for (const QString& place : places)
        if (CanRun(place))
            return place;
    // Not found: the failure names the place it was looked for first.
    return places.value(0);
}

Done PageBodyReader::FindHelper() {
    const QStringList places = HelperPlaces();
    if (std::any_of(places.begin(), places.end(), CanRun))
        return {};
    return Failure{"Cannot read the quote service's pages: " + std::string(kHelperName) +
                   (places.size() > 1 ? ", which reads them, is neither at "
                                      : ", which reads them, is not at ") +
                   places.join(QStringLiteral(" nor at ")).toStdString()};
}

PageBodyReader::PageBodyReader(std::chrono::milliseconds timeLimit, QObject* parent)
    : PageBodyReader(timeLimit, HelperPath(), parent) {}

PageBodyReader::PageBodyReader(std::chrono::milliseconds timeLimit, QString helper, QObject* parent)
    : QObject(parent), helperPath_(std::move(helper)) {
    limit_.setSingleShot(true);
    limit_.setInterval(timeLimit);
    connect(&limit_, &QTimer::timeout, this, [this] { Finish(Outcome::TooComplex); });
}

PageBodyReader::~PageBodyReader() {
    Stop();
    // Killed helpers not reaped yet: close() takes the moment their end needs now, where
    // QProcess's destructor would take it with a warning.
    for (QProcess* helper : findChildren<QProcess*>())
        helper->close();
}

void PageBodyReader::Start(const std::string& response, const std::string& contentType) {
    Stop();
    helper_ = new QProcess(this);
    helper_->setStandardErrorFile(QProcess::nullDevice());
    connect(helper_, &QProcess::readyReadStandardOutput, this, &PageBodyReader::TakeOutput);
    connect(helper_, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        if (!TakeOutput())
            return;
        if (status == QProcess::NormalExit && exitCode == 0)
            Finish(Outcome::Read);
        else
            // The helper found the page too complex, or its HTML parser failed on it.
            Finish(Outcome::TooComplex);
    });
    connect(helper_, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        // This may come from inside start(), and so from inside Start().
        const QString detail = helper_->program() + ": " + helper_->errorString();
        QTimer::singleShot(0, this, [this, failed = QPointer<QProcess>(helper_), detail] {
            if (failed && failed == helper_)
                Finish(Outcome::Failed, detail);
        });
    });
    helper_->start(helperPath_, {QString::fromStdString(contentType)});
    if (helper_->state() != QProcess::NotRunning) {
        helper_->write(response.data(), static_cast<qint64>(response.size()));
        helper_->closeWriteChannel();
    }
    limit_.start();
}

void PageBodyReader::Stop() {
    limit_.stop();
    body_.clear();
    if (!helper_)
        return;
    QProcess* helper = std::exchange(helper_, nullptr);
    helper->disconnect(this);
    if (helper->state() == QProcess::NotRunning) {
        helper->deleteLater();
        return;
    }
    // Reaped when it is gone, a moment after the kill, without waiting here.
    connect(helper, &QProcess::finished, helper, &QObject::deleteLater);
    helper->kill();
}

bool PageBodyReader::TakeOutput() {
    const QByteArray bytes = helper_->readAllStandardOutput();
    if (static_cast<std::size_t>(bytes.size()) > kLargestBody - body_.size()) {
        Finish(Outcome::TooComplex);
        return false;
    }
    body_.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    return true;
}

void PageBodyReader::Finish(Outcome outcome, const QString& detail) {
    std::string body = outcome == Outcome::Read ? std::move(body_) : std::string();
    Stop();
    body_ = std::move(body);
    emit done(outcome, detail);
}

} // namespace pellmark
