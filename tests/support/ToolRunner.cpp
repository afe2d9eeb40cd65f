#include "support/ToolRunner.h"

#include "support/TempMachine.h"

#include <array>
#include <cstdio>
#include <sys/wait.h>

#ifndef TARN_TOOL_PATH
#define TARN_TOOL_PATH "tarnwell"
#endif

namespace tarn::test {

std::string ShellQuote(const std::string& word) {
    std::string q = "'";
    for (char c : word)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

ToolRun RunTool(const ToolCall& call, const std::filesystem::path& scratch) {
    std::string command;
    if (!call.workingDir.empty()) command = "cd " + ShellQuote(call.workingDir.string()) + " && ";
    for (const auto& [name, value] : call.environment)
        command += name + "=" + ShellQuote(value) + " ";
    command +=
        ShellQuote(call.program.empty() ? std::string(TARN_TOOL_PATH) : call.program.string());
    if (!call.machine.empty()) command += " --machine " + ShellQuote(call.machine.string());
    for (const std::string& a : call.args)
        command += " " + ShellQuote(a);
    const auto in = scratch / "tool-stdin.txt";
    const auto err = scratch / "tool-stderr.txt";
    WriteHostFile(in, call.input);
    command += " <" + ShellQuote(in.string()) + " 2>" + ShellQuote(err.string());
    ToolRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return run;
    std::array<char, 4096> buffer{};
    for (std::size_t n; (n = fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        run.out.append(buffer.data(), n);
    const int raw = pclose(pipe);
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.err = ReadHostFile(err);
    return run;
}

ToolRun RunTool(const std::vector<std::string>& args, const std::filesystem::path& machine,
                const std::filesystem::path& workingDir, const std::string& input,
                const std::filesystem::path& scratch) {
    ToolCall call;
    call.args = args;
    call.machine = machine;
    call.workingDir = workingDir;
    call.input = input;
    return RunTool(call, scratch);
}

} // namespace tarn::test
