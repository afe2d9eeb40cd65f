// Text services Windows provides and the embedded machine has to provide itself: locale-aware
// comparison, the OEM code page, system error texts and environment expansion.
#pragma once

#include "platform/WinTypes.h"

#include <map>
#include <string>

namespace tarn::platform::portable {

// CompareString for US English on Windows-1252 text: letters alphabetical with accents folded
// (accent and then case break ties, lower case first), punctuation before digits before letters,
// hyphen and apostrophe ignored unless the texts are otherwise equal.
int CompareAnsi(const std::string& a, const std::string& b, bool ignoreCase);

// CharToOem for code page 437: characters that 437 lacks get their best fit or "?".
std::string AnsiToOem(const std::string& text);

// FormatMessage's English text for a system error code; empty for codes it does not know.
std::string SystemErrorText(DWORD code);

// ExpandEnvironmentStrings: %NAME% replaced from vars (names in upper case); unknown ones stay.
std::string ExpandEnvironment(const std::string& text,
                              const std::map<std::string, std::string>& vars);

} // namespace tarn::platform::portable
