// tarnwell lang check FILE [--english FILE]: checks a language text table (a host file) against
// the English one: lines that do not parse, GLIDs it lacks and placeholders that differ.
#include "Commands.h"

#include "translator/LanguageCheck.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

namespace tarn::tool {
namespace {

struct LangCheckOptions {
    std::string file;
    std::string english;
};

// The lines of a host file, split on CRLF, CR or LF.
std::vector<std::string> ReadLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw ToolError("cannot open " + path);
    std::stringstream buffer;
    buffer << in.rdbuf();
    const std::string text = buffer.str();
    std::vector<std::string> lines;
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(line);
            line.clear();
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            line += c;
        }
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

int RunLangCheck(const LangCheckOptions& options) {
    std::string english = options.english;
    if (english.empty())
        english = (std::filesystem::path(options.file).parent_path() / "trnfEnglish.txt").string();
    const auto problems =
        translator::CheckLanguageTable(ReadLines(options.file), ReadLines(english));
    for (const auto& problem : problems) {
        std::cout << options.file << ':';
        if (problem.line > 0) std::cout << problem.line << ':';
        std::cout << ' ' << problem.message << '\n';
    }
    if (problems.empty()) std::cout << options.file << ": ok\n";
    return problems.empty() ? 0 : 1;
}

} // namespace

void AddLangCommands(CLI::App& app, Context&, int& status) {
    CLI::App* lang = app.add_subcommand("lang", "Language text tables");
    lang->require_subcommand(1);
    static LangCheckOptions options;
    CLI::App* check = lang->add_subcommand(
        "check", "Check a language table against the English one (parse errors, missing GLIDs, "
                 "placeholders)");
    check->add_option("FILE", options.file, "The table to check (a host file)")->required();
    check->add_option("--english", options.english,
                      "The English table (default: trnfEnglish.txt beside FILE)");
    check->callback([&status] { status = RunLangCheck(options); });
}

} // namespace tarn::tool
