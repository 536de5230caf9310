#include "page/IntradayParser.h"

#include <string>

namespace pellmark {

namespace {

constexpr auto npos = std::string_view::npos;

// Every step of the walk cuts the working text and splits and joins it again. The page is
// normalised once, so that re-splitting a tail of it changes nothing, except that a tail
// that begins with the LF of a CR LF pair gains a CR in front: the same text as the tail
// that starts one character earlier. The working text is therefore always a tail of the
// normalised page, known by where it starts.
std::size_t WholeLinesFrom(std::string_view page, std::size_t start) {
    if (start >= page.size())
        return page.size();
    return page[start] == '\n' ? start - 1 : start;
}

// Past the marker found at markerAt or, with none left, ten characters on: a search that
// finds nothing answers 0, and the cut after "position + marker length" then starts at 11.
std::size_t PastMarker(std::size_t markerAt, std::size_t workStart) {
    return markerAt == npos ? workStart + kRecordMarker.size() - 1
                            : markerAt + kRecordMarker.size();
}

// The first occurrence of a needle in the current record: the working text up to the next
// marker, or to the end of the page for the last record. A needle found beyond that belongs
// to a later record and counts as absent here; it stays the answer until the working text
// reaches it. The working text only ever moves forward, so every needle scans the page once.
class ForwardFinder {
public:
    ForwardFinder(std::string_view page, std::string_view needle) : page_(page), needle_(needle) {}

    // Position in the record [recordStart, recordEnd), counted from 1; 0 when absent.
    long long In(std::size_t recordStart, std::size_t recordEnd) {
        if (!searched_ || (found_ != npos && found_ < recordStart)) {
            found_ = page_.find(needle_, recordStart);
            searched_ = true;
        }
        if (found_ == npos || found_ + needle_.size() > recordEnd)
            return 0;
        return static_cast<long long>(found_ - recordStart + 1);
    }

private:
    std::string_view page_;
    std::string_view needle_;
    std::size_t found_ = npos;
    bool searched_ = false;
};

// Hours and minutes: the characters before the first space less the seconds (":ss").
std::string TimeOf(std::string_view work, long long space) {
    const std::string_view clock = SubView(work, 1, space - 4);
    std::string time;
    time += SubView(clock, 1, 2);
    time += ':';
    time += SubView(clock, 4, 2);
    return time;
}

std::string_view PriceOf(std::string_view work, long long gmt, long long paren) {
    return SubView(work, gmt + 4, paren - gmt - 4);
}

std::string OutputLine(std::string_view time, std::string_view price, LineOrder lineOrder,
                       std::string_view separator) {
    const std::string_view first = lineOrder == LineOrder::PriceFirst ? price : time;
    const std::string_view second = lineOrder == LineOrder::PriceFirst ? time : price;
    std::string line;
    line.reserve(first.size() + separator.size() + second.size());
    line += first;
    line += separator;
    line += second;
    return line;
}

} // namespace

Lines ParseIntradayPage(std::string_view pageText, LineOrder lineOrder,
                        std::string_view separator) {
    const std::string normalised = NormaliseLines(pageText);
    const std::string_view page = normalised;
    if (page.find(kNoDataText) != npos)
        return {std::string(kNoneLine)};

    ForwardFinder space(page, " ");
    ForwardFinder gmt(page, "GMT ");
    ForwardFinder paren(page, " (");

    // Skip the head up to the first marker. The record after it never becomes a line: the
    // first advance below steps over it.
    std::size_t work = WholeLinesFrom(page, PastMarker(page.find(kRecordMarker), 0));
    std::size_t markerAt = page.find(kRecordMarker, work);
    bool firstRecordEmpty = false;
    Lines lines;
    do {
        work = WholeLinesFrom(page, PastMarker(markerAt, work));
        markerAt = page.find(kRecordMarker, work);
        const std::size_t recordEnd = markerAt == npos ? page.size() : markerAt;
        const std::string_view record = page.substr(work, recordEnd - work);
        const std::string time = TimeOf(record, space.In(work, recordEnd));
        const std::string_view price =
            PriceOf(record, gmt.In(work, recordEnd), paren.In(work, recordEnd));
        if (lines.empty())
            firstRecordEmpty = price.empty() && time == ":";
        lines.push_back(OutputLine(time, price, lineOrder, separator));
    } while (markerAt != npos);

    // A first record with neither time digits nor a price means the page had no quotes.
    if (firstRecordEmpty)
        return {std::string(kNoneLine)};
    return lines;
}

std::size_t CountPageLines(std::string_view pageText) {
    return CountLines(pageText);
}

} // namespace pellmark
