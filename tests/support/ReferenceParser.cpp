#include "ReferenceParser.h"

#include "TextPositions.h"

#include <string>

namespace pellmark::reference {

namespace {

std::string Rejoin(std::string_view text) {
    return JoinLines(SplitLines(text));
}

long long Pos(std::string_view needle, std::string_view text) {
    return static_cast<long long>(Find(needle, text));
}

long long Length(std::string_view text) {
    return static_cast<long long>(text.size());
}

const long long kMarkerLength = Length(kRecordMarker);

// The current record: the working text up to the next marker, or all of it when none is left.
std::string RecordOf(std::string_view work) {
    const long long next = Pos(kRecordMarker, work);
    return next > 0 ? Sub(work, 1, next - 1) : std::string(work);
}

} // namespace

Lines ParseIntradayPage(std::string_view pageText, LineOrder lineOrder,
                        std::string_view separator) {
    const std::string text = Rejoin(pageText);
    if (Pos(kNoDataText, text) > 0)
        return {std::string(kNoneLine)};

    std::string work = Rejoin(Sub(text, Pos(kRecordMarker, text) + kMarkerLength, Length(text)));
    Lines lines;
    bool firstRecordEmpty = false;
    do {
        work = Rejoin(Sub(work, Pos(kRecordMarker, work) + kMarkerLength, Length(work)));
        const std::string record = RecordOf(work);
        const long long s = Pos(" ", record);
        const std::string t = Sub(record, 1, s - 4);
        const std::string time = Sub(t, 1, 2) + ":" + Sub(t, 4, 2);
        const long long g = Pos("GMT ", record);
        const long long p = Pos(" (", record);
        const std::string price = Sub(record, g + 4, p - g - 4);
        if (lines.empty())
            firstRecordEmpty = price.empty() && time == ":";
        const std::string sep(separator);
        lines.push_back(lineOrder == LineOrder::PriceFirst ? price + sep + time
                                                           : time + sep + price);
    } while (Pos(kRecordMarker, work) > 0);

    if (firstRecordEmpty)
        return {std::string(kNoneLine)};
    return lines;
}

} // namespace pellmark::reference
