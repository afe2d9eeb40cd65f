// Parsing of a language text table: "GLID;Text" lines, memos opened by "#GLID;" and closed by a
// lone "#", "*" comments and blank lines.
#pragma once

#include "framework/Exception.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarn::translator {

// A text table line that is not of the expected form.
class ELanguageFormat : public Exception {
public:
    template <class... A>
    ELanguageFormat(int line, std::string_view format, const A&... args)
        : Exception(format, args...), Line(line) {}
    int Line; // 0-based index of the line
};

inline constexpr std::string_view SGlidTextFormat =
    "The %d'th string (%s) does not have the proper format of GLID;Text";
inline constexpr std::string_view SGlidNumberFormat =
    "The %d'th string (%s) does not have the proper format of GLID;Text or .GLID;";
inline constexpr std::string_view SMemoEndOutside =
    "Found the end of memo marker # at line %d. Was not in a memo however";

// Texts longer than this are cut.
inline constexpr std::size_t kMaxLanguageText = 255;

struct ParsedString {
    std::int32_t glid = 0;
    std::string text;
    int line = 0;     // 0-based index of the defining line
    bool cut = false; // the text was longer than kMaxLanguageText
};

struct ParsedMemo {
    std::int32_t glid = 0;
    std::vector<std::string> lines;
    int line = 0; // 0-based index of the opening line
};

struct ParsedTable {
    std::vector<ParsedString> strings;
    std::vector<ParsedMemo> memos;
    // Set when the table ends inside a memo, which is then dropped; -1 otherwise.
    int unclosedMemoLine = -1;
};

// Throws ELanguageFormat with the first bad line; nothing is kept then.
ParsedTable ParseLanguageTable(const std::vector<std::string>& lines);

// Blanks and control characters at both ends removed.
std::string TrimLine(const std::string& line);

} // namespace tarn::translator
