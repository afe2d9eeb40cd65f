// System information service: GetVersionExA, the system folders, the user's locale.
#pragma once

#include "platform/SystemInfo.h"

namespace tarn::platform::win32 {

class Win32SystemInfo : public ISystemInfo {
public:
    bool GetVersion(OsVersion& version) override;
    DWORD GetWindowsDirectory(std::string& path) override;
    DWORD GetSystemDirectory(std::string& path) override;
    DWORD GetTempPath(std::string& path) override;
    WORD GetUserDefaultLangID() override;
    unsigned GetACP() override;
    std::string GetModuleFileName() override;
    bool GetEnvironmentVariable(const std::string& name, std::string& value) override;
    int CompareString(const std::string& a, const std::string& b, bool ignoreCase) override;
    std::string CharToOem(const std::string& text) override;
    std::string ErrorText(DWORD code) override;
};

} // namespace tarn::platform::win32
