#include "Recode.h"

#include <cerrno>
#include <iconv.h>

namespace pellmark {
namespace {

class Converter {
public:
    explicit Converter(const std::string& charset)
        : handle_(iconv_open(charset.c_str(), "UTF-8")) {}
    ~Converter() {
        if (valid())
            iconv_close(handle_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool valid() const { return handle_ != reinterpret_cast<iconv_t>(-1); }
    iconv_t handle() const { return handle_; }

private:
    iconv_t handle_;
};

} // namespace

std::optional<std::string> RecodeFromUtf8(std::string_view text, const std::string& charset) {
    Converter converter(charset);
    if (!converter.valid())
        return std::nullopt;
    std::string output(text.size() * 4 + 16, '\0');
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    char* out = output.data();
    std::size_t outLeft = output.size();
    // A second call with no input flushes the shift state of stateful encodings.
    if (iconv(converter.handle(), &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) ||
        iconv(converter.handle(), nullptr, nullptr, &out, &outLeft) == static_cast<std::size_t>(-1))
        return std::nullopt;
    output.resize(output.size() - outLeft);
    return output;
}

} // namespace pellmark
