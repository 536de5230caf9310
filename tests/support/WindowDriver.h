// The main window driven offscreen as a user drives it: controls by name, the two buttons,
// typed keys, the errors list, and what a run left in a save folder of its own. Days come
// from the fake fetcher, or through the hidden browser from a quote service behind a proxy.
// Unless given one, the save folder, the folder above it and the current directory lie in a
// scratch tree, so that anything written outside the save folder shows.
#pragma once

#include "FakeDayFetcher.h"
#include "FakeMessageBoxes.h"
#include "gui/MainWindow.h"
#include "net/FormRelay.h"
#include "net/HiddenBrowser.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <memory>
#include <optional>

struct ServiceRoute {
    QString proxyUrl;
    std::chrono::milliseconds pause{0}; // before each fetch
    std::chrono::milliseconds pageTimeLimit = pellmark::kPageTimeLimit;
};

class WindowDriver {
public:
    // On the fake fetcher, which answers every day with the quotes the local service has for
    // that currency pair, and a label that names no day with no data.
    WindowDriver();
    explicit WindowDriver(const ServiceRoute& route);
    // Saves into saveFolder, left as it is when the driver goes.
    WindowDriver(const ServiceRoute& route, const QString& saveFolder);
    ~WindowDriver();
    WindowDriver(const WindowDriver&) = delete;
    WindowDriver& operator=(const WindowDriver&) = delete;

    template <typename Widget> Widget* child(const char* name) const {
        auto* widget = form->findChild<Widget*>(name);
        Q_ASSERT(widget);
        return widget;
    }

    // Checks category box "Forex", "Stocks" or "Indices" alone and fills its memo.
    void setSymbols(const char* category, const QString& text);
    void setRange(QDate start, QDate end);
    // Line order (the firstField selector) and separator (the separator field).
    void setLayout(pellmark::LineOrder order, const QString& separator);
    void setSaveFolderText(const QString& text);
    void download();
    void retry();
    // Waits for the run to end by itself; false when it is still going after timeoutMs.
    bool waitUntilIdle(int timeoutMs);

    QString status() const;
    QString errors() const;
    void setErrors(const QString& text);
    // Types a line at the end of the errors list with the keys a user would press.
    void typeError(const QString& item);

    QString saveFolder() const; // with the trailing separator
    QStringList files() const;  // hidden ones too
    QByteArray file(const QString& name) const;
    // Anything that appeared next to the save folder, above it or in the current directory.
    QStringList strays() const;

    FakeMessageBoxes boxes;
    FakeDayFetcher fake;
    std::unique_ptr<MainWindow> form;

private:
    void Open(pellmark::DayFetcher& fetcher);

    std::optional<QTemporaryDir> scratch_;
    QString saveFolder_;
    QString previousCurrent_;
    std::unique_ptr<pellmark::HiddenBrowser> browser_;
    pellmark::FormRelay formRelay_;
    std::unique_ptr<pellmark::QuoteFetch> fetch_;
};
