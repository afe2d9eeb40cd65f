// Windows command-line conventions: splitting a command line into arguments the way the C
// runtime does, and quoting arguments so that they split back unchanged.
#pragma once

#include <string>
#include <vector>

namespace tarn::platform {

// Blanks separate arguments; double quotes group; 2n backslashes before a quote give n
// backslashes and a quote that groups, 2n+1 give n and a literal quote; other backslashes are
// literal; "" inside a quoted run gives a literal quote.
std::vector<std::string> SplitCommandLine(const std::string& commandLine);

// Quotes an argument when it is empty or holds blanks or quotes.
std::string QuoteArgument(const std::string& argument);

} // namespace tarn::platform
