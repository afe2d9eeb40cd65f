// Checks a language text table against the English one: lines that do not parse, texts the
// English table has and this one lacks, and texts whose "%s"/"%d" placeholders differ.
#pragma once

#include <string>
#include <vector>

namespace tarn::translator {

struct LanguageProblem {
    int line = 0; // 1-based line of the checked table; 0 when the problem has no line
    std::string message;
};

// The placeholders of a format text in order ("%s", "%d", "%5.2f" ...); "%%" is not one.
std::vector<std::string> Placeholders(const std::string& text);

// Empty when the table is sound. When the table itself does not parse, that is the only problem.
std::vector<LanguageProblem> CheckLanguageTable(const std::vector<std::string>& table,
                                                const std::vector<std::string>& english);

} // namespace tarn::translator
