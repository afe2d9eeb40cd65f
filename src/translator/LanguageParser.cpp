#include "translator/LanguageParser.h"

#include <charconv>

namespace tarn::translator {

namespace {

// A whole text as a 32-bit integer: optional sign, then decimal digits or "$" and hex digits.
bool ParseGlid(const std::string& text, std::int32_t& value) {
    std::size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
    int base = 10;
    if (pos < text.size() && text[pos] == '$') {
        base = 16;
        ++pos;
    }
    if (pos >= text.size()) return false;
    std::int64_t magnitude = 0;
    const char* first = text.data() + pos;
    const char* last = text.data() + text.size();
    auto [end, ec] = std::from_chars(first, last, magnitude, base);
    if (ec != std::errc() || end != last || magnitude < 0) return false;
    const std::int64_t result = negative ? -magnitude : magnitude;
    if (result < INT32_MIN || result > INT32_MAX) return false;
    value = static_cast<std::int32_t>(result);
    return true;
}

std::int32_t GlidOf(const std::string& glidText, int n, const std::string& line) {
    if (glidText.empty()) throw ELanguageFormat(n, SGlidTextFormat, n, line);
    std::int32_t glid = 0;
    if (!ParseGlid(glidText, glid)) throw ELanguageFormat(n, SGlidNumberFormat, n, line);
    return glid;
}

} // namespace

std::string TrimLine(const std::string& line) {
    std::size_t first = 0;
    std::size_t last = line.size();
    while (first < last && static_cast<unsigned char>(line[first]) <= ' ')
        ++first;
    while (last > first && static_cast<unsigned char>(line[last - 1]) <= ' ')
        --last;
    return line.substr(first, last - first);
}

ParsedTable ParseLanguageTable(const std::vector<std::string>& lines) {
    ParsedTable table;
    bool inMemo = false;
    ParsedMemo memo;
    for (int n = 0; n < static_cast<int>(lines.size()); ++n) {
        const std::string line = TrimLine(lines[n]);
        if (line.empty()) continue;
        if (line == "#") {
            if (!inMemo) throw ELanguageFormat(n, SMemoEndOutside, n);
            table.memos.push_back(std::move(memo));
            memo = ParsedMemo{};
            inMemo = false;
            continue;
        }
        if (line[0] == '*') continue;
        if (inMemo) {
            memo.lines.push_back(line);
            continue;
        }
        const std::size_t semi = line.find(';');
        if (line[0] == '#') {
            const std::string glidText =
                line.substr(1, semi == std::string::npos ? line.npos : semi - 1);
            memo = ParsedMemo{GlidOf(glidText, n, line), {}, n};
            inMemo = true;
            continue;
        }
        const std::int32_t glid = GlidOf(line.substr(0, semi), n, line);
        std::string text;
        if (semi != std::string::npos) {
            const std::size_t next = line.find(';', semi + 1);
            text = line.substr(semi + 1, next == std::string::npos ? line.npos : next - semi - 1);
        }
        if (TrimLine(text).empty()) throw ELanguageFormat(n, SGlidTextFormat, n, line);
        const bool cut = text.size() > kMaxLanguageText;
        if (cut) text.resize(kMaxLanguageText);
        table.strings.push_back({glid, std::move(text), n, cut});
    }
    if (inMemo) table.unclosedMemoLine = memo.line;
    return table;
}

} // namespace tarn::translator
