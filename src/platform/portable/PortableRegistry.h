// The registry calls of the embedded machine, with the semantics and error codes of advapi32 on
// Windows NT/XP: numbered handles that remember their granted access, predefined roots that need
// no closing, ERROR_KEY_DELETED for handles whose key went away. Faults stand in for key ACLs.
#pragma once

#include "platform/Registry.h"
#include "platform/portable/Faults.h"
#include "platform/portable/RegistryStore.h"

#include <map>
#include <memory>

namespace tarn::platform::portable {

class PortableRegistry : public IRegistry {
public:
    PortableRegistry(RegistryStore& store, Faults& faults);

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

private:
    struct Handle {
        std::shared_ptr<RegKey> key;
        REGSAM access = 0;
    };

    // The key behind a handle, checked for the rights the call needs and for deletion.
    LONG Resolve(HKEY hkey, REGSAM needed, Handle& out);
    std::shared_ptr<RegKey> PredefinedKey(HKEY hkey);
    // Rights the faults take away from a key (given by its full path when it does not exist yet).
    REGSAM DeniedRights(const std::string& fullPath) const;
    REGSAM DeniedRights(const RegKey& key) const;
    bool ValueWritesRefused(const RegKey& key) const;
    // The rights a handle gets for an access request, or ERROR_ACCESS_DENIED.
    static LONG Grant(REGSAM denied, REGSAM requested, REGSAM& granted);
    HKEY NewHandle(std::shared_ptr<RegKey> key, REGSAM access);
    bool HasKeyFaults() const;

    RegistryStore& store_;
    Faults& faults_;
    std::map<HKEY, Handle> handles_;
    HKEY nextHandle_ = 0x100;
};

} // namespace tarn::platform::portable
