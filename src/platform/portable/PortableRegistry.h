// The registry calls of the embedded machine, with the semantics and error codes of advapi32 on
// Windows NT/XP: numbered handles that remember their granted access, predefined roots that need
// no closing, ERROR_KEY_DELETED for handles whose key went away. Keys have no ACLs: a handle gets
// the rights it asks for (FaultyRegistry withholds some in front of it).
#pragma once

#include "platform/Registry.h"
#include "platform/portable/RegistryStore.h"

#include <map>
#include <memory>
#include <optional>
#include <string>

namespace tarn::platform::portable {

class PortableRegistry : public IRegistry {
public:
    explicit PortableRegistry(RegistryStore& store);

    LONG OpenKey(HKEY parent, const std::string& subKey, REGSAM access, HKEY& result) override;
    LONG CreateKey(HKEY parent, const std::string& subKey, REGSAM access, HKEY& result,
                   bool* created = nullptr) override;
    LONG CloseKey(HKEY key) override;
    LONG FlushKey(HKEY key) override;
    LONG DeleteKey(HKEY parent, const std::string& subKey) override;
    LONG EnumKey(HKEY key, DWORD index, std::string& name) override;
    LONG EnumValue(HKEY key, DWORD index, std::string& name, DWORD* type = nullptr) override;
    LONG QueryInfoKey(HKEY key, RegKeyInfo& info) override;
    LONG QueryValue(HKEY key, const std::string& name, DWORD& type,
                    std::vector<std::uint8_t>& data) override;
    LONG SetValue(HKEY key, const std::string& name, DWORD type, const std::uint8_t* data,
                  std::size_t size) override;
    LONG DeleteValue(HKEY key, const std::string& name) override;

    // Handles opened and not yet closed (predefined roots not counted).
    std::size_t OpenHandleCount() const { return handles_.size(); }
    // The full path ("HKEY_LOCAL_MACHINE\Software\Classes") of the key behind a handle or
    // predefined root; nothing for an unknown handle or a deleted key.
    std::optional<std::string> FullPathOf(HKEY key) const;

private:
    struct Handle {
        std::shared_ptr<RegKey> key;
        REGSAM access = 0;
    };

    // The key behind a handle, checked for the rights the call needs and for deletion.
    LONG Resolve(HKEY hkey, REGSAM needed, Handle& out);
    std::shared_ptr<RegKey> PredefinedKey(HKEY hkey);
    HKEY NewHandle(std::shared_ptr<RegKey> key, REGSAM access);

    RegistryStore& store_;
    std::map<HKEY, Handle> handles_;
    HKEY nextHandle_ = 0x100;
};

} // namespace tarn::platform::portable
