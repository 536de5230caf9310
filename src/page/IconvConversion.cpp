#include "page/IconvConversion.h"

#include <algorithm>
#include <cerrno>

namespace pellmark {

namespace {

const iconv_t kNoHandle = reinterpret_cast<iconv_t>(-1);

class OutputBuffer {
public:
    explicit OutputBuffer(std::size_t capacity) : text_(capacity, '\0') {}

    char* end() { return text_.data() + written_; }
    std::size_t room() const { return text_.size() - written_; }
    void advanceTo(const char* newEnd) { written_ = newEnd - text_.data(); }
    void grow() { text_.resize(text_.size() * 2); }
    void append(std::string_view text) {
        while (room() < text.size())
            grow();
        text_.replace(written_, text.size(), text);
        written_ += text.size();
    }
    std::string take() {
        text_.resize(written_);
        return std::move(text_);
    }

private:
    std::string text_;
    std::size_t written_ = 0;
};

// One call of iconv into what room is left; the errno it failed with, or 0.
int Step(iconv_t handle, char** in, std::size_t* inLeft, OutputBuffer& out) {
    char* outPtr = out.end();
    std::size_t outLeft = out.room();
    const std::size_t result = iconv(handle, in, inLeft, &outPtr, &outLeft);
    const int error = errno;
    out.advanceTo(outPtr);
    return result == static_cast<std::size_t>(-1) ? error : 0;
}

} // namespace

IconvConversion::IconvConversion(const std::string& to, const std::string& from)
    : handle_(iconv_open(to.c_str(), from.c_str())) {}

IconvConversion::~IconvConversion() {
    if (valid())
        iconv_close(handle_);
}

bool IconvConversion::valid() const {
    return handle_ != kNoHandle;
}

std::optional<std::string> IconvConversion::convert(std::string_view bytes) {
    return run(bytes, {}, nullptr);
}

std::optional<std::string> IconvConversion::convertReplacing(std::string_view bytes,
                                                             std::string_view replacement,
                                                             const InvalidSpan& span) {
    return run(bytes, replacement, &span);
}

std::optional<std::string> IconvConversion::run(std::string_view bytes,
                                                std::string_view replacement,
                                                const InvalidSpan* span) {
    if (!valid())
        return std::nullopt;
    OutputBuffer out(bytes.size() * 2 + 16);
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    while (inLeft > 0) {
        const int error = Step(handle_, &in, &inLeft, out);
        if (error == 0)
            break;
        if (error == E2BIG) {
            out.grow();
            continue;
        }
        if (!span)
            return std::nullopt;
        out.append(replacement);
        const std::size_t skip =
            error == EILSEQ ? std::clamp<std::size_t>((*span)({in, inLeft}), 1, inLeft) : inLeft;
        in += skip;
        inLeft -= skip;
    }
    // A call without input writes what a stateful encoding needs to return to its start.
    for (int error = Step(handle_, nullptr, nullptr, out); error != 0;
         error = Step(handle_, nullptr, nullptr, out)) {
        if (error != E2BIG)
            return span ? std::optional(out.take()) : std::nullopt;
        out.grow();
    }
    return out.take();
}

} // namespace pellmark
