// System information service: version query, well-known folders, locale, own program path.
#pragma once

#include "platform/WinTypes.h"

#include <cstdint>
#include <string>

namespace tarn::platform {

struct OsVersion {
    DWORD platformId = VER_PLATFORM_WIN32_NT;
    DWORD major = 5;
    DWORD minor = 1;
    DWORD build = 2600;
    std::string csdVersion;
};

class ISystemInfo {
public:
    virtual ~ISystemInfo() = default;

    // GetVersionEx: false when the system does not report its version.
    virtual bool GetVersion(OsVersion& version) = 0;
    virtual DWORD GetWindowsDirectory(std::string& path) = 0;
    virtual DWORD GetSystemDirectory(std::string& path) = 0;
    // GetTempPath: the temporary folder with a trailing backslash.
    virtual DWORD GetTempPath(std::string& path) = 0;
    virtual WORD GetUserDefaultLangID() = 0;
    // GetACP: the ANSI code page every std::string of the machine is in.
    virtual unsigned GetACP() = 0;
    // GetModuleFileName(NULL): the Windows path of the running program.
    virtual std::string GetModuleFileName() = 0;
    // GetEnvironmentVariable of the running process: false when the variable is not set.
    virtual bool GetEnvironmentVariable(const std::string& name, std::string& value) = 0;
    // CompareString in the user's locale: negative, zero or positive.
    virtual int CompareString(const std::string& a, const std::string& b, bool ignoreCase) = 0;
    // CharToOem: same length, ANSI to the OEM code page.
    virtual std::string CharToOem(const std::string& text) = 0;
    // FormatMessage(FORMAT_MESSAGE_FROM_SYSTEM) for an error code.
    virtual std::string ErrorText(DWORD code) = 0;
};

} // namespace tarn::platform
