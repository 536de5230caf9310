// What a library call that can fail gives back: what it made, or the reason it did not. The
// reason is a bare phrase ("No space left on device", "not a regular file"); each program
// words it its own way ("cannot write FILE: REASON", "SYMBOL DAY unreadable: REASON").
//
//     const Result<std::string> bytes = ReadDayFile(path);
//     if (!bytes)
//         Report(bytes.reason());
//     else
//         Use(*bytes);
//
//     if (const Done written = WriteWholeFile(path, text); !written)
//         Report(written.reason());
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace pellmark {

struct Failure {
    std::string reason;
};

template <typename T> class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(Failure failure) : state_(std::in_place_index<1>, std::move(failure)) {}

    bool ok() const noexcept { return state_.index() == 0; }
    explicit operator bool() const noexcept { return ok(); }

    // Only when ok().
    const T& operator*() const& { return std::get<0>(state_); }
    T& operator*() & { return std::get<0>(state_); }
    T&& operator*() && { return std::get<0>(std::move(state_)); }
    const T* operator->() const { return &std::get<0>(state_); }

    // Only when not ok().
    const std::string& reason() const { return std::get<1>(state_).reason; }

private:
    std::variant<T, Failure> state_;
};

// A call that makes nothing and may fail: `return {};` on success.
template <> class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Failure failure) : failure_(std::move(failure)) {}

    bool ok() const noexcept { return !failure_; }
    explicit operator bool() const noexcept { return ok(); }

    // Only when not ok().
    const std::string& reason() const { return failure_->reason; }

private:
    std::optional<Failure> failure_;
};

using Done = Result<void>;

} // namespace pellmark
