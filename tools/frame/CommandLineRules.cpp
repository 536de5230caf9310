#include "CommandLineRules.h"

#include "core/DayLimits.h"
#include "PellmarkVersion.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace pellmark {

using namespace Qt::Literals::StringLiterals;

std::optional<std::string> UnexpandedHomeReason(const QString& path) {
    if ((path != u"~"_s && !path.startsWith(u"~/"_s)) || QFileInfo::exists(path))
        return std::nullopt;
    return "'" + path.toStdString() + "' starts with ~, which nothing expanded here: write the " +
           "full path (" + (QDir::homePath() + path.mid(1)).toStdString() + ")";
}

std::string VersionLine(std::string_view program) {
    return std::string(program) + " " PELLMARK_VERSION "\n";
}

std::string CommandLineError(const QCommandLineParser& parser) {
    if (!parser.unknownOptionNames().isEmpty()) {
        const QString name = parser.unknownOptionNames().front();
        return "unknown option '" + std::string(name.size() == 1 ? "-" : "--") +
               name.toStdString() + "'";
    }
    // Qt words the other two as "Missing value after '--x'." and "Unexpected value after
    // '--x=y'."; the option is taken from its quotes.
    const QString text = parser.errorText();
    const auto quoted = [&](QLatin1StringView before) {
        if (!text.startsWith(before))
            return std::string();
        const QString option = text.mid(before.size()).section(u'\'', 0, 0);
        return option.section(u'=', 0, 0).toStdString();
    };
    if (const std::string option = quoted("Missing value after '"_L1); !option.empty())
        return "option '" + option + "' needs a value";
    if (const std::string option = quoted("Unexpected value after '"_L1); !option.empty())
        return "option '" + option + "' takes no value";
    QString reason = text;
    if (reason.endsWith(u'.'))
        reason.chop(1);
    return reason.isEmpty() ? std::string()
                            : (reason.front().toLower() + reason.mid(1)).toStdString();
}

std::optional<std::string> UnnameableDayReason(QDate day) {
    const auto iso = [](QDate date) { return date.toString(Qt::ISODate).toStdString(); };
    if (day < kFirstNameableDay)
        return iso(day) + " is before " + iso(kFirstNameableDay) +
               ", the first day a day file's two-digit year can name";
    if (day > kLastNameableDay)
        return iso(day) + " is after " + iso(kLastNameableDay) +
               ", the last day a day file's two-digit year can name";
    return std::nullopt;
}

std::optional<std::string> ClockProblem(QDate today) {
    if (IsNameableDay(today))
        return std::nullopt;
    const auto iso = [](QDate date) { return date.toString(Qt::ISODate).toStdString(); };
    return "today (" + iso(today) + ") is outside " + iso(kFirstNameableDay) + ".." +
           iso(kLastNameableDay) + ": check the clock";
}

Result<QDate> DayOption(const QString& option, const QString& text) {
    const QDate day = QDate::fromString(text, Qt::ISODate);
    if (text.size() != 10 || !day.isValid())
        return Failure{"--" + option.toStdString() + " needs a date YYYY-MM-DD, not '" +
                       text.toStdString() + "'"};
    if (const auto reason = UnnameableDayReason(day))
        return Failure{*reason};
    return day;
}

std::optional<std::string> RepeatedOption(const QCommandLineParser& parser,
                                          const QList<QCommandLineOption>& options) {
    const QStringList given = parser.optionNames();
    for (const QCommandLineOption& option : options) {
        const QStringList names = option.names();
        const auto times = std::count_if(given.begin(), given.end(),
                                         [&](const QString& name) { return names.contains(name); });
        if (times > 1) {
            const QString& name = names.constLast();
            return "option '" + std::string(name.size() == 1 ? "-" : "--") + name.toStdString() +
                   "' is given more than once";
        }
    }
    return std::nullopt;
}

QString CleanedSymbol(QString text) {
    text.remove(QChar(0xFEFF));
    return text.trimmed();
}

QStringList CleanedSymbolList(const QString& list) {
    QStringList symbols;
    for (const QString& part : list.split(u','))
        if (const QString symbol = CleanedSymbol(part); !symbol.isEmpty())
            symbols << symbol;
    symbols.removeDuplicates();
    return symbols;
}

bool IsValidUtf8(std::string_view bytes) {
    const auto* at = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto* const end = at + bytes.size();
    while (at < end) {
        const unsigned char lead = *at++;
        if (lead < 0x80)
            continue;
        // The lead byte says how many continuation bytes follow and the smallest code point
        // that needs them, so that an overlong form is refused.
        int more = 0;
        char32_t point = 0, least = 0;
        if (lead >= 0xC2 && lead <= 0xDF)
            more = 1, point = lead & 0x1F, least = 0x80;
        else if (lead >= 0xE0 && lead <= 0xEF)
            more = 2, point = lead & 0x0F, least = 0x800;
        else if (lead >= 0xF0 && lead <= 0xF4)
            more = 3, point = lead & 0x07, least = 0x10000;
        else
            return false;
        if (end - at < more)
            return false;
        for (; more > 0; --more, ++at) {
            if ((*at & 0xC0) != 0x80)
                return false;
            point = (point << 6) | (*at & 0x3F);
        }
        if (point < least || point > 0x10FFFF || (point >= 0xD800 && point <= 0xDFFF))
            return false;
    }
    return true;
}

std::string EscapedBytes(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            text += c;
        } else {
            text += "\\x";
            text += kHex[byte >> 4];
            text += kHex[byte & 15];
        }
    }
    return text;
}

} // namespace pellmark
