// Text between the machine's ANSI code page and the host's UTF-8 on the embedded machine (a
// Windows program needs none: Windows converts for itself). The machine (registry, INI files,
// archive member names, every std::string in product code) speaks its ANSI code page; the host
// (file names, command-line arguments, the terminal) speaks UTF-8. Conversions go through iconv.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarn::platform {

// The code page a new machine gets, as an English or Western European Windows has it.
inline constexpr unsigned kDefaultAnsiCodePage = 1252;

// ANSI text of the code page as UTF-8. Bytes the code page leaves undefined (0x81 in 1252) become
// U+FFFD. Never fails.
std::string AnsiToUtf8(std::string_view text, unsigned codePage);

// UTF-8 text in the code page; nullopt when a character has no place in it or the text is not
// valid UTF-8.
std::optional<std::string> Utf8ToAnsi(std::string_view text, unsigned codePage);

// UTF-8 text in the code page as Windows' ANSI functions show a name they cannot hold: each
// character without a place becomes "?" (so the name can never reach another file through a
// wildcard-free open). Invalid UTF-8 bytes become "?" too.
std::string Utf8ToAnsiLossy(std::string_view text, unsigned codePage);

// ANSI text upper-cased character by character, as Windows compares file names: each character
// takes its Unicode upper case when the code page has that (in 1252 ü→Ü, ÿ→Ÿ); others stay (ß, µ).
std::string UpperAnsi(std::string_view text, unsigned codePage);

// One character as UTF-8.
void AppendUtf8(std::string& out, char32_t c);

// The character at text[i] of strictly valid UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF); advances i past it. On invalid input returns false and advances i by one byte.
bool NextUtf8(std::string_view text, std::size_t& i, char32_t& c);

// Whether iconv knows the code page ("CP1252", "CP850", ...).
bool CodePageSupported(unsigned codePage);

} // namespace tarn::platform
