#include "routines/routines_API.h"

#include "platform/Platform.h"
#include "routines/routines_Exceptions.h"

namespace tarn {

using namespace tarn::platform;

WindowsVersionCode GetWindowsVersionCode() {
    OsVersion v;
    if (!System().GetVersion(v))
        throw EAPIRoutines("Could not get information about the current version of Windows");
    switch (v.platformId) {
    case VER_PLATFORM_WIN32s:
        return 0;
    case VER_PLATFORM_WIN32_WINDOWS:
        return v.minor == 90 ? 8 : 7;
    case VER_PLATFORM_WIN32_NT:
        if (v.major < 4) return 3;
        if (v.major == 4) return 2;
        if (v.major == 5) return 6;
        return 4;
    default:
        return 4;
    }
}

bool VersionCodeIn(WindowsVersionCode code, std::initializer_list<int> set) {
    if (code > 15) return false;
    for (int member : set)
        if (member == code) return true;
    return false;
}

std::string GetShortPath(const std::string& path) {
    std::string shortPath;
    if (Files().GetShortPathName(path, shortPath) != ERROR_SUCCESS || shortPath.size() > 400)
        return {};
    return shortPath;
}

std::string CreateTempFileName(bool keep) {
    std::string folder, name;
    if (System().GetTempPath(folder) != ERROR_SUCCESS || folder.empty() ||
        Files().GetTempFileName(folder, "bat", 0, name) != ERROR_SUCCESS || name.empty())
        throw EAPIRoutines("Cannot create a temporary file");
    if (!keep) Files().DeleteFile(name);
    return name;
}

std::string GetSystemDir() {
    std::string path;
    if (System().GetSystemDirectory(path) != ERROR_SUCCESS || path.empty() || path.size() > 260)
        throw EAPIRoutines("Could not retrieve the system directroy from windows");
    return path;
}

std::string GetWindowsDir() {
    std::string path;
    if (System().GetWindowsDirectory(path) != ERROR_SUCCESS || path.empty() || path.size() > 260)
        throw EAPIRoutines("Could not retrieve the windows directory from windows");
    return path;
}

} // namespace tarn
