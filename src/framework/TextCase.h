// Case rules for ANSI text (bytes in the machine's code page, Windows-1252 here). Each name says
// which letters fold, so that every comparison shows the rule it keeps: names the library defines
// itself (identifiers, table names, stored paths) fold ASCII letters only, while names that come
// from the machine's own files fold the accented letters too.
#pragma once

#include <string>
#include <string_view>

namespace tarn {

// Only 'a'..'z' and 'A'..'Z' fold; every other byte ("ä", "ÿ", digits, punctuation) must match
// exactly.
std::string UpperCaseAscii(std::string_view text);
bool SameTextAscii(std::string_view a, std::string_view b);

// The ASCII letters and the Latin-1 letters of Windows-1252: 0xE0..0xFE become 0xC0..0xDE, but
// for the division sign 0xF7. The pairs 1252 keeps at 0x8A..0x9F (š/Š, œ/Œ, ž/Ž, ÿ/Ÿ) do not
// fold, and ß (0xDF) has no capital.
std::string UpperCaseAnsi(std::string_view text);
bool SameTextAnsi(std::string_view a, std::string_view b);

} // namespace tarn
