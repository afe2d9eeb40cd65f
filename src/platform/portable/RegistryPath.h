// Key paths of the embedded registry: the predefined roots by name, and where the roots that
// Windows NT derives from others (HKEY_CLASSES_ROOT, HKEY_CURRENT_CONFIG) are stored.
#pragma once

#include "platform/WinTypes.h"
#include "platform/portable/RegistryTree.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::platform::portable {

// Windows refuses deeper keys; the limit also bounds recursion over the tree.
constexpr std::size_t kMaxKeyDepth = 512;

// A place in the stored tree: a stored root and the key names below it.
struct StoredKeyPath {
    RootKey root = RootKey::LocalMachine;
    std::vector<std::string> names;
};

// The predefined handle a root name stands for: "HKEY_LOCAL_MACHINE" and the other full names,
// and with abbreviations also "HKLM", "HKCU", "HKU", "HKCR", "HKCC" (without regard to case).
std::optional<HKEY> RootHandleByName(std::string_view name, bool abbreviations);

// Where a predefined handle's key is stored; nothing for handles the machine does not have.
std::optional<StoredKeyPath> StoredPlace(HKEY root);

// The key names of a subkey string: separators are backslashes, empty components are skipped.
std::vector<std::string> SplitKeyNames(std::string_view subKey);

// A full key path split for the registry calls: "HKLM\Software\X" -> HKEY_LOCAL_MACHINE and
// "Software\X".
struct KeyPath {
    HKEY root = 0;
    std::string subKey;
};
std::optional<KeyPath> ParseKeyPath(std::string_view fullPath);

// A full key path ("HKEY_CLASSES_ROOT\.txt", "HKCU\Software") as its stored place.
std::optional<StoredKeyPath> ToStoredPath(std::string_view fullPath, bool abbreviations = true);

} // namespace tarn::platform::portable
