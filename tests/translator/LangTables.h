// Helpers for the translator tests: text tables written to files on the embedded machine, and the
// folder of the shipped tables.
#pragma once

#include "support/TempMachine.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tarn::test {

// The repository's lang folder.
inline std::filesystem::path ShippedLangFolder() {
    return std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "lang";
}

// Writes the lines (CRLF-terminated) to C:\lang\<name> on the machine; returns the Windows path.
inline std::string WriteTable(TempMachine& machine, const std::string& name,
                              const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& line : lines)
        text += line + "\r\n";
    WriteHostFile(machine.Host("C:\\lang\\" + name), text);
    return "C:\\lang\\" + name;
}

// Copies a shipped table onto the machine; returns its Windows path.
inline std::string InstallShippedTable(TempMachine& machine, const std::string& name) {
    WriteHostFile(machine.Host("C:\\lang\\" + name), ReadHostFile(ShippedLangFolder() / name));
    return "C:\\lang\\" + name;
}

} // namespace tarn::test
