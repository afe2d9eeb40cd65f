// REGEDIT4 text, the format regedit imports and exports, which is also how the embedded machine
// keeps its whole registry on disk. Reading understands what a regedit import does (key and
// value deletions, comments, CRLF); writing gives text that reads back to the same tree.
#pragma once

#include "platform/portable/Machine.h"
#include "platform/portable/RegistryPath.h"
#include "platform/portable/RegistryTree.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::platform::portable {

// Text that is not valid REGEDIT4: the message starts with "<source>:<line>: ".
class RegFileError : public MachineError {
public:
    RegFileError(const std::string& source, std::size_t line, const std::string& problem);
    std::size_t Line() const { return line_; }

private:
    std::size_t line_;
};

struct RegFileValue {
    std::string name;
    bool remove = false; // "name"=-
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> data;
};

struct RegFileSection {
    StoredKeyPath key;
    bool remove = false; // [-KEY]: the key and everything below it
    std::vector<RegFileValue> values;
};

// Checks the whole text before anything is applied, so a refused file changes nothing.
// Throws RegFileError naming source.
std::vector<RegFileSection> ParseRegFile(std::string_view text, const std::string& source);
// Merges parsed sections into a tree, in file order, as a regedit import does.
void ApplyRegFile(RegistryTree& tree, std::vector<RegFileSection> sections);
// A tree from REGEDIT4 text. Throws RegFileError.
RegistryTree LoadRegFile(std::string_view text, const std::string& source);

// The whole tree: every key (empty ones too), parents before children.
std::string WriteRegFile(const RegistryTree& tree);
// One key and everything below it, under its full path.
std::string WriteRegFile(const RegKey& key);

} // namespace tarn::platform::portable
