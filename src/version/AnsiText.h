// Conversions between the texts of version resources (UTF-16) and the library's ANSI strings,
// which hold Windows-1252 bytes.
#pragma once

#include <string>
#include <string_view>

namespace tarn::version {

// Each character that Windows-1252 has becomes its byte; any other character (a surrogate pair
// counting as one, a lone surrogate as one) becomes '?'.
std::string Utf16ToAnsi(std::u16string_view text);

// The reverse of Utf16ToAnsi for every byte, giving UTF-8 (for output on the host).
std::string AnsiToUtf8(std::string_view text);

} // namespace tarn::version
