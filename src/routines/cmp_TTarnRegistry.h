// The registry class every part of the library uses: keys are opened for reading and writing
// only (full access only to create or delete), existence is tested with read access, and
// deleting a key removes its whole subtree. Root codes name the predefined roots in one byte.
#pragma once

#include "framework/Registry.h"

#include <cstdint>
#include <string>

namespace tarn {

// Root codes, in the alphabetical order of the roots' names.
enum : std::uint8_t {
    rcClassesRoot = 0,
    rcCurrentConfig = 1,
    rcCurrentUser = 2,
    rcDynData = 3,
    rcLocalMachine = 4,
    rcUsers = 5,
};

inline constexpr platform::REGSAM kRegReadWrite = platform::KEY_READ | platform::KEY_WRITE;

class TtarnRegistry : public TRegistry {
public:
    using TRegistry::IsRelative;

    bool OpenKey(const std::string& key, bool canCreate) override;
    bool KeyExists(const std::string& key) override;
    // Opens the key with full access without making it current; the caller closes it. 0 when
    // it cannot be opened.
    platform::HKEY GetKey(const std::string& key);
    bool DeleteKey(const std::string& key) override;
};

// Sets the root from a code (low 7 bits); codes above 5 leave the root unchanged.
void SetRootByCode(TtarnRegistry& registry, std::uint8_t code);
// The code of a predefined root; any other handle gives defaultCode.
std::uint8_t RootCodeOfKey(platform::HKEY key, std::uint8_t defaultCode);

} // namespace tarn
