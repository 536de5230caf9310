#include "core/TextLines.h"

#include <algorithm>

namespace pellmark {

namespace {

std::string_view UpToNul(std::string_view text) {
    return text.substr(0, std::min(text.find('\0'), text.size()));
}

// The next CR or LF at or after from, size when none is left. Each kind is looked up with
// memchr and remembered until passed, so long lines cost no more than a plain scan.
class BreakFinder {
public:
    explicit BreakFinder(std::string_view text)
        : text_(text), cr_(Locate('\r', 0)), lf_(Locate('\n', 0)) {}

    std::size_t From(std::size_t from) {
        return std::min(Next(cr_, '\r', from), Next(lf_, '\n', from));
    }

private:
    std::size_t Next(std::size_t& cached, char c, std::size_t from) {
        if (cached < from)
            cached = Locate(c, from);
        return cached;
    }

    std::size_t Locate(char c, std::size_t from) const {
        return std::min(text_.find(c, from), text_.size());
    }

    std::string_view text_;
    std::size_t cr_;
    std::size_t lf_;
};

// Calls onLine with every line of text, without its break.
template <typename OnLine> void ForEachLine(std::string_view text, bool endAtNul, OnLine onLine) {
    if (endAtNul)
        text = UpToNul(text);
    const std::size_t size = text.size();
    BreakFinder breaks(text);
    std::size_t start = 0;
    while (start < size) {
        const std::size_t end = breaks.From(start);
        onLine(text.substr(start, end - start));
        start = end + 1;
        if (start < size && text[end] == '\r' && text[start] == '\n')
            ++start;
    }
}

} // namespace

Lines SplitLines(std::string_view text) {
    Lines lines;
    ForEachLine(text, true, [&lines](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

std::size_t CountLines(std::string_view text) {
    std::size_t count = 0;
    ForEachLine(text, true, [&count](std::string_view) { ++count; });
    return count;
}

Lines SplitFileLines(std::string_view text) {
    Lines lines;
    ForEachLine(text, false, [&lines](std::string_view line) { lines.emplace_back(line); });
    return lines;
}

std::size_t CountFileLines(std::string_view text) {
    std::size_t count = 0;
    ForEachLine(text, false, [&count](std::string_view) { ++count; });
    return count;
}

std::string JoinLines(const Lines& lines) {
    std::size_t size = 0;
    for (const auto& line : lines)
        size += line.size() + 2;
    std::string text;
    text.reserve(size);
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

std::string NormaliseLines(std::string_view text) {
    std::string joined;
    // Most pages keep their length; lone CRs or LFs grow it by one character each.
    joined.reserve(text.size() + text.size() / 16 + 2);
    ForEachLine(text, true, [&joined](std::string_view line) {
        joined += line;
        joined += "\r\n";
    });
    return joined;
}

std::string_view SubView(std::string_view text, long long index, long long count) {
    if (count <= 0)
        return {};
    const unsigned long long start = index < 1 ? 0 : static_cast<unsigned long long>(index - 1);
    if (start >= text.size())
        return {};
    return text.substr(static_cast<std::size_t>(start),
                       static_cast<std::size_t>(std::min<unsigned long long>(
                           static_cast<unsigned long long>(count), text.size())));
}

} // namespace pellmark
