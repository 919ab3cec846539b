#pragma once

#include <stdexcept>
#include <string>
#include <utility>
#include <variant>

namespace vantorel {

// The one failure type of the engines: a number, where it came from ("modPatcher.DoPatch",
// "prVantor.modAPIs.ShellEmux") and a description a person can read.
class Error : public std::runtime_error {
public:
    Error(int number, std::string source, std::string description)
        : std::runtime_error(description),
          number_(number),
          source_(std::move(source)),
          description_(std::move(description)) {}

    int number() const noexcept { return number_; }
    const std::string& source() const noexcept { return source_; }
    const std::string& description() const noexcept { return description_; }

private:
    int number_;
    std::string source_;
    std::string description_;
};

// A value or the reason there is none. Engines that "return a success flag" return
// Result<void>, so the flag always comes with its reason.
template <typename T>
class Result {
public:
    Result(T value) : data_(std::move(value)) {}
    Result(Error error) : data_(std::move(error)) {}

    bool ok() const noexcept { return std::holds_alternative<T>(data_); }
    explicit operator bool() const noexcept { return ok(); }

    T& value() & {
        if (!ok()) throw std::get<Error>(data_);
        return std::get<T>(data_);
    }
    const T& value() const& {
        if (!ok()) throw std::get<Error>(data_);
        return std::get<T>(data_);
    }
    T&& value() && {
        if (!ok()) throw std::get<Error>(data_);
        return std::get<T>(std::move(data_));
    }
    const Error& error() const { return std::get<Error>(data_); }

private:
    std::variant<T, Error> data_;
};

struct Done {};

template <>
class Result<void> {
public:
    Result() = default;
    Result(Done) {}
    Result(Error error) : error_(std::move(error)), failed_(true) {}

    bool ok() const noexcept { return !failed_; }
    explicit operator bool() const noexcept { return ok(); }
    const Error& error() const { return error_; }
    void throwIfFailed() const {
        if (failed_) throw error_;
    }

private:
    Error error_{0, {}, {}};
    bool failed_ = false;
};

}  // namespace vantorel
