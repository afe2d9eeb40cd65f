// The shell folders the standard path specifiers stand for: read from the registry's shell
// folder settings, with a computed fallback when the value is missing or cannot be read. Each
// returns the folder without a trailing backslash; only a missing Windows folder fails.
#pragma once

#include <string>

namespace tarn::paths {

inline constexpr const char* kShellFoldersKey =
    "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
inline constexpr const char* kCurrentVersionKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

std::string GetStartMenuPath();
std::string GetProgramMenuPath();
std::string GetProgramMenuAllUsersPath();
std::string GetDesktopPath();
std::string GetStartupPath();
std::string GetProgramFilesPath();
std::string GetCommonFilesPath();

// The drive of a path: "C:" for "C:\x", "\\server\share" for a UNC path, else empty.
std::string ExtractFileDrive(const std::string& path);

} // namespace tarn::paths
