#include "framework/Registry.h"

#include <cstring>

#include "framework/StringList.h"
#include "platform/Platform.h"

namespace tarn {

using namespace tarn::platform;

TRegistry::TRegistry() : rootKey_(HKEY_CURRENT_USER) {}

TRegistry::~TRegistry() {
    CloseKey();
}

void TRegistry::SetRootKey(HKEY root) {
    if (root == rootKey_) return;
    CloseKey();
    rootKey_ = root;
}

void TRegistry::CloseKey() {
    if (!currentKey_) return;
    if (!lazyWrite_) Registry().FlushKey(currentKey_);
    Registry().CloseKey(currentKey_);
    currentKey_ = 0;
    currentPath_.clear();
}

void TRegistry::ChangeKey(HKEY key, const std::string& path) {
    CloseKey();
    currentKey_ = key;
    currentPath_ = path;
}

bool TRegistry::OpenKey(const std::string& key, bool canCreate) {
    bool relative = IsRelative(key);
    std::string s = WithoutLeadingBackslash(key);
    HKEY h = 0;
    LONG rc = canCreate && !s.empty() ? Registry().CreateKey(BaseKey(relative), s, access_, h)
                                      : Registry().OpenKey(BaseKey(relative), s, access_, h);
    if (rc != ERROR_SUCCESS) return false;
    ChangeKey(h, relative && currentKey_ ? currentPath_ + "\\" + s : s);
    return true;
}

bool TRegistry::KeyExists(const std::string& key) {
    bool relative = IsRelative(key);
    HKEY h = 0;
    if (Registry().OpenKey(BaseKey(relative), WithoutLeadingBackslash(key), KEY_READ, h) !=
        ERROR_SUCCESS)
        return false;
    Registry().CloseKey(h);
    return true;
}

bool TRegistry::DeleteKey(const std::string& key) {
    return Registry().DeleteKey(BaseKey(IsRelative(key)), WithoutLeadingBackslash(key)) ==
           ERROR_SUCCESS;
}

void TRegistry::GetKeyNames(TStringList& list) {
    list.Clear();
    if (!currentKey_) return;
    std::string name;
    for (DWORD i = 0; Registry().EnumKey(currentKey_, i, name) == ERROR_SUCCESS; ++i)
        list.Add(name);
}

void TRegistry::GetValueNames(TStringList& list) {
    list.Clear();
    if (!currentKey_) return;
    std::string name;
    for (DWORD i = 0; Registry().EnumValue(currentKey_, i, name) == ERROR_SUCCESS; ++i)
        list.Add(name);
}

bool TRegistry::HasSubKeys() {
    RegKeyInfo info;
    return currentKey_ && Registry().QueryInfoKey(currentKey_, info) == ERROR_SUCCESS &&
           info.subKeys > 0;
}

bool TRegistry::ValueExists(const std::string& name) {
    DWORD type = 0;
    std::vector<std::uint8_t> data;
    return ReadData(name, type, data);
}

bool TRegistry::ReadData(const std::string& name, DWORD& type, std::vector<std::uint8_t>& data) {
    return currentKey_ && Registry().QueryValue(currentKey_, name, type, data) == ERROR_SUCCESS;
}

std::string TRegistry::ReadString(const std::string& name) {
    DWORD type = 0;
    std::vector<std::uint8_t> data;
    if (!ReadData(name, type, data) || data.empty()) return {};
    if (type != REG_SZ && type != REG_EXPAND_SZ) throw ERegistryException(SInvalidRegType, name);
    std::string s(data.begin(), data.end());
    // The text ends at its terminating NUL, as a C string would.
    if (auto nul = s.find('\0'); nul != std::string::npos) s.resize(nul);
    return s;
}

std::int32_t TRegistry::ReadInteger(const std::string& name) {
    DWORD type = 0;
    std::vector<std::uint8_t> data;
    if (!ReadData(name, type, data)) throw ERegistryException(SRegGetDataFailed, name);
    if (type != REG_DWORD || data.size() != 4) throw ERegistryException(SInvalidRegType, name);
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(data[0]) | static_cast<std::uint32_t>(data[1]) << 8 |
        static_cast<std::uint32_t>(data[2]) << 16 | static_cast<std::uint32_t>(data[3]) << 24);
}

double TRegistry::ReadFloat(const std::string& name) {
    DWORD type = 0;
    std::vector<std::uint8_t> data;
    if (!ReadData(name, type, data)) throw ERegistryException(SRegGetDataFailed, name);
    if (type != REG_BINARY || data.size() != sizeof(double))
        throw ERegistryException(SInvalidRegType, name);
    double value = 0;
    std::memcpy(&value, data.data(), sizeof value);
    return value;
}

void TRegistry::WriteFloat(const std::string& name, double value) {
    PutData(name, REG_BINARY, &value, sizeof value);
}

void TRegistry::PutData(const std::string& name, DWORD type, const void* data, std::size_t size) {
    if (!currentKey_ ||
        Registry().SetValue(currentKey_, name, type, static_cast<const std::uint8_t*>(data),
                            size) != ERROR_SUCCESS)
        throw ERegistryException(SRegSetDataFailed, name);
}

void TRegistry::WriteString(const std::string& name, const std::string& value) {
    PutData(name, REG_SZ, value.c_str(), value.size() + 1);
}

void TRegistry::WriteExpandString(const std::string& name, const std::string& value) {
    PutData(name, REG_EXPAND_SZ, value.c_str(), value.size() + 1);
}

void TRegistry::WriteInteger(const std::string& name, std::int32_t value) {
    std::uint32_t v = static_cast<std::uint32_t>(value);
    std::uint8_t bytes[4] = {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                             static_cast<std::uint8_t>(v >> 16),
                             static_cast<std::uint8_t>(v >> 24)};
    PutData(name, REG_DWORD, bytes, sizeof bytes);
}

bool TRegistry::DeleteValue(const std::string& name) {
    return currentKey_ && Registry().DeleteValue(currentKey_, name) == ERROR_SUCCESS;
}

} // namespace tarn
