// The frame every program shares, seen from outside: help, version and a wrong
// command line worded alike, arguments that are not UTF-8 refused, every output that cannot be
// written told, a stop or the file-size limit in the middle of a write, and odd entries
// planted where a program reads or writes.
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

struct Run {
    int status = -1; // -1: ended by a signal
    QByteArray out, err;
};

// tools/FOLDER/NAME; the shell reads the arguments' escapes (\0377), so that they can hold any
// bytes.
Run Start(const QString& tool, const QStringList& arguments, QProcess&& process = QProcess()) {
    process.start("/bin/sh", QStringList{"-c",
                                         "for a; do set -- \"$@\" \"$(printf %b \"$a\")\"; "
                                         "shift; done; exec \"$0\" \"$@\"",
                                         PELLMARK_TOOLS_DIR "/" + tool} +
                                 arguments);
    process.waitForFinished(20000);
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace

class TestFrame : public QObject {
    Q_OBJECT

private slots:
    void sameWordsEverywhere_data() {
        QTest::addColumn<QString>("tool"); // its folder under tools/, its name, an option with text
        QTest::newRow("batch") << "batch/pellmark-batch --symbols";
        QTest::newRow("export") << "export/pellmark-export --sep";
        QTest::newRow("check") << "check/pellmark-check --sep";
        QTest::newRow("parse-page") << "parse_page/pellmark-parse-page --sep";
        QTest::newRow("quote-service") << "quote_service/pellmark-quote-service --only";
        // The window leaves other options to Qt (-platform, -style), so only help and version.
        QTest::newRow("window") << "../src/pellmark";
    }
    void sameWordsEverywhere() {
        QFETCH(QString, tool);
        const QString textOption = tool.section(' ', 1);
        tool = tool.section(' ', 0, 0);
        const QByteArray name = tool.section('/', -1).toUtf8();
        const QByteArray tryHelp = "Try '" + name + " --help' for more information.\n";
        Run run;
        QCOMPARE((run = Start(tool, {"-v"})).status, 0);
        QCOMPARE(run.out, name + " 1.0\n");
        QCOMPARE((run = Start(tool, {"-h"})).status, 0);
        QVERIFY2(run.out.startsWith("Usage: " + name + " ["), run.out);
        if (textOption.isEmpty())
            return;
        QCOMPARE((run = Start(tool, {"--bogus"})).status, 2);
        QCOMPARE(run.err, name + ": unknown option '--bogus'\n" + tryHelp);
        QCOMPARE((run = Start(tool, {textOption, "A\\0377\\0303B"})).status, 2);
        QCOMPARE(run.err, name + ": an argument is not valid UTF-8: A\\xff\\xc3B\n" + tryHelp);
        QCOMPARE((run = Start(tool, {textOption, "A", textOption, "B"})).status, 2);
        QCOMPARE(run.err, name + ": option '" + textOption.toUtf8() +
                              "' is given more than once\n" + tryHelp);
    }

    // Every output into a full device and into a closed pipe: told with the system's reason
    // and the documented status. @FULL, a device like /dev/full in the test's own folder, takes
    // a report or retry list and must be left a device. @IN holds a symbol with a missing day.
    void outputThatCannotBeWritten_data() {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says"); // @REASON: the reason of standard output's failure
        const QString batch = "batch/pellmark-batch", check = "check/pellmark-check";
        for (const QString& tool : QStringList{batch, QString("export/pellmark-export"), check,
                                               QString("parse_page/pellmark-parse-page"),
                                               QString("quote_service/pellmark-quote-service")})
            for (const QString& what : QStringList{"help", "version"})
                QTest::addRow("%s --%s", qPrintable(tool.section('/', 1)), qPrintable(what))
                    << QStringList{tool, "--" + what} << 1
                    << tool.section('/', 1) + ": cannot write to standard output: @REASON\n";
        QTest::newRow("check listing") << QStringList{check, "@IN"} << 1
                                       << "pellmark-check: the listing on standard output was cut "
                                          "short\n";
        for (const char* option : {"--retry-list=@FULL", "--html=@FULL"})
            QTest::addRow("check %s", option) << QStringList{check, option, "@IN"} << 3
                                              << "pellmark-check: cannot write @FULL: not a "
                                                 "regular file\n";
        QTest::newRow("parse-page day")
            << QStringList{"parse_page/pellmark-parse-page"} << 1
            << "pellmark-parse-page: cannot write the day to standard output: @REASON\n";
        QTest::newRow("quote-service port")
            << QStringList{"quote_service/pellmark-quote-service", "--port", "0"} << 1
            << "pellmark-quote-service: cannot write the port to standard output: @REASON\n";
        QTest::newRow("batch failed days")
            << QStringList{batch,  "--symbols",  "AUDUSD", "--from", "2005-06-06",
                           "--to", "2005-06-06", "--out",  "@IN",    "-q"}
            << 1 << "pellmark-batch: cannot write the failed days to standard output: @REASON\n";
    }
    void outputThatCannotBeWritten() {
        QFETCH(QStringList, command);
        QFETCH(int, status);
        QFETCH(QString, says);
        QTemporaryDir in, devices;
        const QString full = devices.filePath("full");
        QCOMPARE(::mknod(QFile::encodeName(full), S_IFCHR | 0666, makedev(1, 7)), 0);
        for (const char* name : {"AUDUSD-6-Jun-05.txt", "AUDUSD-8-Jun-05.txt"})
            if (QFile day(in.filePath(name));
                !day.open(QIODevice::WriteOnly) || day.write("1.2 - 12:00\n") != 12)
                QFAIL("cannot write a day file");
        command.replaceInStrings("@IN", in.path()).replaceInStrings("@FULL", full);
        for (const bool pipe : {false, true}) {
            int ends[2];
            QCOMPARE(::pipe2(ends, O_CLOEXEC), 0);
            ::close(ends[0]);
            QProcess process;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            // A port nothing listens on: the day fails at once, with no other address asked.
            environment.insert("http_proxy", "http://127.0.0.1:1");
            process.setProcessEnvironment(environment);
            process.setStandardInputFile(QProcess::nullDevice());
            if (pipe)
                process.setChildProcessModifier([&ends] { ::dup2(ends[1], STDOUT_FILENO); });
            else
                process.setStandardOutputFile(full);
            const Run run = Start(command.front(), command.mid(1), std::move(process));
            ::close(ends[1]);
            QCOMPARE(run.status, status);
            const QString reason = std::strerror(pipe ? EPIPE : ENOSPC);
            QVERIFY2(run.err.contains(
                         QString(says).replace("@REASON", reason).replace("@FULL", full).toUtf8()),
                     run.err);
            QVERIFY2(!QFileInfo(full).isFile(), "the device was replaced by a file");
        }
    }

    // SIGTERM at the first write into a file, on a file system without unnamed temporary
    // files: check finishes the file in hand and begins no other; export, whose CSVs take
    // their names together, replaces none. Nothing temporary is left.
    // Over an 8 KB file-size limit the file that does not fit is named with the reason.
    void faultWhileWriting_data() {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status"); // 143: stopped; else over the limit
        QTest::addColumn<QString>("says");
        QTest::addColumn<QStringList>("left");
        const QStringList check = {"check/pellmark-check", "--retry-list=@/r", "--html=@/h", "@IN"};
        const QStringList exporting = {"export/pellmark-export", "@IN", "@"};
        QTest::newRow("check, SIGTERM") << check[0] << check.mid(1) << 143
                                        << "pellmark-check: stopped by SIGTERM" << QStringList{"r"};
        QTest::newRow("export, SIGTERM")
            << exporting[0] << exporting.mid(1) << 143
            << "pellmark-export: stopped by SIGTERM; 0 file(s)" << QStringList{};
        QTest::newRow("check, ulimit -f 8")
            << check[0] << check.mid(1) << 3 << "cannot write @/h: File too large"
            << QStringList{"r"};
        QTest::newRow("export, ulimit -f 8")
            << exporting[0] << exporting.mid(1) << 1 << "@/AUDUSD.csv: cannot write: File too large"
            << QStringList{"GBPUSD.csv"};
    }
    // What is planted at a name a program reads or writes is never written through nor
    // waited on: a link's target outside keeps its bytes, a FIFO or a huge file is told.
    void plantedEntryIsLeftAlone_data() {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("planted"); // at @/NAME or @IN/NAME
        QTest::addColumn<QString>("kind");    // ->TARGET (a link), fifo, huge (1 GB)
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");
        const QStringList check = {"check/pellmark-check", "--retry-list=@/r", "--html=@/h", "@IN"};
        const QStringList exporting = {"export/pellmark-export", "@IN", "@"};
        const QString outside = "->@IN/AUDUSD-6-Jun-05.txt", day = "@IN/AUDUSD-7-Jun-05.txt";
        const QString notRegular = ": not a regular file";
        QTest::newRow("check, report a link")
            << check[0] << check.mid(1) << "@/h" << outside << 3 << "cannot write @/h" + notRegular;
        QTest::newRow("export, CSV a link")
            << exporting[0] << exporting.mid(1) << "@/AUDUSD.csv" << outside << 1
            << "@/AUDUSD.csv: cannot write" + notRegular;
        QTest::newRow("check, day file a FIFO")
            << check[0] << check.mid(1) << day << "fifo" << 1 << "unreadable: not a regular file";
        QTest::newRow("export, day file a link to /dev/zero")
            << exporting[0] << exporting.mid(1) << day << "->/dev/zero" << 1
            << "unreadable: not a regular file";
        QTest::newRow("check, day file of 1 GB")
            << check[0] << check.mid(1) << day << "huge" << 1 << "unreadable: larger than 16 MB";
    }
    void plantedEntryIsLeftAlone() {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        QFETCH(QString, planted);
        QFETCH(QString, kind);
        QFETCH(int, status);
        QFETCH(QString, says);
        QTemporaryDir in, out;
        const QByteArray day = QByteArray("1.2 - 12:00\r\n").repeated(288);
        QFile file(in.filePath("AUDUSD-6-Jun-05.txt"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(day) == day.size());
        file.close();
        const auto place = [&](QString text) {
            return text.replace("@IN", in.path()).replace("@", out.path());
        };
        QFile at(place(planted));
        const QByteArray name = QFile::encodeName(at.fileName());
        if (kind.startsWith("->"))
            QVERIFY(QFile::link(place(kind.mid(2)), at.fileName()));
        else if (kind == "fifo")
            QCOMPARE(::mkfifo(name.constData(), 0600), 0);
        else
            QVERIFY(at.open(QIODevice::WriteOnly) && at.resize(1LL << 30));
        const Run run = Start(
            tool, arguments.replaceInStrings("@IN", in.path()).replaceInStrings("@", out.path()));
        QCOMPARE(run.status, status);
        QVERIFY2((run.err + run.out).contains(place(says).toUtf8()), run.err + run.out);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), day);
        QCOMPARE(QFileInfo(at.fileName()).isSymLink(), kind.startsWith("->"));
        QCOMPARE(QDir(out.path()).entryList({".*"}, QDir::Files | QDir::Hidden), QStringList());
    }

    void faultWhileWriting() {
        QFETCH(QString, tool);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        const bool stop = status == 143;
        QFETCH(QString, says);
        QFETCH(QStringList, left);
        QTemporaryDir in, out;
        // AUDUSD misses a day, and its CSV does not fit in 8 KB; GBPUSD's does.
        for (const auto& [name, lines] : {std::pair{"AUDUSD-6-Jun-05.txt", 400},
                                          {"AUDUSD-8-Jun-05.txt", 400},
                                          {"GBPUSD-6-Jun-05.txt", 100}}) {
            QFile day(in.filePath(name));
            QVERIFY(day.open(QIODevice::WriteOnly) &&
                    day.write(QByteArray("1.2 - 12:00\n").repeated(lines)));
        }
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LD_PRELOAD", PELLMARK_NO_TMPFILE_SHIM);
        environment.insert("PELLMARK_SIGNAL_ON_WRITE", QString::number(stop ? SIGTERM : 0));
        environment.insert("ASAN_OPTIONS",
                           environment.value("ASAN_OPTIONS") + ":verify_asan_link_order=0");
        process.setProcessEnvironment(environment);
        if (!stop)
            process.setChildProcessModifier([] {
                const rlimit limit{8192, 8192};
                ::setrlimit(RLIMIT_FSIZE, &limit);
            });
        arguments.replaceInStrings("@IN", in.path()).replaceInStrings("@", out.path());
        const Run run = Start(tool, arguments, std::move(process));
        QCOMPARE(run.status, status);
        QVERIFY2(run.err.contains(says.replace("@", out.path()).toUtf8()), run.err);
        QCOMPARE(QDir(out.path()).entryList(QDir::Files | QDir::Hidden), left);
    }
};

QTEST_GUILESS_MAIN(TestFrame)
#include "tst_frame.moc"
