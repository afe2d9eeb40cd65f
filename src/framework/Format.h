// Message formatting in the printf style the library's messages are written in, without varargs:
// each argument is converted to text up front, so a message whose placeholders do not match its
// arguments still formats instead of reading garbage off the stack.
#pragma once

#include <concepts>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

namespace tarn {

// One argument of Format, already converted to its text.
class FormatArg {
public:
    FormatArg(std::string_view text) : text_(text) {}
    FormatArg(const std::string& text) : text_(text) {}
    FormatArg(const char* text) : text_(text ? text : "") {}
    FormatArg(char c) : text_(1, c) {}
    template <std::integral T>
    requires(!std::same_as<T, bool> && !std::same_as<T, char>) FormatArg(T value)
        : text_(std::to_string(value)) {}
    template <class T>
    requires std::is_enum_v<T> FormatArg(T value)
        : FormatArg(static_cast<std::underlying_type_t<T>>(value)) {}

    const std::string& Text() const { return text_; }

private:
    std::string text_;
};

// Replaces each "%s" or "%d" with the next argument and "%%" with "%". Placeholders left over once
// the arguments run out, and any other '%' sequence, are kept as written; surplus arguments are
// ignored.
std::string FormatV(std::string_view format, std::initializer_list<FormatArg> args);

template <class... Args> std::string Format(std::string_view format, const Args&... args) {
    return FormatV(format, {FormatArg(args)...});
}

} // namespace tarn
