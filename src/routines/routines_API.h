// What the library asks Windows about itself: the version code, folders, short paths and
// temporary file names.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

namespace tarn {

using WindowsVersionCode = std::uint8_t;

// 0 Win32s, 2 NT 4, 3 NT below 4, 4 NT 6 and later or unknown, 6 NT 5.x, 7 Windows 95/98,
// 8 Windows ME. Throws EAPIRoutines when the system does not report its version.
WindowsVersionCode GetWindowsVersionCode();

// Membership in a set of codes 0 to 15; codes above 15 are never members.
bool VersionCodeIn(WindowsVersionCode code, std::initializer_list<int> set);
inline bool IsWindows95Family(WindowsVersionCode code) {
    return VersionCodeIn(code, {1, 7, 8});
}
inline bool IsNt4To5Family(WindowsVersionCode code) {
    return VersionCodeIn(code, {2, 6});
}

// The 8.3 form of an existing path (up to 400 characters); empty when there is none.
std::string GetShortPath(const std::string& path);
// A new unique file in the temporary folder with the prefix "bat"; unless keep is set the file is
// deleted again and only its name returned. Throws EAPIRoutines.
std::string CreateTempFileName(bool keep);
// Throw EAPIRoutines when Windows does not tell.
std::string GetSystemDir();
std::string GetWindowsDir();

} // namespace tarn
