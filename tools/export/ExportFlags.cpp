#include "ExportFlags.h"

#include "CommandLineRules.h"
#include "export/OhlcBars.h"

namespace pellmark {
namespace {

constexpr std::string_view kHelp =
    R"(      --layout NAME         the layout of the files: csv (the default, under a
                            header), metatrader (bars only, no header, dates
                            2005.06.08), ninjatrader (20050608 140500;price;1 for a
                            quote, bars of 1min or 1d only, every file SYMBOL.txt) or
                            metastock (under a header of <TICKER>,<PER>,<DATE>,...
                            columns, dates 20050608, times 140500, <PER> the bar's
                            minutes, D for day bars, 0 for quotes)
      --bars LENGTH         one row per bar of LENGTH (1min, 5min, 15min, 30min, 1h,
                            4h or 1d) instead of one per quote: named by its start
                            (the 1h bar 10:00 holds 10:00 to 10:59), open and close
                            its first and last quotes by time, high and low by
                            value, ticks (the volume) the number of its quotes;
                            bars without quotes are left out; written to
                            SYMBOL-LENGTH.csv (AUDUSD-1h.csv), so that bars never
                            replace the quotes' file
      --with-running-day    bars of the running days too: today (GMT) and any day
                            saved before it ended, whose bars are left out unless
                            asked, as they lack the rest of the day
      --tz ZONE             times on the clock of ZONE, an IANA name such as
                            Europe/Berlin or America/New_York or a fixed offset such
                            as Etc/GMT-2, daylight saving included; days and bars are
                            cut at its midnight (default: GMT, the service's clock);
                            the autumn hour that happens twice keeps the quotes' order
      --sqlite FILE         write into the SQLite database FILE (made when missing):
                            the quotes, the bars with --bars, and the days it holds
                            with the file each came from; exporting again reads and
                            writes only the days whose files changed, all in one
                            transaction
)";

QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

std::string UnknownZone(const QString& name) {
    const QString meant = ZoneClock::Suggestion(name);
    if (!meant.isEmpty())
        return "unknown time zone '" + name.toStdString() + "': did you mean " +
               meant.toStdString() + "?";
    return "unknown time zone '" + name.toStdString() +
           "': give an IANA name such as Europe/Berlin or America/New_York, or a fixed offset "
           "such as Etc/GMT-2";
}

} // namespace

ExportFlags::ExportFlags()
    : layout_("layout", {}, "NAME"), bars_("bars", {}, "LENGTH"), tz_("tz", {}, "ZONE"),
      withRunningDay_("with-running-day"),
      sqlite_("sqlite", {}, "FILE"), options_{layout_, bars_, tz_, withRunningDay_, sqlite_} {}

std::optional<std::string> ExportFlags::AnyGiven(const QCommandLineParser& parser) const {
    for (const QCommandLineOption& option : options_)
        if (parser.isSet(option))
            return "--" + option.names().front().toStdString();
    return std::nullopt;
}

std::optional<std::string> ExportFlags::Take(const QCommandLineParser& parser,
                                             ExportOptions& options) const {
    if (parser.isSet(layout_)) {
        options.layout = FindLayout(parser.value(layout_));
        if (options.layout == nullptr)
            return "--layout needs one of " + LayoutNames() + ", not '" +
                   parser.value(layout_).toStdString() + "'";
    }
    if (parser.isSet(bars_)) {
        const std::optional<int> minutes = ParseBarLength(parser.value(bars_));
        if (!minutes)
            return QStringLiteral("--bars needs one of %1, not '%2'")
                .arg(Latin1(kBarLengthNames), parser.value(bars_))
                .toStdString();
        options.barMinutes = *minutes;
    }
    if (const auto refused = LayoutRefusal(*options.layout, options.barMinutes))
        return refused;
    if (parser.isSet(withRunningDay_) && options.barMinutes == 0)
        return "--with-running-day goes with --bars: quotes of running days are always written";
    options.withRunningDay = parser.isSet(withRunningDay_);
    if (parser.isSet(tz_)) {
        const std::optional<ZoneClock> zone = ZoneClock::Named(parser.value(tz_));
        if (!zone)
            return UnknownZone(parser.value(tz_));
        options.zone = *zone;
    }
    if (parser.isSet(sqlite_)) {
        options.database = parser.value(sqlite_);
        if (options.database.isEmpty())
            return "--sqlite needs a file name";
        if (const auto reason = UnexpandedHomeReason(options.database))
            return "--sqlite " + *reason;
    }
    return std::nullopt;
}

std::string_view ExportFlags::Help() {
    return kHelp;
}

} // namespace pellmark
