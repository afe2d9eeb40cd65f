// The arguments of the program's command line, after the program's own name.
#pragma once

#include <string>
#include <vector>

namespace tarn::uninstall::win32 {

// The name itself follows its own rules (quotes group, backslashes are plain); the rest is split
// by the usual command-line rules.
std::vector<std::string> ProgramArguments(const std::string& commandLine);

} // namespace tarn::uninstall::win32
