#pragma once

#include <QString>
#include <optional>
#include <utility>

namespace kestrune {

// A failure's short description, as it follows a context label in the send window.
struct Failure {
    QString description;
};

// Outcome of an operation that yields nothing but can fail.
class [[nodiscard]] Status {
public:
    Status() = default;
    Status(Failure failure) : failed_(true), description_(std::move(failure.description)) {}

    bool ok() const { return !failed_; }
    explicit operator bool() const { return ok(); }
    // Only meaningful when !ok().
    QString description() const { return description_; }

private:
    bool failed_ = false;
    QString description_;
};

// A value or the failure that prevented it.
template <class T> class [[nodiscard]] Result {
public:
    Result(T value) : value_(std::move(value)) {}
    Result(Failure failure) : description_(std::move(failure.description)) {}

    bool ok() const { return value_.has_value(); }
    explicit operator bool() const { return ok(); }
    const T& value() const { return *value_; }
    T& value() { return *value_; }
    const T& operator*() const { return *value_; }
    QString description() const { return description_; }
    Status status() const { return ok() ? Status() : Status(Failure{description_}); }

private:
    std::optional<T> value_;
    QString description_;
};

} // namespace kestrune
