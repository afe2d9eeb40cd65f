#include "paths/routines_ExpandPaths.h"

#include "platform/Platform.h"
#include "routines/routines_API.h"
#include "routines/routines_Registry.h"
#include "routines/routines_Text.h"

namespace tarn::paths {

namespace {

constexpr std::uint8_t kCurrentUser = 2;
constexpr std::uint8_t kLocalMachine = 4;

std::string Below(const std::string& folder, const std::string& name) {
    return !folder.empty() && folder.back() == '\\' ? folder + name : folder + "\\" + name;
}

// The value when it can be read, else the fallback; one trailing backslash removed.
std::string Lookup(std::uint8_t root, const char* key, const char* value,
                   const std::string& fallback) {
    std::string result;
    ReadRegistryString(root, key, value, result, fallback);
    return ExcludeBackslash(result);
}

std::string CurrentDrive() {
    std::string current;
    if (platform::Files().GetFullPathName(".", current) != platform::ERROR_SUCCESS) return "";
    return ExtractFileDrive(current);
}

} // namespace

std::string ExtractFileDrive(const std::string& path) {
    if (path.size() >= 2 && path[1] == ':') return path.substr(0, 2);
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        // Up to (not including) the backslash after the share name.
        std::size_t server = path.find('\\', 2);
        if (server == std::string::npos) return path;
        std::size_t share = path.find('\\', server + 1);
        return share == std::string::npos ? path : path.substr(0, share);
    }
    return "";
}

std::string GetStartMenuPath() {
    return Lookup(kCurrentUser, kShellFoldersKey, "Start Menu", Below(GetWindowsDir(), "Startmen"));
}

std::string GetProgramMenuPath() {
    return Lookup(kCurrentUser, kShellFoldersKey, "Programs",
                  Below(GetStartMenuPath(), "Programs"));
}

std::string GetProgramMenuAllUsersPath() {
    return Lookup(kLocalMachine, kShellFoldersKey, "Common Programs",
                  Below(GetStartMenuPath(), "Programs"));
}

std::string GetDesktopPath() {
    return Lookup(kCurrentUser, kShellFoldersKey, "Desktop", Below(GetWindowsDir(), "Desktop"));
}

std::string GetStartupPath() {
    return Lookup(kCurrentUser, kShellFoldersKey, "Startup", Below(GetWindowsDir(), "Startup"));
}

std::string GetProgramFilesPath() {
    return Lookup(kLocalMachine, kCurrentVersionKey, "ProgramFilesDir",
                  Below(CurrentDrive(), "Program Files"));
}

std::string GetCommonFilesPath() {
    return Lookup(kLocalMachine, kCurrentVersionKey, "CommonFilesDir",
                  Below(CurrentDrive(), "Program Files\\Common Files"));
}

} // namespace tarn::paths
