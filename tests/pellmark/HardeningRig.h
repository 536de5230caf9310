// The main window driven against the local quote service or the fake fetcher, and the checks
// every hardening case makes on what a run left on disk.
#pragma once

#include "page/IntradayParser.h"
#include "WindowDriver.h"

#include <QDate>
#include <QMetaType>
#include <QRegularExpression>
#include <QString>
#include <QStringList>

#include <chrono>

Q_DECLARE_METATYPE(pellmark::LineOrder)

// Monday 6 June 2005, a day the local service has quotes for.
inline const QDate kMonday(2005, 6, 6);
inline const QString kMondayLabel = QStringLiteral("6-Jun-05");
inline const QString kDoneMessage = QStringLiteral("Historical Data Download Done!");

#include "ServiceDay.h"

// A whole line of a day file: a price and an hh:mm time in the chosen order and separator.
QRegularExpression QuoteLinePattern(pellmark::LineOrder order, const QString& separator);

// The window with the range set to kMonday: on the fake fetcher, or on the local service with
// no pause before fetches.
class Rig : public WindowDriver {
public:
    Rig();
    explicit Rig(const QString& proxyUrl,
                 std::chrono::milliseconds pageTimeLimit = pellmark::kPageTimeLimit);

    // Lines of any file in the save folder that are not quote lines of this layout, each
    // given as "file: line"; a file that does not end with CR LF counts as one such line.
    QStringList junkLines(pellmark::LineOrder order, const QString& separator) const;
    // A day of AUDUSD in the default layout into the scratch save folder, in the same window.
    bool normalDownloadWorks();
};
