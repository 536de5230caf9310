// The frame every command-line program shares, seen from outside: help, version and a wrong
// command line worded alike, arguments that are not UTF-8 refused, a stop in the middle of a
// write and the file-size limit reported by name.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <sys/resource.h>

namespace {

struct Run {
    int status = -1; // -1: ended by a signal
    QByteArray out, err;
};

// tools/FOLDER/NAME; the shell reads the arguments' escapes (\0377), so that they can hold any
// bytes.
Run Start(const QString& tool, const QStringList& arguments, QProcess& process) {
    process.start("/bin/sh", QStringList{"-c",
                                         "for a; do set -- \"$@\" \"$(printf %b \"$a\")\"; shift; "
                                         "done; exec \"$0\" \"$@\"",
                                         PELLMARK_TOOLS_DIR "/" + tool} +
                                 arguments);
    process.waitForFinished(20000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

Run Start(const QString& tool, const QStringList& arguments) {
    QProcess process;
    return Start(tool, arguments, process);
}

void WriteDays(const QString& folder) {
    for (const char* name : {"AUDUSD-6-Jun-05.txt", "AUDUSD-8-Jun-05.txt", "GBPUSD-6-Jun-05.txt"}) {
        QFile day(QDir(folder).filePath(name));
        QVERIFY(day.open(QIODevice::WriteOnly) &&
                day.write(QByteArray("1.2345 - 12:00\r\n").repeated(2000)) > 0);
    }
}

} // namespace

class TestFrame : public QObject {
    Q_OBJECT

private slots:
    void sameWordsEverywhere_data() {
        QTest::addColumn<QString>("tool");       // its folder under tools/ and its name
        QTest::addColumn<QString>("textOption"); // one that takes text
        QTest::newRow("batch") << "batch/pellmark-batch"
                               << "--symbols";
        QTest::newRow("export") << "export/pellmark-export"
                                << "--sep";
        QTest::newRow("check") << "check/pellmark-check"
                               << "--sep";
        QTest::newRow("parse-page") << "parse_page/pellmark-parse-page"
                                    << "--sep";
        QTest::newRow("quote-service") << "quote_service/pellmark-quote-service"
                                       << "--only";
    }
    void sameWordsEverywhere() {
        QFETCH(QString, tool);
        QFETCH(QString, textOption);
        const QByteArray name = tool.section('/', 1).toUtf8();
        const QByteArray tryHelp = "Try '" + name + " --help' for more information.\n";
        Run run = Start(tool, {"-v"});
        QCOMPARE(run.status, 0);
        QCOMPARE(run.out, name + " 1.0\n");
        run = Start(tool, {"-h"});
        QCOMPARE(run.status, 0);
        QVERIFY2(run.out.startsWith("Usage: " + name + " ["), run.out);
        run = Start(tool, {"--bogus"});
        QCOMPARE(run.status, 2);
        QCOMPARE(run.err, name + ": unknown option '--bogus'\n" + tryHelp);
        run = Start(tool, {textOption, "A\\0377\\0303B"});
        QCOMPARE(run.status, 2);
        QCOMPARE(run.err, name + ": an argument is not valid UTF-8: A\\xff\\xc3B\n" + tryHelp);
    }

    // On a file system without unnamed temporary files, SIGTERM while a file is written: the
    // file in hand is finished, no temporary file is left, and the program says it stopped.
    void stopInTheMiddleOfAWrite_data() {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("mayBeWritten");
        QTest::newRow("check") << "check/pellmark-check"
                               << QStringList{"--retry-list=@OUT/r.retry", "--html=@OUT/r.html",
                                              "@IN"}
                               << QStringList{"r.retry"};
        QTest::newRow("export") << "export/pellmark-export" << QStringList{"@IN", "@OUT"}
                                << QStringList{"AUDUSD.csv", "GBPUSD.csv"};
    }
    void stopInTheMiddleOfAWrite() {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, mayBeWritten);
        QTemporaryDir in, out;
        WriteDays(in.path());
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LD_PRELOAD", PELLMARK_NO_TMPFILE_SHIM);
        environment.insert("PELLMARK_SIGNAL_ON_WRITE", QString::number(SIGTERM));
        environment.insert("ASAN_OPTIONS", "verify_asan_link_order=0");
        process.setProcessEnvironment(environment);
        arguments.replaceInStrings("@IN", in.path()).replaceInStrings("@OUT", out.path());
        const Run run = Start(tool, arguments, process);
        QCOMPARE(run.status, 143);
        QVERIFY2(run.err.contains("stopped by SIGTERM"), run.err);
        const QStringList left = QDir(out.path()).entryList(QDir::Files | QDir::Hidden);
        QVERIFY2(!left.isEmpty() && left.size() < mayBeWritten.size() + 1,
                 qPrintable(left.join(' ')));
        for (const QString& file : left)
            QVERIFY2(mayBeWritten.contains(file), qPrintable(file));
    }

    // Over an 8 KB file-size limit the file that does not fit is named with the reason.
    void fileSizeLimit_data() {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        QTest::newRow("check") << "check/pellmark-check" << QStringList{"--html=@OUT/r.html", "@IN"}
                               << 3 << "cannot write @OUT/r.html: File too large";
        QTest::newRow("export") << "export/pellmark-export" << QStringList{"@IN", "@OUT"} << 1
                                << "@OUT/AUDUSD.csv: cannot write: File too large";
    }
    void fileSizeLimit() {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, says);
        QTemporaryDir in, out;
        WriteDays(in.path());
        QProcess process;
        process.setChildProcessModifier([] {
            const rlimit limit{8192, 8192};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
        arguments.replaceInStrings("@IN", in.path()).replaceInStrings("@OUT", out.path());
        const Run run = Start(tool, arguments, process);
        QCOMPARE(run.status, status);
        QVERIFY2(run.err.contains(says.replace("@OUT", out.path()).toUtf8()), run.err);
    }
};

QTEST_GUILESS_MAIN(TestFrame)
#include "tst_frame.moc"
