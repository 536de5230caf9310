// The main window driven offscreen against the local quote service, with its save folder, the
// folder above it and the current directory in a scratch tree of their own, and the checks
// every hardening case makes on what a run left on disk.
#pragma once

#include "FakeMessageBoxes.h"
#include "quote/IntradayParser.h"
#include "Unit1.h"

#include <QDate>
#include <QMetaType>
#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <chrono>
#include <memory>
#include <string>

Q_DECLARE_METATYPE(pellmark::LineOrder)

// Monday 6 June 2005, a day the local service has quotes for.
inline const QDate kMonday(2005, 6, 6);
inline const QString kMondayLabel = QStringLiteral("6-Jun-05");
inline const QString kDoneMessage = QStringLiteral("Historical Data Download Done!");

#include "ServiceDay.h"

// A whole line of a day file: a price and an hh:mm time in the chosen order and separator.
QRegularExpression QuoteLinePattern(pellmark::LineOrder order, const QString& separator);

class Rig {
public:
    // The hidden browser reaches the service through proxyUrl and gives up on a page after
    // pageTimeLimit; there is no pause before fetches.
    explicit Rig(const QString& proxyUrl,
                 std::chrono::milliseconds pageTimeLimit = pellmark::kPageTimeLimit);
    ~Rig();
    Rig(const Rig&) = delete;
    Rig& operator=(const Rig&) = delete;

    template <typename Widget> Widget* child(const char* name) const {
        auto* widget = form->findChild<Widget*>(name);
        Q_ASSERT(widget);
        return widget;
    }

    // Category box "Forex", "Stocks" or "Indices" and the text of its memo.
    void setSymbols(const char* category, const QString& text);
    // Line order (the P1 selector) and separator (the Sep field).
    void setLayout(pellmark::LineOrder order, const QString& separator);
    void setSaveFolderText(const QString& text);
    void download();
    void retry();
    // Waits for the run to end by itself; false when it is still going after timeoutMs.
    bool waitUntilIdle(int timeoutMs);

    QString status() const;
    QString errors() const;
    void setErrors(const QString& text);

    QString saveFolder() const; // with the trailing separator
    QStringList files() const;  // hidden ones too
    QByteArray file(const QString& name) const;
    // Lines of any file in the save folder that are not quote lines of this layout, each
    // given as "file: line"; a file that does not end with CR LF counts as one such line.
    QStringList junkLines(pellmark::LineOrder order, const QString& separator) const;
    // Anything that appeared outside the save folder: next to it, above it or in the
    // current directory.
    QStringList strays() const;

    // A day of AUDUSD in the default layout into the scratch save folder, in the same window.
    bool normalDownloadWorks();

    FakeMessageBoxes boxes;
    std::unique_ptr<TForm1> form;

private:
    QTemporaryDir scratch_;
    QString previousCurrent_;
};
