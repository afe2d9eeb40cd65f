// The registry of the embedded machine and its file: registry.reg in the machine folder, REGEDIT4
// text replaced atomically on every flush. Not thread-safe, like the rest of the machine.
#pragma once

#include "platform/portable/RegistryPath.h"
#include "platform/portable/RegistryTree.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace tarn::platform::portable {

class RegistryStore {
public:
    // Loads file; a missing file is an empty registry. Throws RegFileError for a malformed file
    // and MachineError for one that cannot be read. Removes temporaries of a killed writer.
    explicit RegistryStore(std::filesystem::path file);

    RegistryTree& Tree() { return tree_; }
    const RegistryTree& Tree() const { return tree_; }
    const std::filesystem::path& File() const { return file_; }

    // Every change to the tree must be followed by this, or Flush will not write it.
    void MarkDirty() { dirty_ = true; }
    bool Dirty() const { return dirty_; }
    // Writes the file when there are changes. Throws MachineError; the changes stay pending then.
    void Flush();

    // The key at a stored place, or null.
    std::shared_ptr<RegKey> Find(const StoredKeyPath& path) const;
    // REGEDIT4 text of the key at fullPath ("HKLM\Software\X", "HKEY_CLASSES_ROOT\.txt") and
    // everything below it, or of the whole registry for an empty path; nothing when the key
    // does not exist or the root is unknown.
    std::optional<std::string> Export(std::string_view fullPath = {}) const;
    // Merges REGEDIT4 text as a regedit import does. Throws RegFileError naming source; the
    // registry is unchanged then.
    void Import(std::string_view text, const std::string& source);

private:
    std::filesystem::path file_;
    RegistryTree tree_;
    bool dirty_ = false;
};

} // namespace tarn::platform::portable
