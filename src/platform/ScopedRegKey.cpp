#include "platform/ScopedRegKey.h"

#include <utility>

namespace tarn::platform {

ScopedRegKey::ScopedRegKey(ScopedRegKey&& other) noexcept
    : registry_(other.registry_), key_(other.key_), valid_(std::exchange(other.valid_, false)) {
    other.key_ = 0;
}

ScopedRegKey& ScopedRegKey::operator=(ScopedRegKey&& other) noexcept {
    if (this != &other) {
        Close();
        registry_ = other.registry_;
        key_ = std::exchange(other.key_, 0);
        valid_ = std::exchange(other.valid_, false);
    }
    return *this;
}

LONG ScopedRegKey::Open(HKEY parent, const std::string& subKey, REGSAM access) {
    HKEY key = 0;
    const LONG rc = registry_->OpenKey(parent, subKey, access, key);
    if (rc == ERROR_SUCCESS) Adopt(key);
    return rc;
}

LONG ScopedRegKey::Create(HKEY parent, const std::string& subKey, REGSAM access, bool* created) {
    HKEY key = 0;
    const LONG rc = registry_->CreateKey(parent, subKey, access, key, created);
    if (rc == ERROR_SUCCESS) Adopt(key);
    return rc;
}

// The old key is closed only after the new one is open: it may have been the new one's parent.
void ScopedRegKey::Adopt(HKEY key) {
    Close();
    key_ = key;
    valid_ = true;
}

void ScopedRegKey::Close() {
    if (!valid_) return;
    valid_ = false;
    registry_->CloseKey(std::exchange(key_, 0));
}

LONG ScopedRegKey::ReadValue(const std::string& name, DWORD& type,
                             std::vector<std::uint8_t>& data) const {
    return registry_->QueryValue(Handle(), name, type, data);
}

LONG ScopedRegKey::ReadString(const std::string& name, std::string& out) const {
    DWORD type = 0;
    std::vector<std::uint8_t> data;
    if (LONG rc = ReadValue(name, type, data); rc != ERROR_SUCCESS) return rc;
    if (type != REG_SZ && type != REG_EXPAND_SZ) return ERROR_CANTREAD;
    out.assign(data.begin(), data.end());
    while (!out.empty() && out.back() == '\0')
        out.pop_back();
    return ERROR_SUCCESS;
}

LONG ScopedRegKey::WriteValue(const std::string& name, DWORD type,
                              const std::vector<std::uint8_t>& data) {
    return registry_->SetValue(Handle(), name, type, data.data(), data.size());
}

LONG ScopedRegKey::WriteString(const std::string& name, const std::string& value) {
    const std::string data = value + '\0';
    return registry_->SetValue(Handle(), name, REG_SZ,
                               reinterpret_cast<const std::uint8_t*>(data.data()), data.size());
}

LONG ScopedRegKey::DeleteValue(const std::string& name) {
    return registry_->DeleteValue(Handle(), name);
}

LONG ScopedRegKey::EnumKey(DWORD index, std::string& name) const {
    return registry_->EnumKey(Handle(), index, name);
}

LONG ScopedRegKey::EnumValue(DWORD index, std::string& name) const {
    return registry_->EnumValue(Handle(), index, name);
}

std::vector<std::string> ScopedRegKey::SubKeyNames() const {
    std::vector<std::string> names;
    std::string name;
    for (DWORD i = 0; EnumKey(i, name) == ERROR_SUCCESS; ++i)
        names.push_back(name);
    return names;
}

std::vector<std::string> ScopedRegKey::ValueNames() const {
    std::vector<std::string> names;
    std::string name;
    for (DWORD i = 0; EnumValue(i, name) == ERROR_SUCCESS; ++i)
        names.push_back(name);
    return names;
}

} // namespace tarn::platform
