// pellmark-batch's run in-process on the fake fetcher, as its command line sets it up: a day
// that fails, the errors file and exit status, --retry, --skip-saved and --csv, --update with
// --heal over several days, and a service that stops answering.
#include "BatchInProcess.h"
#include "core/DateList.h"
#include "FakeDayFetcher.h"
#include "ServiceDay.h"

using namespace pellmark;

namespace {

// One fetcher for the whole test, as a service would be; each run is a new BatchRun.
struct Batch : BatchInProcess {
    Batch() : BatchInProcess(nullptr) {
        through = &fetcher;
        fetcher.answer = ServiceDayFetch;
    }

    FakeDayFetcher fetcher;
};

} // namespace

class TestBatchRun : public QObject {
    Q_OBJECT

private slots:
    void failedDayIsListedThenRetried() {
        Batch batch;
        batch.fetcher.script["EURUSD-8-Jun-05"] = FetchResult{{}, 7};
        const QStringList twoPairsOneDay = {
            "--symbols", "AUDUSD,EURUSD", "--from", "2005-06-08",
            "--to",      "2005-06-08",    "--out",  batch.path("days")};
        // A run without --skip-saved replaces an old file of the day.
        QVERIFY(QDir(batch.folder.path()).mkdir("days"));
        WriteFile(batch.path("days/AUDUSD-8-Jun-05.txt"), "old\r\n");
        QCOMPARE(batch.run(twoPairsOneDay + QStringList{"--errors", batch.path("failed.txt")}), 1);
        QCOMPARE(batch.days(), QStringList{"AUDUSD-8-Jun-05.txt"});
        QCOMPARE(ReadFile(batch.path("days/AUDUSD-8-Jun-05.txt")),
                 ExpectedDayBytes("frxAUDUSD", "8-Jun-05"));
        QCOMPARE(ReadFile(batch.path("failed.txt")), QByteArray("EURUSD-8-Jun-05\r\n"));
        QCOMPARE(batch.out, QByteArray());
        QVERIFY2(batch.err.contains("AUDUSD 8-Jun-05 saved 288 quotes\n"), batch.err);
        QVERIFY2(batch.err.contains("EURUSD 8-Jun-05 no data after 7 fetches\n"), batch.err);
        QVERIFY2(batch.err.endsWith("1 saved, 0 skipped, 1 failed, 0 not done\n"), batch.err);

        // A blank line, as an editor may leave, is read past like any other.
        WriteFile(batch.path("failed.txt"), "\r\n" + ReadFile(batch.path("failed.txt")));
        batch.fetcher.script.clear();
        const QStringList resume = {"--retry", batch.path("failed.txt"),
                                    "--out",   batch.path("days"),
                                    "--csv",   batch.path("csv")};
        QCOMPARE(batch.run(resume), 0);
        QCOMPARE(ReadFile(batch.path("failed.txt")), QByteArray());
        QCOMPARE(ReadFile(batch.path("days/EURUSD-8-Jun-05.txt")),
                 ExpectedDayBytes("frxEURUSD", "8-Jun-05"));
        const QList<QByteArray> rows = ReadFile(batch.path("csv/EURUSD.csv")).split('\n');
        QCOMPARE(rows.size(), 290); // header, 288 quotes, and the empty text after the last break
        QCOMPARE(rows[0], QByteArray("date,time,price\r"));
        QVERIFY2(rows[1].startsWith("2005-06-08,00:00,"), rows[1]);
        QCOMPARE(batch.fetcher.requests,
                 (QStringList{"AUDUSD-8-Jun-05", "EURUSD-8-Jun-05", "EURUSD-8-Jun-05"}));

        // Everything is saved now: only an emptied day file is asked for again.
        WriteFile(batch.path("days/AUDUSD-8-Jun-05.txt"), "");
        QCOMPARE(batch.run(twoPairsOneDay + QStringList{"--skip-saved"}), 0);
        QCOMPARE(batch.fetcher.requests.mid(3), QStringList{"AUDUSD-8-Jun-05"});
        QVERIFY2(batch.err.contains("EURUSD 8-Jun-05 skipped"), batch.err);
        QCOMPARE(ReadFile(batch.path("days/AUDUSD-8-Jun-05.txt")),
                 ExpectedDayBytes("frxAUDUSD", "8-Jun-05"));

        // Daily bars of the saved days, with nothing fetched.
        QCOMPARE(batch.run(twoPairsOneDay + QStringList{"--skip-saved", "--csv", batch.path("bars"),
                                                        "--bars", "1d"}),
                 0);
        QCOMPARE(batch.fetcher.requests.size(), 4);
        QVERIFY2(batch.err.contains("/bars/EURUSD-1d.csv: 1 row, 2005-06-08\n"), batch.err);
        const QList<QByteArray> bars = ReadFile(batch.path("bars/EURUSD-1d.csv")).split('\n');
        QCOMPARE(bars.size(), 3);
        QCOMPARE(bars[0], QByteArray("date,time,open,high,low,close,ticks\r"));
        QVERIFY2(bars[1].startsWith("2005-06-08,00:00,") && bars[1].endsWith(",288\r"), bars[1]);

        // Skipped days cost nothing: the live line shows no pace for them.
        batch.terminal = true;
        QCOMPARE(batch.run(twoPairsOneDay + QStringList{"--skip-saved"}), 0);
        QVERIFY2(batch.err.contains("1/2") && !batch.err.contains("days/min"), batch.err);
        // More than a day per symbol: the plan comes first.
        QCOMPARE(batch.run({"--symbols", "AUDUSD", "--from", "2005-06-06", "--to", "2005-06-08",
                            "--out", batch.path("plan")}),
                 0);
        QVERIFY2(batch.err.startsWith(
                     "3 days to ask: 3 to 21 requests, 5 s to 32 s at one request every 1.51 s\n"),
                 batch.err);
        batch.terminal = false;

        // The export reads the files in the layout they were saved in.
        for (const char* day : {"AUDUSD-8-Jun-05", "EURUSD-8-Jun-05"})
            batch.fetcher.script[day] = FetchResult{{true, {"00:05;1.2345", "00:10;1.2350"}}, 1};
        QCOMPARE(batch.run(twoPairsOneDay.mid(0, 6) + QStringList{"--out", batch.path("semi"),
                                                                  "--time-first", "--sep", ";",
                                                                  "--csv", batch.path("semicsv")}),
                 0);
        QCOMPARE(ReadFile(batch.path("semicsv/EURUSD.csv")),
                 QByteArray("date,time,price\r\n2005-06-08,00:05,1.2345\r\n"
                            "2005-06-08,00:10,1.2350\r\n"));

        // Without symbols, each category brings its own list.
        for (const auto& [category, first, last, count] :
             {std::tuple{"--forex", "AUDUSD", "EURCHF", 13},
              {"--stocks", "USASUNW", "UK_SMIN", 30},
              {"--indices", "DJI", "R_25", 11}}) {
            const qsizetype before = batch.fetcher.requests.size();
            QCOMPARE(batch.run({category, "--from", "2005-06-08", "--to", "2005-06-08", "--out",
                                batch.path("lists")}),
                     0);
            const QStringList asked = batch.fetcher.requests.mid(before);
            QCOMPARE(asked.size(), count);
            QCOMPARE(asked.first(), QString(first) + "-8-Jun-05");
            QCOMPARE(asked.last(), QString(last) + "-8-Jun-05");
        }

        // The first day a label can name and today are both taken.
        for (const char* day : {"1970-01-01", "2026-12-07"})
            QCOMPARE(batch.run({"--symbols", "AUDUSD", "--from", day, "--to", day, "--out",
                                batch.path("edges")}),
                     0);
        QCOMPARE(QDir(batch.path("edges")).entryList({"*.txt"}, QDir::Files),
                 (QStringList{"AUDUSD-1-Jan-70.txt", "AUDUSD-7-Dec-26.txt"}));
    }

    void updateBringsAFolderToTodayAndHealsIt() {
        Batch batch;
        QVERIFY(QDir(batch.folder.path()).mkdir("days"));
        // 28 Sep to 26 Oct, 30 week-days behind 7 Dec, with five holes.
        const QStringList holes = {"30-Sep-26", "6-Oct-26", "13-Oct-26", "14-Oct-26", "21-Oct-26"};
        for (QDate day(2026, 9, 28); day <= QDate(2026, 10, 26); day = day.addDays(1)) {
            const QString label = QString::fromStdString(DateLabel(day));
            if (day.dayOfWeek() < 6 && !holes.contains(label))
                WriteFile(batch.path("days/AUDUSD-" + label + ".txt"),
                          ExpectedDayBytes("frxAUDUSD", label));
        }
        const FetchResult holiday{{}, 7};
        batch.fetcher.script["AUDUSD-26-Nov-26"] = holiday;
        batch.fetcher.script["AUDUSD-4-Dec-26"] = holiday;
        // A server error first, no data after: not a holiday, so it stays listed.
        int askedForFirstDecember = 0;
        batch.fetcher.answer = [&](const QString& day) {
            if (day != "AUDUSD-1-Dec-26")
                return ServiceDayFetch(day);
            const bool first = askedForFirstDecember++ == 0;
            return FetchResult{{}, 7, first ? FetchFailure::HttpStatus : FetchFailure::None, 500};
        };
        const QStringList nightly = {"--update", batch.path("days"), "--heal", "--errors",
                                     batch.path("failed.txt")};
        QCOMPARE(batch.run(nightly), 1);
        // A day that gave no data is not asked again in the heal rounds of the same run.
        QCOMPARE(batch.fetcher.requests.size(), 30 + 6);
        QCOMPARE(batch.fetcher.requests.first(), "AUDUSD-7-Dec-26");
        QCOMPARE(batch.fetcher.requests.at(29), "AUDUSD-27-Oct-26");
        QCOMPARE(batch.fetcher.requests.mid(30),
                 (QStringList{"AUDUSD-30-Sep-26", "AUDUSD-6-Oct-26", "AUDUSD-13-Oct-26",
                              "AUDUSD-14-Oct-26", "AUDUSD-21-Oct-26", "AUDUSD-1-Dec-26"}));
        QCOMPARE(batch.days().size(), 21 + 27);
        QCOMPARE(ReadFile(batch.path("days/AUDUSD-6-Oct-26.txt")),
                 ExpectedDayBytes("frxAUDUSD", "6-Oct-26"));
        QVERIFY2(batch.err.contains("heal round 1: 6 days to fetch again\n") &&
                     !batch.err.contains("heal round 2"),
                 batch.err);
        QCOMPARE(batch.err.count("no data from the service"), 2);
        QVERIFY2(batch.err.endsWith("AUDUSD 26-Nov-26 no data from the service\n"
                                    "AUDUSD 4-Dec-26 no data from the service\n"
                                    "AUDUSD 1-Dec-26 still missing\n"
                                    "32 saved, 0 skipped, 1 failed, 0 not done\n"),
                 batch.err);
        QCOMPARE(ReadFile(batch.path("failed.txt")), QByteArray("AUDUSD-1-Dec-26\r\n"));
        QCOMPARE(ReadFile(batch.path("days/pellmark-market")).split('\n').mid(6),
                 (QList<QByteArray>{"pair AUDUSD\r", "none AUDUSD-26-Nov-26\r",
                                    "none AUDUSD-4-Dec-26\r", ""}));

        // The next night asks for the new day, and again for the day the first night saved
        // while it ran, nothing else: the holidays are remembered, and the day that failed has
        // been fetched meanwhile (by a --retry of the errors file, say).
        WriteFile(batch.path("days/AUDUSD-1-Dec-26.txt"),
                  ExpectedDayBytes("frxAUDUSD", "1-Dec-26"));
        batch.now = batch.now.addDays(1);
        batch.fetcher.script["AUDUSD-8-Dec-26"] = ServiceDayFetch("AUDUSD-7-Dec-26");
        QCOMPARE(batch.run(nightly), 0);
        QCOMPARE(batch.fetcher.requests.mid(36),
                 (QStringList{"AUDUSD-8-Dec-26", "AUDUSD-7-Dec-26"}));
        QVERIFY2(!batch.err.contains("no data from the service"), batch.err);
    }

    // --csv and --sqlite take the export's options and name today, the running day, leaving
    // it out of bars as pellmark-export does.
    void exportNamesTheRunningDay() {
        Batch batch;
        const QStringList days = {"--symbols", "AUDUSD", "--from", "2026-12-04",
                                  "--to",      "2026-12-07", "--out", batch.path("days")};
        QCOMPARE(batch.run(days + QStringList{"--csv", batch.path("mt"), "--layout", "metatrader",
                                              "--bars", "1d", "--sqlite", batch.path("p.db")}),
                 0);
        QVERIFY2(batch.err.contains("/mt/AUDUSD-1d.csv: 1 row, 2026-12-04; the last day, "
                                    "7-Dec-26, is still running: its bars are left out "
                                    "(--with-running-day writes them)\n"),
                 batch.err);
        QCOMPARE(ReadFile(batch.path("mt/AUDUSD-1d.csv")).left(17), QByteArray("2026.12.04,00:00,"));
        QCOMPARE(ReadFile(batch.path("mt/AUDUSD-1d.csv")).count('\n'), 1);
        QVERIFY2(batch.err.contains("/p.db: AUDUSD: 2 days written, 576 quotes and 1 bar; 2 days "
                                    "held, 2026-12-04 to 2026-12-07; the last day, 7-Dec-26, is "
                                    "still running: its bars are left out (--with-running-day "
                                    "writes them)\n"),
                 batch.err);
    }

    // Two days in a row without any answer end the run; an answer of any kind breaks the
    // series.
    void deadServiceEndsTheRun_data() {
        QTest::addColumn<QList<FetchFailure>>("days"); // newest first; later days as the last
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("notDone");
        using enum FetchFailure;
        QTest::newRow("name not resolved") << QList{Unreachable} << 4 << 3;
        QTest::newRow("refused") << QList{Refused} << 4 << 3;
        QTest::newRow("timed out") << QList{Timeout} << 4 << 3;
        QTest::newRow("closed without a byte") << QList{NoReply} << 4 << 3;
        QTest::newRow("mixed, no answer") << QList{NoReply, Timeout, Unreachable} << 4 << 3;
        QTest::newRow("HTTP 500") << QList{HttpStatus} << 1 << 0;
        QTest::newRow("bad page") << QList{BadPage} << 1 << 0;
        QTest::newRow("reset") << QList{Transport} << 1 << 0;
        QTest::newRow("an answer between")
            << QList{Refused, HttpStatus, Timeout, HttpStatus, NoReply} << 1 << 0;
    }
    void deadServiceEndsTheRun() {
        QFETCH(QList<FetchFailure>, days);
        QFETCH(int, status);
        QFETCH(int, notDone);
        Batch batch;
        batch.fetcher.answer = [&](const QString&) {
            const FetchFailure failure = days.size() > 1 ? days.takeFirst() : days.first();
            return FetchResult{{}, 3, failure, 0, "Could not resolve host: www.vorn.example"};
        };
        QCOMPARE(batch.run({"--symbols", "AUDUSD", "--from", "2005-06-06", "--to", "2005-06-10"}),
                 status);
        QCOMPARE(batch.out.count('\n'), 5);
        QVERIFY2(batch.err.contains(", " + QByteArray::number(notDone) + " not done\n"), batch.err);
        QCOMPARE(batch.err.count("cannot be reached"), status == 4 ? 1 : 0);
    }
};

QTEST_GUILESS_MAIN(TestBatchRun)
#include "tst_batchrun.moc"
