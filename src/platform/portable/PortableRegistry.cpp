#include "platform/portable/PortableRegistry.h"

#include "platform/portable/KeyRights.h"
#include "platform/portable/Machine.h"

#include <algorithm>

namespace tarn::platform::portable {
namespace {

bool StartsWithBackslash(const std::string& s) {
    return !s.empty() && s.front() == '\\';
}

std::size_t Depth(const RegKey& key) {
    std::size_t depth = 0;
    for (const RegKey* k = key.Parent(); k; k = k->Parent())
        ++depth;
    return depth;
}

} // namespace

PortableRegistry::PortableRegistry(RegistryStore& store) : store_(store) {}

std::optional<std::string> PortableRegistry::FullPathOf(HKEY key) const {
    if (auto it = handles_.find(key); it != handles_.end()) {
        if (it->second.key->Deleted()) return std::nullopt;
        return it->second.key->FullPath();
    }
    auto place = StoredPlace(key);
    if (!place) return std::nullopt;
    std::string path = RootName(place->root);
    for (const std::string& name : place->names)
        path += '\\' + name;
    return path;
}

std::shared_ptr<RegKey> PortableRegistry::PredefinedKey(HKEY hkey) {
    auto place = StoredPlace(hkey);
    if (!place) return nullptr;
    // HKEY_CLASSES_ROOT and HKEY_CURRENT_CONFIG always exist on Windows: make their keys.
    std::shared_ptr<RegKey> key = store_.Tree().RootPtr(place->root);
    for (const std::string& name : place->names) {
        auto sub = key->FindSubKey(name);
        if (!sub) {
            sub = key->AddSubKey(name);
            store_.MarkDirty();
        }
        key = std::move(sub);
    }
    return key;
}

LONG PortableRegistry::Resolve(HKEY hkey, REGSAM needed, Handle& out) {
    if (auto it = handles_.find(hkey); it != handles_.end()) {
        out = it->second;
    } else if (auto key = PredefinedKey(hkey)) {
        out = Handle{std::move(key), KEY_ALL_ACCESS};
    } else {
        return ERROR_INVALID_HANDLE;
    }
    // As on NT, the handle's rights are checked before the key's state.
    if ((out.access & needed) != needed) return ERROR_ACCESS_DENIED;
    if (out.key->Deleted()) return ERROR_KEY_DELETED;
    return ERROR_SUCCESS;
}

HKEY PortableRegistry::NewHandle(std::shared_ptr<RegKey> key, REGSAM access) {
    HKEY h = nextHandle_;
    nextHandle_ += 4; // never reused, so a stale handle stays invalid
    handles_.emplace(h, Handle{std::move(key), access});
    return h;
}

LONG PortableRegistry::OpenKey(HKEY parent, const std::string& subKey, REGSAM access,
                               HKEY& result) {
    result = 0;
    Handle base;
    if (LONG rc = Resolve(parent, 0, base)) return rc;
    std::string_view path = subKey;
    // Windows NT lets a path below HKEY_CLASSES_ROOT start with one backslash, no other.
    if (parent == HKEY_CLASSES_ROOT && StartsWithBackslash(subKey)) path.remove_prefix(1);
    if (!path.empty() && path.front() == '\\') return ERROR_BAD_PATHNAME;
    std::shared_ptr<RegKey> key = base.key;
    for (const std::string& name : SplitKeyNames(path)) {
        key = key->FindSubKey(name);
        if (!key) return ERROR_FILE_NOT_FOUND;
    }
    result = NewHandle(std::move(key), GrantedRights(access));
    return ERROR_SUCCESS;
}

LONG PortableRegistry::CreateKey(HKEY parent, const std::string& subKey, REGSAM access,
                                 HKEY& result, bool* created) {
    result = 0;
    if (created) *created = false;
    Handle base;
    if (LONG rc = Resolve(parent, 0, base)) return rc;
    if (StartsWithBackslash(subKey)) return ERROR_BAD_PATHNAME;
    std::vector<std::string> names = SplitKeyNames(subKey);
    if (!std::all_of(names.begin(), names.end(), StorableName)) return ERROR_INVALID_NAME;

    std::shared_ptr<RegKey> key = base.key;
    std::size_t existing = 0;
    for (; existing < names.size(); ++existing) {
        auto sub = key->FindSubKey(names[existing]);
        if (!sub) break;
        key = std::move(sub);
    }
    if (existing == names.size()) {
        result = NewHandle(std::move(key), GrantedRights(access));
        return ERROR_SUCCESS;
    }

    // New keys: the caller's handle must allow it, and every check happens before the first
    // key is made so that a refused call leaves nothing behind.
    if (!(base.access & KEY_CREATE_SUB_KEY)) return ERROR_ACCESS_DENIED;
    if (Depth(*key) + names.size() - existing > kMaxKeyDepth) return ERROR_INVALID_PARAMETER;
    for (std::size_t i = existing; i < names.size(); ++i)
        key = key->AddSubKey(names[i]);
    store_.MarkDirty();
    if (created) *created = true;
    result = NewHandle(std::move(key), GrantedRights(access));
    return ERROR_SUCCESS;
}

LONG PortableRegistry::CloseKey(HKEY key) {
    if (handles_.erase(key)) return ERROR_SUCCESS;
    // Closing a predefined root is allowed and does nothing.
    bool predefined = key >= HKEY_CLASSES_ROOT && key <= HKEY_DYN_DATA;
    return predefined ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LONG PortableRegistry::FlushKey(HKEY key) {
    Handle h;
    if (LONG rc = Resolve(key, 0, h)) return rc;
    try {
        store_.Flush();
    } catch (const MachineError&) {
        return ERROR_CANTWRITE;
    }
    return ERROR_SUCCESS;
}

LONG PortableRegistry::DeleteKey(HKEY parent, const std::string& subKey) {
    Handle base;
    if (LONG rc = Resolve(parent, 0, base)) return rc;
    if (StartsWithBackslash(subKey)) return ERROR_BAD_PATHNAME;
    std::vector<std::string> names = SplitKeyNames(subKey);
    // An empty subkey deletes the handle's own key; the predefined roots cannot go.
    if (names.empty() && StoredPlace(parent)) return ERROR_ACCESS_DENIED;
    std::shared_ptr<RegKey> key = base.key;
    for (const std::string& name : names) {
        key = key->FindSubKey(name);
        if (!key) return ERROR_FILE_NOT_FOUND;
    }
    RegKey* above = key->Parent();
    if (!above || key->SubKeyCount() > 0) return ERROR_ACCESS_DENIED;
    above->RemoveSubKey(key->Name());
    store_.MarkDirty();
    return ERROR_SUCCESS;
}

LONG PortableRegistry::EnumKey(HKEY key, DWORD index, std::string& name) {
    Handle h;
    if (LONG rc = Resolve(key, KEY_ENUMERATE_SUB_KEYS, h)) return rc;
    if (index >= h.key->SubKeyCount()) return ERROR_NO_MORE_ITEMS;
    name = h.key->SubKeyAt(index)->Name();
    return ERROR_SUCCESS;
}

LONG PortableRegistry::EnumValue(HKEY key, DWORD index, std::string& name, DWORD* type) {
    Handle h;
    if (LONG rc = Resolve(key, KEY_QUERY_VALUE, h)) return rc;
    if (index >= h.key->ValueCount()) return ERROR_NO_MORE_ITEMS;
    const RegValue& v = h.key->ValueAt(index);
    name = v.name;
    if (type) *type = v.type;
    return ERROR_SUCCESS;
}

LONG PortableRegistry::QueryInfoKey(HKEY key, RegKeyInfo& info) {
    Handle h;
    if (LONG rc = Resolve(key, KEY_QUERY_VALUE, h)) return rc;
    const RegKey& k = *h.key;
    info = RegKeyInfo{};
    info.subKeys = static_cast<DWORD>(k.SubKeyCount());
    info.values = static_cast<DWORD>(k.ValueCount());
    for (std::size_t i = 0; i < k.SubKeyCount(); ++i)
        info.maxSubKeyLen =
            std::max(info.maxSubKeyLen, static_cast<DWORD>(k.SubKeyAt(i)->Name().size()));
    for (std::size_t i = 0; i < k.ValueCount(); ++i) {
        const RegValue& v = k.ValueAt(i);
        info.maxValueNameLen = std::max(info.maxValueNameLen, static_cast<DWORD>(v.name.size()));
        info.maxValueLen = std::max(info.maxValueLen, static_cast<DWORD>(v.data.size()));
    }
    return ERROR_SUCCESS;
}

LONG PortableRegistry::QueryValue(HKEY key, const std::string& name, DWORD& type,
                                  std::vector<std::uint8_t>& data) {
    Handle h;
    if (LONG rc = Resolve(key, KEY_QUERY_VALUE, h)) return rc;
    const RegValue* v = h.key->FindValue(name);
    if (!v) return ERROR_FILE_NOT_FOUND;
    type = v->type;
    data = v->data;
    return ERROR_SUCCESS;
}

LONG PortableRegistry::SetValue(HKEY key, const std::string& name, DWORD type,
                                const std::uint8_t* data, std::size_t size) {
    Handle h;
    if (LONG rc = Resolve(key, KEY_SET_VALUE, h)) return rc;
    if (!data && size > 0) return ERROR_INVALID_PARAMETER;
    if (!StorableName(name)) return ERROR_INVALID_NAME;
    h.key->SetValue(name, type, std::vector<std::uint8_t>(data, data + size));
    store_.MarkDirty();
    return ERROR_SUCCESS;
}

LONG PortableRegistry::DeleteValue(HKEY key, const std::string& name) {
    Handle h;
    if (LONG rc = Resolve(key, KEY_SET_VALUE, h)) return rc;
    if (!h.key->DeleteValue(name)) return ERROR_FILE_NOT_FOUND;
    store_.MarkDirty();
    return ERROR_SUCCESS;
}

} // namespace tarn::platform::portable
