#pragma once

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace vantorel {

// What kind of failure an error is. Numbers are only unique inside their category, so
// callers (and the language files' error texts) always look at both.
enum class ErrorCategory : std::uint8_t {
    None,      // no failure: the placeholder inside a successful Result<void>
    System,    // the number is an errno value; the description is the system's own text
    File,      // a path that cannot be used as asked (not a regular file, too large, ...)
    Format,    // a file that is not what the operation needs (too short, not an image, ...)
    Patch,     // a patch that cannot be read or applied, or cannot be made
    Launch,    // an emulator that cannot be started or driven
    Settings,  // the settings file could not be written
    Music,     // the credits' tune cannot be written or played
    Archive,   // an archive that cannot be read, or an entry that cannot be taken from it
    Stopped,   // the user asked the job to stop before it was done
};

// Numbers are only unique inside their category. Where they are kept:
//   File      file_io.h (1-5), convert/naming.h (610, 611)
//   Format    convert/smd.h (601-605), rom/header.h (606), rom/header_document.h (607, 608),
//             rom/rom_range.h (609)
//   Patch     patch/*.h (5001 on)    Launch  launcher/launch_plan.h    Settings  settings.h
//   Music     about/tune.h, platform/midi_player.h    Archive  archive/archive_reader.h
// A new failure takes a free number of its category and a text in section Errors of the
// language files.

// The category's name as the language files spell error keys ("Format603").
std::string_view categoryName(ErrorCategory category);

// The one failure type of engines and platform: a category and number, where it came from
// ("modPatcher.DoPatch", "prVantor.modAPIs.ShellEmux"), an English description and the
// values the description was built from, so a front end can say the same in another
// language ("%1", "%2" in a language file's text).
class Error {
public:
    Error(ErrorCategory category, int number, std::string source, std::string description,
          std::vector<std::string> args = {})
        : category_(category),
          number_(number),
          source_(std::move(source)),
          description_(std::move(description)),
          args_(std::move(args)) {}

    ErrorCategory category() const noexcept { return category_; }
    int number() const noexcept { return number_; }
    const std::string& source() const noexcept { return source_; }
    const std::string& description() const noexcept { return description_; }
    const std::vector<std::string>& args() const noexcept { return args_; }

    bool is(ErrorCategory category, int number) const noexcept {
        return category_ == category && number_ == number;
    }
    // The same failure told from another place (the caller's source).
    Error from(std::string source) const& {
        Error e = *this;
        e.source_ = std::move(source);
        return e;
    }

private:
    ErrorCategory category_;
    int number_;
    std::string source_;
    std::string description_;
    std::vector<std::string> args_;
};

// An errno value as an error: the system's text, number = errno.
Error systemError(int errnum, std::string source);
// The text of a system error number (strerror); "Unknown error N" for numbers it does not know.
std::string systemErrorText(int errnum);

namespace detail {
[[noreturn]] inline void valueOfFailure(const Error& e) {
    // Reading the value of a failed result is a bug in the caller, never a user's error.
    std::fprintf(stderr, "vantorel: value() of a failed result: %s (%s)\n", e.description().c_str(),
                 e.source().c_str());
    std::abort();
}
}  // namespace detail

// A value or the reason there is none.
template <typename T>
class [[nodiscard]] Result {
public:
    Result(T value) : data_(std::move(value)) {}
    Result(Error error) : data_(std::move(error)) {}

    bool ok() const noexcept { return std::holds_alternative<T>(data_); }
    explicit operator bool() const noexcept { return ok(); }

    // Only on success.
    T& value() & {
        if (!ok()) detail::valueOfFailure(error());
        return std::get<T>(data_);
    }
    const T& value() const& {
        if (!ok()) detail::valueOfFailure(error());
        return std::get<T>(data_);
    }
    T&& value() && {
        if (!ok()) detail::valueOfFailure(error());
        return std::get<T>(std::move(data_));
    }
    // Only on failure.
    const Error& error() const { return std::get<Error>(data_); }

private:
    std::variant<T, Error> data_;
};

struct Done {};

// Success with nothing to give back, or the reason it failed.
template <>
class [[nodiscard]] Result<void> {
public:
    Result() = default;
    Result(Done) {}
    Result(Error error) : error_(std::move(error)), failed_(true) {}

    bool ok() const noexcept { return !failed_; }
    explicit operator bool() const noexcept { return ok(); }
    const Error& error() const { return error_; }

private:
    Error error_{ErrorCategory::None, 0, {}, {}};
    bool failed_ = false;
};

}  // namespace vantorel
