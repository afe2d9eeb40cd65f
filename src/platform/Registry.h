// Registry service: the advapi32 registry calls, with their Win32 semantics and error codes.
#pragma once

#include "platform/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tarn::platform {

struct RegKeyInfo {
    DWORD subKeys = 0;
    DWORD maxSubKeyLen = 0;
    DWORD values = 0;
    DWORD maxValueNameLen = 0;
    DWORD maxValueLen = 0;
};

class IRegistry {
public:
    virtual ~IRegistry() = default;

    // RegOpenKeyEx. An empty subKey opens a new handle to parent itself.
    virtual LONG OpenKey(HKEY parent, const std::string& subKey, REGSAM access, HKEY& result) = 0;
    // RegCreateKeyEx (non-volatile). created, when given, tells whether the key is new.
    virtual LONG CreateKey(HKEY parent, const std::string& subKey, REGSAM access, HKEY& result,
                           bool* created = nullptr) = 0;
    virtual LONG CloseKey(HKEY key) = 0;
    // RegFlushKey: the key's data reaches stable storage before the call returns.
    virtual LONG FlushKey(HKEY key) = 0;
    // RegDeleteKey: fails while the key still has subkeys.
    virtual LONG DeleteKey(HKEY parent, const std::string& subKey) = 0;
    // RegEnumKeyEx: ERROR_NO_MORE_ITEMS past the end.
    virtual LONG EnumKey(HKEY key, DWORD index, std::string& name) = 0;
    // RegEnumValue: names only, with the type when asked.
    virtual LONG EnumValue(HKEY key, DWORD index, std::string& name, DWORD* type = nullptr) = 0;
    virtual LONG QueryInfoKey(HKEY key, RegKeyInfo& info) = 0;
    // RegQueryValueEx: ERROR_FILE_NOT_FOUND when the value does not exist.
    virtual LONG QueryValue(HKEY key, const std::string& name, DWORD& type,
                            std::vector<std::uint8_t>& data) = 0;
    virtual LONG SetValue(HKEY key, const std::string& name, DWORD type, const std::uint8_t* data,
                          std::size_t size) = 0;
    virtual LONG DeleteValue(HKEY key, const std::string& name) = 0;
};

} // namespace tarn::platform
