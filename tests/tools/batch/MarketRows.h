// The market cases of a folder kept by pellmark-batch: a folder of several forms, updated and
// healed to 10 Jun 2005 from its files of 3 Jun (27 May for the listing) on a service that
// plays a market; then pellmark-check, and the next night, which asks only for the new day of
// each symbol kept (and, once, for a day listed as failed). The same rows run in-process on
// the fake market and, those that need the real program, against the local service.
#pragma once

#include "BatchFolder.h"

// Adds the rows named in only, or every row when only is empty.
inline void AddMarketRows(const QStringList& only = {}) {
    const auto row = [&](const char* name) {
        return ChosenRow{only.isEmpty() || only.contains(name) ? &QTest::newRow(name) : nullptr};
    };

    QTest::addColumn<QStringList>("service");
    QTest::addColumn<QStringList>("files"); // "STK d-mmm-yy"
    QTest::addColumn<QByteArray>("record"); // pellmark-market before the run
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<int>("requests");
    QTest::addColumn<QStringList>("told"); // each once
    QTest::addColumn<QByteArray>("listed");
    QTest::addColumn<QStringList>("recordAfter"); // its lines but comments
    QTest::addColumn<int>("checkStatus");
    QTest::addColumn<int>("nextNight"); // requests
    const QStringList pairAndStock = {"frxAUDUSD 3-Jun-05", "USAMSFT 3-Jun-05"};
    row("stock among pairs, saved by the window")
        << QStringList{} << pairAndStock << QByteArray() << QStringList{} << 0 << 12
        << QStringList{"0 failed, 0 not done"} << QByteArray()
        << QStringList{"pair AUDUSD", "stock USAMSFT"} << 0 << 2;
    row("half day of a stock, record with a line it cannot read")
        << QStringList{"--half-days", "8-Jun-05"} << pairAndStock
        << QByteArray("# mine\r\nstock USAMSFT\r\nstok USAMSFT\r\n") << QStringList{} << 0 << 11
        << QStringList{"pellmark-batch: pellmark-market:3: cannot read \"stok USAMSFT\": "
                       "kept as it is",
                       "USAMSFT 8-Jun-05 short at the service: 43 quotes the same after a "
                       "new fetch, recorded"}
        << QByteArray()
        << QStringList{"stock USAMSFT", "stok USAMSFT", "pair AUDUSD", "part USAMSFT-8-Jun-05 43"}
        << 0 << 2;
    row("holiday of the pairs") << QStringList{"--pair-holidays", "8-jun-05"}
                                << QStringList{"frxAUDUSD 3-Jun-05", "frxEURUSD 3-Jun-05",
                                               "USAMSFT 3-Jun-05"}
                                << QByteArray("stock USAMSFT\r\n") << QStringList{} << 0 << 21
                                << QStringList{"AUDUSD 8-Jun-05 no data from the service",
                                               "EURUSD 8-Jun-05 no data from the service",
                                               "EURUSD 8-Jun-05 no data after 1 fetch"}
                                << QByteArray()
                                << QStringList{"stock USAMSFT", "pair AUDUSD", "pair EURUSD",
                                               "none AUDUSD-8-Jun-05", "none EURUSD-8-Jun-05"}
                                << 0 << 3;
    row("a pair without data on a day the other has")
        << QStringList{"--only", "EURUSD-8-Jun-05", "--no-data-first", "7"}
        << QStringList{"frxAUDUSD 3-Jun-05", "frxEURUSD 3-Jun-05"} << QByteArray() << QStringList{}
        << 1 << 13 << QStringList{"EURUSD 8-Jun-05: no data, though 1 other symbol has that day"}
        << QByteArray("EURUSD-8-Jun-05\r\n") << QStringList{"pair AUDUSD", "pair EURUSD"} << 1 << 6;
    row("misspelt symbol")
        << QStringList{} << QStringList{"frxAUDUSD 3-Jun-05"} << QByteArray()
        << QStringList{"--symbols", "AUDUSX", "--from", "2005-06-06"} << 1 << 9
        << QStringList{"AUDUSX: no data in either form on its first 3 week-days asked: "
                       "probably misspelt, not asked further",
                       "5 saved, 0 skipped, 3 failed, 2 not done"}
        << QByteArray("AUDUSX-10-Jun-05\r\nAUDUSX-9-Jun-05\r\nAUDUSX-8-Jun-05\r\n"
                      "AUDUSX-7-Jun-05\r\nAUDUSX-6-Jun-05\r\n")
        << QStringList{"pair AUDUSD"} << 0 << 1;
    row("misspelt symbol asked alone")
        << QStringList{} << QStringList{"frxAUDUSD 10-Jun-05"} << QByteArray()
        << QStringList{"--symbols", "AUDUSX", "--from", "2005-05-30"} << 1 << 11
        << QStringList{"AUDUSX: no data in either form on its first 5 week-days asked: "
                       "probably misspelt, not asked further",
                       "0 saved, 0 skipped, 5 failed, 5 not done"}
        << QByteArray("AUDUSX-10-Jun-05\r\nAUDUSX-9-Jun-05\r\nAUDUSX-8-Jun-05\r\n"
                      "AUDUSX-7-Jun-05\r\nAUDUSX-6-Jun-05\r\nAUDUSX-3-Jun-05\r\n"
                      "AUDUSX-2-Jun-05\r\nAUDUSX-1-Jun-05\r\nAUDUSX-31-May-05\r\n"
                      "AUDUSX-30-May-05\r\n")
        << QStringList{} << 0 << 1;
    row("pair listed in the range")
        << QStringList{"--listed", "frxGBPAUD=8-Jun-05"} << QStringList{"frxAUDUSD 27-May-05"}
        << QByteArray() << QStringList{"--symbols", "GBPAUD", "--from", "2005-05-30"} << 0 << 19
        << QStringList{"GBPAUD: no data before 8-Jun-05 on 5 week-days other symbols have: "
                       "taken for its first day at the service, older days not asked",
                       "13 saved, 0 skipped, 0 failed, 0 not done"}
        << QByteArray() << QStringList{"pair AUDUSD", "pair GBPAUD", "first GBPAUD-8-Jun-05"} << 0
        << 2;
}
