// Runs the tarnwell tool as a separate process, the way a user or a script would.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace tarn::test {

struct ToolRun {
    int status = -1; // exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
};

struct ToolCall {
    std::vector<std::string> args;
    std::filesystem::path machine;    // --machine; empty leaves it out
    std::filesystem::path workingDir; // empty: the test's own
    std::string input;                // standard input (a pipe, never a terminal)
    std::filesystem::path program;    // empty: the tarnwell tool
    std::vector<std::pair<std::string, std::string>> environment; // added variables
};

// scratch is a folder for the redirected streams.
ToolRun RunTool(const ToolCall& call, const std::filesystem::path& scratch);
// The tarnwell tool on a machine (empty: none given), from a folder (empty: the test's own).
ToolRun RunTool(const std::vector<std::string>& args, const std::filesystem::path& machine,
                const std::filesystem::path& workingDir, const std::string& input,
                const std::filesystem::path& scratch);

// Quotes a word for /bin/sh.
std::string ShellQuote(const std::string& word);

} // namespace tarn::test
