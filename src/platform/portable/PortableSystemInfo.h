// System information of the embedded machine, read from the registry where Windows keeps it.
#pragma once

#include "platform/Registry.h"
#include "platform/SystemInfo.h"

#include <functional>

namespace tarn::platform::portable {

class PortableSystemInfo : public ISystemInfo {
public:
    // moduleFileName gives the Windows path of the running program.
    // codePage is the machine's ANSI code page, read when the machine was opened: as on Windows,
    // a change takes effect at the next start.
    PortableSystemInfo(IRegistry& registry, unsigned codePage,
                       std::function<std::string()> moduleFileName);

    bool GetVersion(OsVersion& version) override;
    DWORD GetWindowsDirectory(std::string& path) override;
    DWORD GetSystemDirectory(std::string& path) override;
    DWORD GetTempPath(std::string& path) override;
    WORD GetUserDefaultLangID() override;
    unsigned GetACP() override { return codePage_; }
    std::string GetModuleFileName() override;
    // From the host process; a value the code page cannot hold counts as not set.
    bool GetEnvironmentVariable(const std::string& name, std::string& value) override;
    int CompareString(const std::string& a, const std::string& b, bool ignoreCase) override;
    std::string CharToOem(const std::string& text) override;
    std::string ErrorText(DWORD code) override;

    // The version the registry describes.
    OsVersion RegistryVersion();
    // The folders where Windows of the 95 family, or else of the NT family, keeps them; the calls
    // above take the family of RegistryVersion().
    DWORD WindowsDirectoryFor(bool windows95Family, std::string& path);
    DWORD SystemDirectoryFor(bool windows95Family, std::string& path);
    DWORD TempPathFor(bool windows95Family, std::string& path);

private:
    bool ReadString(HKEY root, const std::string& key, const std::string& name, std::string& out);
    bool IsWindows95Family();

    IRegistry& registry_;
    unsigned codePage_;
    std::function<std::string()> moduleFileName_;
};

// Registry places the machine's version lives in.
inline constexpr const char* kNtVersionKey = "Software\\Microsoft\\Windows NT\\CurrentVersion";
inline constexpr const char* kWindowsVersionKey = "Software\\Microsoft\\Windows\\CurrentVersion";
inline constexpr const char* kCodePageKey = "SYSTEM\\CurrentControlSet\\Control\\Nls\\CodePage";

// The machine's ANSI code page ("ACP" under kCodePageKey); 1252 when it is missing or names a
// code page this system cannot convert.
unsigned ReadAnsiCodePage(IRegistry& registry);

} // namespace tarn::platform::portable
