#include "framework/TextCase.h"

#include <algorithm>

namespace tarn {
namespace {

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char UpperAnsi(char c) {
    const auto u = static_cast<unsigned char>(c);
    if ((u >= 'a' && u <= 'z') || (u >= 0xE0 && u <= 0xFE && u != 0xF7))
        return static_cast<char>(u - 0x20);
    return c;
}

template <char (*Upper)(char)> std::string UpperCase(std::string_view text) {
    std::string upper(text);
    std::ranges::transform(upper, upper.begin(), Upper);
    return upper;
}

template <char (*Upper)(char)> bool Same(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return Upper(x) == Upper(y); });
}

} // namespace

std::string UpperCaseAscii(std::string_view text) {
    return UpperCase<UpperAscii>(text);
}

bool SameTextAscii(std::string_view a, std::string_view b) {
    return Same<UpperAscii>(a, b);
}

std::string UpperCaseAnsi(std::string_view text) {
    return UpperCase<UpperAnsi>(text);
}

bool SameTextAnsi(std::string_view a, std::string_view b) {
    return Same<UpperAnsi>(a, b);
}

} // namespace tarn
