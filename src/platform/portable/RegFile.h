// REGEDIT4 text, the format regedit imports and exports, which is also how the embedded machine
// keeps its whole registry on disk. Reading understands what a regedit import does (key and
// value deletions, comments, CRLF); writing gives text that reads back to the same tree.
// The .reg files users exchange may also be regedit's later "Windows Registry Editor Version
// 5.00" files: UTF-16LE text whose string data are UTF-16 too; those are converted from and to
// the machine's ANSI code page at the file's edge.
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

// A .reg file as regedit reads it: REGEDIT4 in the code page, or version 5.00 (UTF-16LE after
// its byte-order mark, or code-page text with that header). Names and "..." strings of a UTF-16
// file, and the hex(1), hex(2) and hex(7) data of a 5.00 file, are converted into codePage; a
// name or string the code page cannot hold is an error naming its key and value. Messages are
// machine text (characters without a place shown as "?"); source should be too.
std::vector<RegFileSection> ParseUserRegFile(std::string_view bytes, const std::string& source,
                                             unsigned codePage);

// The whole tree: every key (empty ones too), parents before children.
std::string WriteRegFile(const RegistryTree& tree);
// One key and everything below it, under its full path.
std::string WriteRegFile(const RegKey& key);

enum class RegFileFormat {
    Regedit4, // ANSI text in the machine's code page, as WriteRegFile writes it
    Unicode,  // "Windows Registry Editor Version 5.00": UTF-16LE with its byte-order mark, CRLF
};
// One key and everything below it as a .reg file for users; codePage is the machine's, from
// which a Unicode file's names and string data are converted.
std::string WriteUserRegFile(const RegKey& key, RegFileFormat format, unsigned codePage);

} // namespace tarn::platform::portable
