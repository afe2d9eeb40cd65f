#include "ProgramArguments.h"

#include "platform/CommandLine.h"

namespace tarn::uninstall::win32 {

std::vector<std::string> ProgramArguments(const std::string& commandLine) {
    std::size_t at = 0;
    bool quoted = false;
    while (at < commandLine.size() &&
           (quoted || (commandLine[at] != ' ' && commandLine[at] != '\t'))) {
        if (commandLine[at] == '"') quoted = !quoted;
        ++at;
    }
    return platform::SplitCommandLine(commandLine.substr(at));
}

} // namespace tarn::uninstall::win32
