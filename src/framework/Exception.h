// The root of the library's exceptions and the framework's own error classes.
//
// A new error class is one line, since the constructors are inherited:
//     class EMyError : public ETarnwellAbnormal { using ETarnwellAbnormal::ETarnwellAbnormal; };
// and is thrown with a plain message or a Format pattern and its arguments:
//     throw EFOpenError(SFOpenError, fileName);
#pragma once

#include "framework/Format.h"

#include <exception>
#include <string>
#include <string_view>
#include <utility>

namespace tarn {

class Exception : public std::exception {
public:
    Exception() = default;
    explicit Exception(std::string_view message) : message_(message) {}
    // The message is Format(format, args...).
    template <class Arg, class... Rest>
    Exception(std::string_view format, const Arg& arg, const Rest&... rest)
        : message_(Format(format, arg, rest...)) {}

    const std::string& Message() const { return message_; }
    void SetMessage(std::string message) { message_ = std::move(message); }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

inline constexpr std::string_view SFCreateError = "Cannot create file %s";
inline constexpr std::string_view SFOpenError = "Cannot open file %s";
inline constexpr std::string_view SReadError = "Stream read error";
inline constexpr std::string_view SWriteError = "Stream write error";
inline constexpr std::string_view SSeekError = "Stream seek error";
inline constexpr std::string_view SSetSizeError = "Stream size cannot be changed";
inline constexpr std::string_view SListIndexError = "List index out of bounds (%d)";
inline constexpr std::string_view SDuplicateString = "String list does not allow duplicates";
inline constexpr std::string_view SSortedListError = "Operation not allowed on sorted string list";
inline constexpr std::string_view SSharedObjects =
    "Objects of another list cannot be added to a list that owns its objects";
inline constexpr std::string_view SDuplicateName = "A component named %s already exists";
inline constexpr std::string_view SInvalidName = "Component name \"%s\" is not a valid identifier";
inline constexpr std::string_view SNoOwner = "A component made by Create needs an owner";

class EStreamError : public Exception {
public:
    using Exception::Exception;
};
class EFCreateError : public EStreamError {
public:
    using EStreamError::EStreamError;
};
class EFOpenError : public EStreamError {
public:
    using EStreamError::EStreamError;
};

class EReadError : public EStreamError {
public:
    using EStreamError::EStreamError;
    EReadError() : EStreamError(SReadError) {}
};

class EWriteError : public EStreamError {
public:
    using EStreamError::EStreamError;
    EWriteError() : EStreamError(SWriteError) {}
};

class EStringListError : public Exception {
public:
    using Exception::Exception;
};
class EComponentError : public Exception {
public:
    using Exception::Exception;
};

// The silent abort: ends the work in hand without an error being shown.
class EAbort : public Exception {
public:
    using Exception::Exception;
};

} // namespace tarn
