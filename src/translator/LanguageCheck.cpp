#include "translator/LanguageCheck.h"

#include "framework/Format.h"
#include "translator/LanguageParser.h"

#include <cctype>
#include <map>

namespace tarn::translator {

namespace {

std::string Join(const std::vector<std::string>& items) {
    std::string result;
    for (const auto& item : items)
        result += (result.empty() ? "" : " ") + item;
    return result.empty() ? "none" : result;
}

// Parses, turning a format error into a problem; false when the table does not parse.
bool ParseForCheck(const std::vector<std::string>& lines, const std::string& what,
                   ParsedTable& table, std::vector<LanguageProblem>& problems) {
    try {
        table = ParseLanguageTable(lines);
        return true;
    } catch (const ELanguageFormat& e) {
        // The parser counts lines from 0; the report names the line as an editor shows it.
        problems.push_back({e.Line + 1, what + e.Message()});
        return false;
    }
}

} // namespace

std::vector<std::string> Placeholders(const std::string& text) {
    std::vector<std::string> result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') continue;
        std::size_t j = i + 1;
        if (j < text.size() && text[j] == '%') {
            i = j;
            continue;
        }
        while (j < text.size() &&
               (std::isdigit(static_cast<unsigned char>(text[j])) || text[j] == '-' ||
                text[j] == '.' || text[j] == ':' || text[j] == '*'))
            ++j;
        if (j < text.size() && std::isalpha(static_cast<unsigned char>(text[j]))) {
            std::string placeholder = text.substr(i, j - i + 1);
            placeholder.back() =
                static_cast<char>(std::tolower(static_cast<unsigned char>(placeholder.back())));
            result.push_back(placeholder);
            i = j;
        }
    }
    return result;
}

std::vector<LanguageProblem> CheckLanguageTable(const std::vector<std::string>& table,
                                                const std::vector<std::string>& english) {
    std::vector<LanguageProblem> problems;
    ParsedTable checked;
    ParsedTable reference;
    if (!ParseForCheck(table, "", checked, problems)) return problems;
    if (!ParseForCheck(english, "English table: ", reference, problems)) return problems;
    if (checked.unclosedMemoLine >= 0)
        problems.push_back({checked.unclosedMemoLine + 1,
                            "memo is not closed by a line holding only #; it would be dropped"});

    std::map<std::int32_t, const ParsedString*> byGlid;
    for (const auto& s : checked.strings) {
        if (s.cut)
            problems.push_back({s.line + 1, Format("GLID %d is longer than %d characters and "
                                                   "would be cut",
                                                   s.glid, static_cast<int>(kMaxLanguageText))});
        auto [it, added] = byGlid.emplace(s.glid, &s);
        if (!added)
            problems.push_back({s.line + 1, Format("GLID %d is defined again (first on line %d)",
                                                   s.glid, it->second->line + 1)});
    }
    std::map<std::int32_t, bool> inEnglish;
    for (const auto& e : reference.strings) {
        if (inEnglish.count(e.glid)) continue;
        inEnglish[e.glid] = true;
        auto it = byGlid.find(e.glid);
        if (it == byGlid.end()) {
            problems.push_back({0, Format("GLID %d is missing (English: %s)", e.glid, e.text)});
            continue;
        }
        const auto expected = Placeholders(e.text);
        const auto found = Placeholders(it->second->text);
        if (expected != found)
            problems.push_back(
                {it->second->line + 1, Format("GLID %d has placeholders %s where English has %s",
                                              e.glid, Join(found), Join(expected))});
    }
    for (const auto& s : checked.strings)
        if (!inEnglish.count(s.glid))
            problems.push_back({s.line + 1, Format("GLID %d is not in the English table", s.glid)});
    return problems;
}

} // namespace tarn::translator
