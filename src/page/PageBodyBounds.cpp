#include "page/PageBodyBounds.h"

#include "page/BodySerialiser.h"

#include <fstream>
#include <new>
#include <sys/resource.h>
#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
#define PELLMARK_SHADOW_MEMORY 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PELLMARK_SHADOW_MEMORY 1
#endif
#endif

namespace pellmark {

namespace {

// Lowers the soft address-space limit to what the process maps now plus room, and puts the
// old limit back when it goes out of scope.
class AddressSpaceCap {
public:
    explicit AddressSpaceCap(std::size_t room) {
#ifndef PELLMARK_SHADOW_MEMORY
        std::size_t pages = 0;
        if (!(std::ifstream("/proc/self/statm") >> pages) || getrlimit(RLIMIT_AS, &old_) != 0)
            return;
        rlimit capped = old_;
        const rlim_t wanted = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + room;
        if (old_.rlim_cur != RLIM_INFINITY && old_.rlim_cur <= wanted)
            return;
        capped.rlim_cur = wanted;
        capped_ = setrlimit(RLIMIT_AS, &capped) == 0;
#else
        (void)room;
#endif
    }
    ~AddressSpaceCap() {
        if (capped_)
            setrlimit(RLIMIT_AS, &old_);
    }
    AddressSpaceCap(const AddressSpaceCap&) = delete;
    AddressSpaceCap& operator=(const AddressSpaceCap&) = delete;

private:
    rlimit old_{};
    bool capped_ = false;
};

} // namespace

Result<std::string> ReadBodyWithinBounds(std::string_view responseBytes,
                                         std::string_view contentType) {
    const Failure tooComplex{"page too complex"};
    std::string body;
    try {
        const AddressSpaceCap cap(kPageReadingMemory);
        body = SerialiseBody(responseBytes, contentType);
    } catch (const std::bad_alloc&) {
        // Thrown from the parser's allocator through its C frames: the tree lives in an
        // arena that unwinding frees whole.
        return tooComplex;
    }
    if (body.size() > kLargestBody)
        return tooComplex;
    return body;
}

} // namespace pellmark
