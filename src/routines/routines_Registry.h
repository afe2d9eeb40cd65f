// One-call registry routines: each creates, uses and frees its own registry object. Roots are
// root codes; key paths start with a backslash.
#pragma once

#include <cstdint>
#include <string>

namespace tarn {

class TStringList;

// Open (creating when missing) and write; throw EIRCannotWriteValue when either fails.
void WriteRegistryString(std::uint8_t root, const std::string& key, const std::string& name,
                         const std::string& text);
void WriteRegistryInteger(std::uint8_t root, const std::string& key, const std::string& name,
                          std::int32_t value);
// Never fail: the default stands when the key or value cannot be read.
void ReadRegistryString(std::uint8_t root, const std::string& key, const std::string& name,
                        std::string& result, const std::string& defaultText);
std::int32_t ReadRegistryInteger(std::uint8_t root, const std::string& key, const std::string& name,
                                 std::int32_t defaultValue);
// Silent.
void DeleteRegistryKeyTree(std::uint8_t root, const std::string& key);
void DeleteRegistryValue(std::uint8_t root, const std::string& key, const std::string& name);
// Clears the list, then fills it with the key's subkey names when it can be opened.
void GetRegistrySubKeyNames(std::uint8_t root, const std::string& key, TStringList& list);

inline constexpr const char* kRunOnceKey =
    "\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// Puts a command into the run-once list: per user on Windows NT 4 to 5.x, per machine elsewhere.
// With unique set, an existing name gets 1, 2, ... appended. False when it cannot be written.
bool AddRunOnceEntry(const std::string& name, const std::string& command, bool unique);

} // namespace tarn
