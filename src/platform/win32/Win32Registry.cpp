#include "platform/win32/WindowsApi.h"

#include "platform/win32/Handles.h"
#include "platform/win32/Win32Registry.h"

namespace tarn::platform::win32 {
namespace {

// Longest key name plus its terminator; value names may be longer.
constexpr ::DWORD kKeyNameBuffer = 256;
constexpr ::DWORD kValueNameBuffer = 16384;

} // namespace

LONG Win32Registry::OpenKey(HKEY parent, const std::string& subKey, REGSAM access, HKEY& result) {
    ::HKEY key = nullptr;
    LONG rc = ::RegOpenKeyExA(ToWin32(parent), subKey.c_str(), 0, access, &key);
    result = rc == ERROR_SUCCESS ? FromWin32(key) : 0;
    return rc;
}

LONG Win32Registry::CreateKey(HKEY parent, const std::string& subKey, REGSAM access, HKEY& result,
                              bool* created) {
    ::HKEY key = nullptr;
    ::DWORD disposition = 0;
    LONG rc = ::RegCreateKeyExA(ToWin32(parent), subKey.c_str(), 0, nullptr,
                                REG_OPTION_NON_VOLATILE, access, nullptr, &key, &disposition);
    result = rc == ERROR_SUCCESS ? FromWin32(key) : 0;
    if (created) *created = rc == ERROR_SUCCESS && disposition == REG_CREATED_NEW_KEY;
    return rc;
}

LONG Win32Registry::CloseKey(HKEY key) {
    return ::RegCloseKey(ToWin32(key));
}

LONG Win32Registry::FlushKey(HKEY key) {
    return ::RegFlushKey(ToWin32(key));
}

LONG Win32Registry::DeleteKey(HKEY parent, const std::string& subKey) {
    return ::RegDeleteKeyA(ToWin32(parent), subKey.c_str());
}

LONG Win32Registry::EnumKey(HKEY key, DWORD index, std::string& name) {
    std::string buffer(kKeyNameBuffer, '\0');
    ::DWORD length = kKeyNameBuffer;
    LONG rc = ::RegEnumKeyExA(ToWin32(key), index, buffer.data(), &length, nullptr, nullptr,
                              nullptr, nullptr);
    if (rc == ERROR_SUCCESS) name.assign(buffer.data(), length);
    return rc;
}

LONG Win32Registry::EnumValue(HKEY key, DWORD index, std::string& name, DWORD* type) {
    std::string buffer(kValueNameBuffer, '\0');
    ::DWORD length = kValueNameBuffer;
    ::DWORD valueType = 0;
    LONG rc = ::RegEnumValueA(ToWin32(key), index, buffer.data(), &length, nullptr, &valueType,
                              nullptr, nullptr);
    if (rc == ERROR_SUCCESS) {
        name.assign(buffer.data(), length);
        if (type) *type = valueType;
    }
    return rc;
}

LONG Win32Registry::QueryInfoKey(HKEY key, RegKeyInfo& info) {
    ::DWORD subKeys = 0, maxSubKeyLen = 0, values = 0, maxValueNameLen = 0, maxValueLen = 0;
    LONG rc =
        ::RegQueryInfoKeyA(ToWin32(key), nullptr, nullptr, nullptr, &subKeys, &maxSubKeyLen,
                           nullptr, &values, &maxValueNameLen, &maxValueLen, nullptr, nullptr);
    if (rc == ERROR_SUCCESS) info = {subKeys, maxSubKeyLen, values, maxValueNameLen, maxValueLen};
    return rc;
}

LONG Win32Registry::QueryValue(HKEY key, const std::string& name, DWORD& type,
                               std::vector<std::uint8_t>& data) {
    ::DWORD size = 0;
    ::DWORD valueType = 0;
    LONG rc = ::RegQueryValueExA(ToWin32(key), name.c_str(), nullptr, &valueType, nullptr, &size);
    while (rc == ERROR_SUCCESS || rc == static_cast<LONG>(ERROR_MORE_DATA)) {
        data.assign(size, 0);
        rc =
            ::RegQueryValueExA(ToWin32(key), name.c_str(), nullptr, &valueType, data.data(), &size);
        if (rc == ERROR_SUCCESS) {
            data.resize(size);
            type = valueType;
            return rc;
        }
    }
    return rc;
}

LONG Win32Registry::SetValue(HKEY key, const std::string& name, DWORD type,
                             const std::uint8_t* data, std::size_t size) {
    return ::RegSetValueExA(ToWin32(key), name.c_str(), 0, type, data, static_cast<::DWORD>(size));
}

LONG Win32Registry::DeleteValue(HKEY key, const std::string& name) {
    return ::RegDeleteValueA(ToWin32(key), name.c_str());
}

} // namespace tarn::platform::win32
