// Registry service on advapi32: RegOpenKeyExA and its kin, results as Windows gives them.
#pragma once

#include "platform/Registry.h"

namespace tarn::platform::win32 {

class Win32Registry : public IRegistry {
public:
    LONG OpenKey(HKEY parent, const std::string& subKey, REGSAM access, HKEY& result) override;
    LONG CreateKey(HKEY parent, const std::string& subKey, REGSAM access, HKEY& result,
                   bool* created) override;
    LONG CloseKey(HKEY key) override;
    LONG FlushKey(HKEY key) override;
    LONG DeleteKey(HKEY parent, const std::string& subKey) override;
    LONG EnumKey(HKEY key, DWORD index, std::string& name) override;
    LONG EnumValue(HKEY key, DWORD index, std::string& name, DWORD* type) override;
    LONG QueryInfoKey(HKEY key, RegKeyInfo& info) override;
    LONG QueryValue(HKEY key, const std::string& name, DWORD& type,
                    std::vector<std::uint8_t>& data) override;
    LONG SetValue(HKEY key, const std::string& name, DWORD type, const std::uint8_t* data,
                  std::size_t size) override;
    LONG DeleteValue(HKEY key, const std::string& name) override;
};

} // namespace tarn::platform::win32
