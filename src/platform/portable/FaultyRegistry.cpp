#include "platform/portable/FaultyRegistry.h"

#include "platform/portable/KeyRights.h"
#include "platform/portable/PortableRegistry.h"
#include "platform/portable/RegistryPath.h"

#include <algorithm>

namespace tarn::platform::portable {
namespace {

constexpr REGSAM kReadRights = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS | KEY_NOTIFY;
constexpr REGSAM kWriteRights =
    KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK | DELETE_ACCESS;

bool WithinAny(const std::string& path, const std::vector<std::string>& keys) {
    return std::any_of(keys.begin(), keys.end(),
                       [&](const std::string& key) { return KeyPathWithin(path, key); });
}

bool StartsWithBackslash(const std::string& s) {
    return !s.empty() && s.front() == '\\';
}

} // namespace

FaultyRegistry::FaultyRegistry(PortableRegistry& inner, const Faults& faults)
    : ForwardingRegistry(inner), registry_(inner), faults_(faults) {}

bool FaultyRegistry::HasKeyFaults() const {
    return !faults_.denyReadKeys.empty() || !faults_.denyWriteKeys.empty();
}

REGSAM FaultyRegistry::Withheld(const std::string& fullPath) const {
    REGSAM withheld = 0;
    if (WithinAny(fullPath, faults_.denyReadKeys)) withheld |= kReadRights;
    if (WithinAny(fullPath, faults_.denyWriteKeys)) withheld |= kWriteRights;
    return withheld;
}

REGSAM FaultyRegistry::Rights(HKEY key) const {
    if (auto it = limited_.find(key); it != limited_.end()) return it->second;
    // A predefined root is opened anew by every call.
    if (!HasKeyFaults() || !StoredPlace(key)) return KEY_ALL_ACCESS;
    return KEY_ALL_ACCESS & ~Withheld(registry_.FullPathOf(key).value_or(std::string()));
}

LONG FaultyRegistry::Check(HKEY key, REGSAM needed) const {
    return (Rights(key) & needed) == needed ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

LONG FaultyRegistry::Admit(HKEY& key, REGSAM access) {
    if (!HasKeyFaults()) return ERROR_SUCCESS;
    const std::optional<std::string> path = registry_.FullPathOf(key);
    const REGSAM withheld = path ? Withheld(*path) : 0;
    if (withheld == 0) return ERROR_SUCCESS;
    const REGSAM granted = GrantedRights(access, withheld);
    if (granted & withheld) {
        Inner().CloseKey(key);
        key = 0;
        return ERROR_ACCESS_DENIED;
    }
    limited_[key] = granted;
    return ERROR_SUCCESS;
}

bool FaultyRegistry::ValueWritesRefused(HKEY key) const {
    if (faults_.refuseValueWriteKeys.empty()) return false;
    const std::optional<std::string> path = registry_.FullPathOf(key);
    return path && WithinAny(*path, faults_.refuseValueWriteKeys);
}

LONG FaultyRegistry::Probe(HKEY parent, const std::string& subKey) {
    HKEY found = 0;
    const LONG rc = Inner().OpenKey(parent, subKey, 0, found);
    if (rc == ERROR_SUCCESS) Inner().CloseKey(found);
    return rc;
}

LONG FaultyRegistry::OpenKey(HKEY parent, const std::string& subKey, REGSAM access, HKEY& result) {
    if (LONG rc = ForwardingRegistry::OpenKey(parent, subKey, access, result)) return rc;
    return Admit(result, access);
}

LONG FaultyRegistry::CreateKey(HKEY parent, const std::string& subKey, REGSAM access, HKEY& result,
                               bool* created) {
    const bool parentMayCreate = Rights(parent) & KEY_CREATE_SUB_KEY;
    const std::vector<std::string> names = SplitKeyNames(subKey);
    // Without key faults, and for a path refused before any right is looked at, the registry's
    // own answer is the whole answer.
    if ((!HasKeyFaults() && parentMayCreate) || StartsWithBackslash(subKey) ||
        !std::all_of(names.begin(), names.end(), StorableName))
        return ForwardingRegistry::CreateKey(parent, subKey, access, result, created);

    const LONG found = Probe(parent, subKey);
    if (found == ERROR_SUCCESS) {
        // The key exists: it is opened as by OpenKey.
        if (LONG rc = ForwardingRegistry::CreateKey(parent, subKey, access, result, created))
            return rc;
        return Admit(result, access);
    }
    if (found != ERROR_FILE_NOT_FOUND)
        return ForwardingRegistry::CreateKey(parent, subKey, access, result, created);

    // New keys: every check comes before the first key is made, in the registry's order.
    result = 0;
    if (created) *created = false;
    if (!parentMayCreate) return ERROR_ACCESS_DENIED;
    const std::string path = registry_.FullPathOf(parent).value_or(std::string()) + '\\' + subKey;
    const std::optional<StoredKeyPath> stored = ToStoredPath(path);
    if (!stored || stored->names.size() > kMaxKeyDepth)
        return ForwardingRegistry::CreateKey(parent, subKey, access, result, created);
    const REGSAM withheld = Withheld(path);
    const REGSAM granted = GrantedRights(access, withheld);
    if ((withheld & KEY_CREATE_SUB_KEY) || (granted & withheld)) return ERROR_ACCESS_DENIED;
    if (LONG rc = ForwardingRegistry::CreateKey(parent, subKey, access, result, created)) return rc;
    if (withheld) limited_[result] = granted;
    return ERROR_SUCCESS;
}

LONG FaultyRegistry::CloseKey(HKEY key) {
    const LONG rc = ForwardingRegistry::CloseKey(key);
    if (rc == ERROR_SUCCESS) limited_.erase(key);
    return rc;
}

LONG FaultyRegistry::DeleteKey(HKEY parent, const std::string& subKey) {
    if (!HasKeyFaults() || StartsWithBackslash(subKey))
        return ForwardingRegistry::DeleteKey(parent, subKey);
    const std::optional<std::string> parentPath = registry_.FullPathOf(parent);
    if (!parentPath) return ForwardingRegistry::DeleteKey(parent, subKey);
    const std::string path =
        SplitKeyNames(subKey).empty() ? *parentPath : *parentPath + '\\' + subKey;
    // Every refusal after the key has been found is ERROR_ACCESS_DENIED as well.
    if (!(Withheld(path) & DELETE_ACCESS) || Probe(parent, subKey) != ERROR_SUCCESS)
        return ForwardingRegistry::DeleteKey(parent, subKey);
    return ERROR_ACCESS_DENIED;
}

LONG FaultyRegistry::EnumKey(HKEY key, DWORD index, std::string& name) {
    if (LONG rc = Check(key, KEY_ENUMERATE_SUB_KEYS)) return rc;
    return ForwardingRegistry::EnumKey(key, index, name);
}

LONG FaultyRegistry::EnumValue(HKEY key, DWORD index, std::string& name, DWORD* type) {
    if (LONG rc = Check(key, KEY_QUERY_VALUE)) return rc;
    return ForwardingRegistry::EnumValue(key, index, name, type);
}

LONG FaultyRegistry::QueryInfoKey(HKEY key, RegKeyInfo& info) {
    if (LONG rc = Check(key, KEY_QUERY_VALUE)) return rc;
    return ForwardingRegistry::QueryInfoKey(key, info);
}

LONG FaultyRegistry::QueryValue(HKEY key, const std::string& name, DWORD& type,
                                std::vector<std::uint8_t>& data) {
    if (LONG rc = Check(key, KEY_QUERY_VALUE)) return rc;
    return ForwardingRegistry::QueryValue(key, name, type, data);
}

LONG FaultyRegistry::SetValue(HKEY key, const std::string& name, DWORD type,
                              const std::uint8_t* data, std::size_t size) {
    if (LONG rc = Check(key, KEY_SET_VALUE)) return rc;
    // Bad arguments are refused first.
    if ((data || size == 0) && StorableName(name) && ValueWritesRefused(key))
        return ERROR_ACCESS_DENIED;
    return ForwardingRegistry::SetValue(key, name, type, data, size);
}

LONG FaultyRegistry::DeleteValue(HKEY key, const std::string& name) {
    if (LONG rc = Check(key, KEY_SET_VALUE)) return rc;
    if (ValueWritesRefused(key)) return ERROR_ACCESS_DENIED;
    return ForwardingRegistry::DeleteValue(key, name);
}

} // namespace tarn::platform::portable
