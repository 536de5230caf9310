// The rules every program reads its command line by, kept apart from the process-wide frame
// so that parsers and their fuzzer use them alone: the version line, the wording of a parser's
// complaint, the days a date option may name and what counts as a text argument.
#pragma once

#include "core/Result.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <string_view>

class QCommandLineOption;
class QCommandLineParser;

namespace pellmark {

// "PROGRAM VERSION" and a line break, the version being the project's one.
std::string VersionLine(std::string_view program);

// The parser's complaint in the programs' common words: "unknown option '--x'",
// "option '--x' needs a value", "option '--x' takes no value".
std::string CommandLineError(const QCommandLineParser& parser);

// Why a day given as an option cannot be used: a day file's two-digit year names only the
// days from 1970-01-01 to 2069-12-31.
std::optional<std::string> UnnameableDayReason(QDate day);

// Why today, as the clock gives it, cannot be worked with: "today (1969-12-31) is outside
// 1970-01-01..2069-12-31: check the clock".
std::optional<std::string> ClockProblem(QDate today);

// The day a date option (--from, --to) names, written YYYY-MM-DD; or why it names none it
// may: "--from needs a date YYYY-MM-DD, not 'x'", or the reason above.
Result<QDate> DayOption(const QString& option, const QString& text);

// An option given more than once, under any of its names, is refused rather than one of
// its values silently kept: "option '--symbols' is given more than once".
std::optional<std::string> RepeatedOption(const QCommandLineParser& parser,
                                          const QList<QCommandLineOption>& options);

// A symbol as typed or pasted: editors and spreadsheets add surrounding spaces and a
// byte-order mark that no symbol holds.
QString CleanedSymbol(QString text);

// The symbols of a comma-separated --symbols list, each cleaned so, the empty ones and
// repeats dropped: what pellmark-check and pellmark-export look for.
QStringList CleanedSymbolList(const QString& list);

// Why a path argument cannot be taken as it is: it starts with a "~" that no shell expanded
// (quoted, or read from a systemd environment file), which would name a folder "~" here.
// Empty when the path is fine or such a file exists.
std::optional<std::string> UnexpandedHomeReason(const QString& path);

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view bytes);

// The bytes as printable text: every byte outside printable ASCII as \xHH.
std::string EscapedBytes(std::string_view bytes);

} // namespace pellmark
