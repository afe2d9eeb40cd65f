#include "platform/portable/PortableSystemInfo.h"

#include "platform/portable/CodePage.h"
#include "platform/portable/RegistryValues.h"
#include "platform/portable/WindowsText.h"

#include <cstdlib>
#include <map>

namespace tarn::platform::portable {
namespace {

// "4.10.1998" → 4, 10, 1998; missing parts stay 0.
void ParseDotted(const std::string& text, DWORD& major, DWORD& minor, DWORD& build) {
    DWORD* parts[] = {&major, &minor, &build};
    for (DWORD* p : parts)
        *p = 0;
    std::size_t i = 0;
    for (DWORD* p : parts) {
        if (i >= text.size()) break;
        char* end = nullptr;
        *p = static_cast<DWORD>(std::strtoul(text.c_str() + i, &end, 10));
        i = static_cast<std::size_t>(end - text.c_str());
        if (i < text.size() && text[i] == '.')
            ++i;
        else
            break;
    }
}

std::string WithoutTrailingBackslash(std::string s) {
    if (s.size() > 3 && s.back() == '\\') s.pop_back();
    return s;
}

} // namespace

PortableSystemInfo::PortableSystemInfo(IRegistry& registry, unsigned codePage,
                                       std::function<std::string()> moduleFileName)
    : registry_(registry), codePage_(codePage), moduleFileName_(std::move(moduleFileName)) {}

unsigned ReadAnsiCodePage(IRegistry& registry) {
    std::string text;
    if (!ReadStringValue(registry, HKEY_LOCAL_MACHINE, kCodePageKey, "ACP", text))
        return kDefaultAnsiCodePage;
    char* end = nullptr;
    const unsigned long page = std::strtoul(text.c_str(), &end, 10);
    if (end == text.c_str() || page == 0 || page > 65535 || !CodePageSupported(page))
        return kDefaultAnsiCodePage;
    return static_cast<unsigned>(page);
}

bool PortableSystemInfo::ReadString(HKEY root, const std::string& key, const std::string& name,
                                    std::string& out) {
    return ReadStringValue(registry_, root, key, name, out);
}

OsVersion PortableSystemInfo::RegistryVersion() {
    OsVersion v;
    std::string text;
    if (ReadString(HKEY_LOCAL_MACHINE, kNtVersionKey, "CurrentVersion", text)) {
        DWORD ignored = 0;
        v.platformId = VER_PLATFORM_WIN32_NT;
        ParseDotted(text, v.major, v.minor, ignored);
        std::string build;
        v.build = ReadString(HKEY_LOCAL_MACHINE, kNtVersionKey, "CurrentBuildNumber", build)
                      ? static_cast<DWORD>(std::strtoul(build.c_str(), nullptr, 10))
                      : 0;
        ReadString(HKEY_LOCAL_MACHINE, kNtVersionKey, "CSDVersion", v.csdVersion);
    } else if (ReadString(HKEY_LOCAL_MACHINE, kWindowsVersionKey, "VersionNumber", text)) {
        v.platformId = VER_PLATFORM_WIN32_WINDOWS;
        ParseDotted(text, v.major, v.minor, v.build);
        ReadString(HKEY_LOCAL_MACHINE, kWindowsVersionKey, "SubVersionNumber", v.csdVersion);
    }
    return v; // neither: the defaults describe Windows XP
}

bool PortableSystemInfo::GetVersion(OsVersion& version) {
    version = RegistryVersion();
    return true;
}

bool PortableSystemInfo::IsWindows95Family() {
    return RegistryVersion().platformId == VER_PLATFORM_WIN32_WINDOWS;
}

DWORD PortableSystemInfo::GetWindowsDirectory(std::string& path) {
    return WindowsDirectoryFor(IsWindows95Family(), path);
}

DWORD PortableSystemInfo::GetSystemDirectory(std::string& path) {
    return SystemDirectoryFor(IsWindows95Family(), path);
}

DWORD PortableSystemInfo::GetTempPath(std::string& path) {
    return TempPathFor(IsWindows95Family(), path);
}

DWORD PortableSystemInfo::WindowsDirectoryFor(bool windows95Family, std::string& path) {
    std::string root;
    if (!ReadString(HKEY_LOCAL_MACHINE, windows95Family ? kWindowsVersionKey : kNtVersionKey,
                    "SystemRoot", root) ||
        root.empty())
        root = "C:\\WINDOWS";
    path = WithoutTrailingBackslash(root);
    return ERROR_SUCCESS;
}

DWORD PortableSystemInfo::SystemDirectoryFor(bool windows95Family, std::string& path) {
    std::string windows;
    WindowsDirectoryFor(windows95Family, windows);
    path = windows + (windows95Family ? "\\SYSTEM" : "\\SYSTEM32");
    return ERROR_SUCCESS;
}

DWORD PortableSystemInfo::TempPathFor(bool windows95Family, std::string& path) {
    std::string windows;
    WindowsDirectoryFor(windows95Family, windows);
    std::string temp;
    if (ReadString(HKEY_CURRENT_USER, "Environment", "TEMP", temp) && !temp.empty())
        temp = ExpandEnvironment(temp, {{"SYSTEMROOT", windows}, {"WINDIR", windows}});
    else
        temp = windows + "\\TEMP";
    if (temp.back() != '\\') temp += '\\';
    path = temp;
    return ERROR_SUCCESS;
}

WORD PortableSystemInfo::GetUserDefaultLangID() {
    std::string locale;
    if (ReadString(HKEY_CURRENT_USER, "Control Panel\\International", "Locale", locale)) {
        char* end = nullptr;
        unsigned long id = std::strtoul(locale.c_str(), &end, 16);
        if (end != locale.c_str() && id != 0) return static_cast<WORD>(id & 0xFFFF);
    }
    return 0x0409;
}

std::string PortableSystemInfo::GetModuleFileName() {
    return moduleFileName_();
}

bool PortableSystemInfo::GetEnvironmentVariable(const std::string& name, std::string& value) {
    // The host keeps names and values in UTF-8.
    const std::string hostName = AnsiToUtf8(name, codePage_);
    const char* host = std::getenv(hostName.c_str());
    if (!host) return false;
    std::optional<std::string> ansi = Utf8ToAnsi(host, codePage_);
    if (!ansi) return false;
    value = std::move(*ansi);
    return true;
}

int PortableSystemInfo::CompareString(const std::string& a, const std::string& b, bool ignoreCase) {
    return CompareAnsi(a, b, ignoreCase);
}

std::string PortableSystemInfo::CharToOem(const std::string& text) {
    return AnsiToOem(text);
}

std::string PortableSystemInfo::ErrorText(DWORD code) {
    return SystemErrorText(code);
}

} // namespace tarn::platform::portable
