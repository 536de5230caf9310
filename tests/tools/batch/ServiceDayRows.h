// Updates that follow the service's day: each night is "local clock|service's GMT now"; a day
// file is NAME or NAME:empty or NAME:binary, dated 8 Dec 2026 01:00 GMT; the files after the
// last night as NAME:LINES, the folder's market record (six comment lines, then what the
// nights learnt) among them. The rows that prove the program reads the machine's clock and
// its time zone run the real program under faketime; the others run in-process with the
// service's now as the clock.
#pragma once

#include "BatchFolder.h"
#include "ServiceDay.h"

// The days seeded in the folder days, dated 8 Dec 2026 01:00 GMT.
inline void SeedDays(const BatchFolder& batch, const QStringList& seeded) {
    QVERIFY(QDir(batch.folder.path()).mkpath("days"));
    for (const QString& file : seeded) {
        const QString name = file.section(':', 0, 0), kind = file.section(':', 1);
        QFile day(batch.path("days/" + name + ".txt"));
        QVERIFY(day.open(QIODevice::ReadWrite));
        day.write(kind == "empty"    ? QByteArray()
                  : kind == "binary" ? QByteArray(400, '\x01')
                                     : ExpectedDayBytes((name.startsWith("USA") ? "" : "frx") +
                                                            name.section('-', 0, 0).toStdString(),
                                                        name.section('-', 1)));
        QVERIFY(day.setFileTime(QDateTime(QDate(2026, 12, 8), QTime(1, 0), Qt::UTC),
                                QFileDevice::FileModificationTime));
    }
}

// Each file of the folder days, "NAME:LINES".
inline QStringList FilesAndLines(const BatchFolder& batch) {
    QStringList found;
    for (const QString& name : QDir(batch.path("days")).entryList(QDir::Files))
        found << name + ":" + QString::number(ReadFile(batch.path("days/" + name)).count('\n'));
    return found;
}

inline void AddServiceDayRows(bool realClock) {
    const QStringList clockRows = {"Tokyo 23:30 two nights", "Tokyo 23:30 two nights, --heal",
                                   "Berlin 23:30 two nights, --heal",
                                   "Pago Pago evening asks the GMT day", "clock before 1970"};
    const auto row = [&](const char* name) {
        return ChosenRow{clockRows.contains(name) == realClock ? &QTest::newRow(name) : nullptr};
    };

    QTest::addColumn<QString>("zone");
    QTest::addColumn<QStringList>("nights");
    QTest::addColumn<QStringList>("seeded");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("said");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<int>("requests");
    const QStringList tokyo = {"2026-12-08 23:30:00|2026-12-08T14:30",
                               "2026-12-09 23:30:00|2026-12-09T14:30"};
    const QStringList evening = {"2026-12-08 20:00:00|2026-12-08T20:00"};
    const QStringList whole7 = {"AUDUSD-7-Dec-26"};
    const QStringList tokyoFiles = {"AUDUSD-7-Dec-26.txt:288", "AUDUSD-8-Dec-26.txt:288",
                                    "AUDUSD-9-Dec-26.txt:175", "pellmark-market:7"};
    row("Tokyo 23:30 two nights") << "Asia/Tokyo" << tokyo << whole7 << QStringList{} << 0
                                  << "AUDUSD 8-Dec-26 saved 288 quotes" << tokyoFiles << 3;
    row("Tokyo 23:30 two nights, --heal")
        << "Asia/Tokyo" << tokyo << whole7 << QStringList{"--heal"} << 0
        << "AUDUSD 8-Dec-26 saved 288 quotes" << tokyoFiles << 3;
    row("Berlin 23:30 two nights, --heal")
        << "Europe/Berlin"
        << QStringList{"2026-12-07 23:30:00|2026-12-07T22:30",
                       "2026-12-08 23:30:00|2026-12-08T22:30"}
        << QStringList{"AUDUSD-4-Dec-26"} << QStringList{"--heal"} << 0
        << "AUDUSD 7-Dec-26 saved 288 quotes"
        << QStringList{"AUDUSD-4-Dec-26.txt:288", "AUDUSD-7-Dec-26.txt:288",
                       "AUDUSD-8-Dec-26.txt:271", "pellmark-market:7"}
        << 3;
    row("Pago Pago evening asks the GMT day")
        << "Pacific/Pago_Pago" << QStringList{"2026-12-08 19:00:00|2026-12-09T06:00"} << whole7
        << QStringList{} << 0 << "AUDUSD 9-Dec-26 saved 73 quotes"
        << QStringList{"AUDUSD-7-Dec-26.txt:288", "AUDUSD-8-Dec-26.txt:288",
                       "AUDUSD-9-Dec-26.txt:73", "pellmark-market:7"}
        << 2;
    row("clock before 1970")
        << "UTC" << QStringList{"1969-12-31 23:00:00|2026-12-08T20:00"} << whole7 << QStringList{}
        << 2
        << "pellmark-batch: today (1969-12-31) is outside 1970-01-01..2069-12-31: check the "
           "clock"
        << QStringList{"AUDUSD-7-Dec-26.txt:288"} << 0;
    row("file dated after today")
        << "UTC" << evening << QStringList{"AUDUSD-3-Dec-26", "AUDUSD-31-Dec-69"} << QStringList{}
        << 0 << "AUDUSD-31-Dec-69.txt is dated after today (2026-12-08): left out"
        << QStringList{"AUDUSD-3-Dec-26.txt:288", "AUDUSD-31-Dec-69.txt:0",
                       "AUDUSD-4-Dec-26.txt:288", "AUDUSD-7-Dec-26.txt:288",
                       "AUDUSD-8-Dec-26.txt:241", "pellmark-market:7"}
        << 3;
    row("one symbol's newest file binary")
        << "UTC" << evening << QStringList{"AUDUSD-7-Dec-26", "EURUSD-7-Dec-26:binary"}
        << QStringList{} << 1
        << "EURUSD-7-Dec-26.txt: these lines are not a time and a price in the layout "
           "PRICE - HH:MM: EURUSD not updated"
        << QStringList{"AUDUSD-7-Dec-26.txt:288", "AUDUSD-8-Dec-26.txt:241",
                       "EURUSD-7-Dec-26.txt:0", "pellmark-market:7"}
        << 1;
    row("empty newest file fetched again")
        << "UTC" << evening << QStringList{"AUDUSD-4-Dec-26", "AUDUSD-7-Dec-26:empty"}
        << QStringList{} << 0 << "AUDUSD 7-Dec-26 saved 288 quotes"
        << QStringList{"AUDUSD-4-Dec-26.txt:288", "AUDUSD-7-Dec-26.txt:288",
                       "AUDUSD-8-Dec-26.txt:241", "pellmark-market:7"}
        << 2;
    row("--only one symbol") << "UTC" << evening
                             << QStringList{"AUDUSD-7-Dec-26", "EURUSD-7-Dec-26"}
                             << QStringList{"--only", "EURUSD"} << 0 << "1 saved, 0 skipped"
                             << QStringList{"AUDUSD-7-Dec-26.txt:288", "EURUSD-7-Dec-26.txt:288",
                                            "EURUSD-8-Dec-26.txt:241", "pellmark-market:7"}
                             << 1;
    row("heal stops at a long gap")
        << "UTC" << evening << QStringList{"AUDUSD-1-Jan-70", "AUDUSD-4-Dec-26"}
        << QStringList{"--heal"} << 0
        << "AUDUSD: 1-Jan-70 lies 14,850 week-days before the next file: not healed; give "
           "--heal-from 1970-01-01 to fill it"
        << QStringList{"AUDUSD-1-Jan-70.txt:0", "AUDUSD-4-Dec-26.txt:288",
                       "AUDUSD-7-Dec-26.txt:288", "AUDUSD-8-Dec-26.txt:241", "pellmark-market:7"}
        << 2;
    row("stock market not open yet, --heal")
        << "UTC" << QStringList{"2026-12-08 06:00:00|2026-12-08T06:00"}
        << QStringList{"USAMSFT-7-Dec-26"}
        << QStringList{"--stocks", "--heal", "--errors", "days/failed.txt"} << 0
        << "USAMSFT 8-Dec-26 has no data yet: the day is still running, asked again next run"
        << QStringList{"USAMSFT-7-Dec-26.txt:79"} << 7;
    row("--dry-run")
        << "UTC" << evening << QStringList{"AUDUSD-4-Dec-26"} << QStringList{"--dry-run"} << 0
        << "AUDUSD: 7-Dec-26..8-Dec-26 (2 days)\n2 days to ask: 2 to 14 requests, 4 s to "
           "22 s at one request every 1.51 s\n"
        << QStringList{"AUDUSD-4-Dec-26.txt:288"} << 0;
}
