#include "platform/win32/WindowsApi.h"

#include "platform/win32/Handles.h"
#include "platform/win32/PathBuffer.h"
#include "platform/win32/Win32SystemInfo.h"

namespace tarn::platform::win32 {
namespace {

DWORD Filled(bool ok) {
    return ok ? ERROR_SUCCESS : LastError();
}

} // namespace

bool Win32SystemInfo::GetVersion(OsVersion& version) {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!::GetVersionExA(&info)) return false;
#pragma GCC diagnostic pop
    version.platformId = info.dwPlatformId;
    version.major = info.dwMajorVersion;
    version.minor = info.dwMinorVersion;
    version.build = info.dwBuildNumber;
    version.csdVersion = info.szCSDVersion;
    return true;
}

DWORD Win32SystemInfo::GetWindowsDirectory(std::string& path) {
    return Filled(FillString(path, [](char* buffer, std::uint32_t capacity) {
        return static_cast<std::uint32_t>(::GetWindowsDirectoryA(buffer, capacity));
    }));
}

DWORD Win32SystemInfo::GetSystemDirectory(std::string& path) {
    return Filled(FillString(path, [](char* buffer, std::uint32_t capacity) {
        return static_cast<std::uint32_t>(::GetSystemDirectoryA(buffer, capacity));
    }));
}

DWORD Win32SystemInfo::GetTempPath(std::string& path) {
    return Filled(FillString(path, [](char* buffer, std::uint32_t capacity) {
        return static_cast<std::uint32_t>(::GetTempPathA(capacity, buffer));
    }));
}

unsigned Win32SystemInfo::GetACP() {
    return ::GetACP();
}

WORD Win32SystemInfo::GetUserDefaultLangID() {
    return ::GetUserDefaultLangID();
}

std::string Win32SystemInfo::GetModuleFileName() {
    std::string path;
    // GetModuleFileNameA returns the capacity itself when the name was cut short.
    FillString(path, [](char* buffer, std::uint32_t capacity) {
        ::DWORD length = ::GetModuleFileNameA(nullptr, buffer, capacity);
        return static_cast<std::uint32_t>(length >= capacity ? capacity : length);
    });
    return path;
}

bool Win32SystemInfo::GetEnvironmentVariable(const std::string& name, std::string& value) {
    // An empty value returns 0 as a failure does, but leaves the last error alone.
    ::SetLastError(ERROR_SUCCESS);
    std::string text;
    const bool filled = FillString(text, [&name](char* buffer, std::uint32_t capacity) {
        return static_cast<std::uint32_t>(
            ::GetEnvironmentVariableA(name.c_str(), buffer, capacity));
    });
    if (!filled && LastError() != ERROR_SUCCESS) return false;
    value = std::move(text);
    return true;
}

int Win32SystemInfo::CompareString(const std::string& a, const std::string& b, bool ignoreCase) {
    int result = ::CompareStringA(LOCALE_USER_DEFAULT, ignoreCase ? NORM_IGNORECASE : 0, a.data(),
                                  static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()));
    if (result == 0) return a.compare(b); // only for arguments Windows refuses
    return result - CSTR_EQUAL;
}

std::string Win32SystemInfo::CharToOem(const std::string& text) {
    std::string oem(text.size(), '\0');
    if (!text.empty()) {
        ::CharToOemBuffA(text.data(), oem.data(), static_cast<::DWORD>(text.size()));
    }
    return oem;
}

std::string Win32SystemInfo::ErrorText(DWORD code) {
    char* buffer = nullptr;
    ::DWORD length = ::FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, code, 0, reinterpret_cast<char*>(&buffer), 0, nullptr);
    std::string text = length ? std::string(buffer, length) : std::string();
    if (buffer) ::LocalFree(buffer);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ')) {
        text.pop_back();
    }
    return text;
}

} // namespace tarn::platform::win32
