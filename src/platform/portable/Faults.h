// Faults a test can inject into the embedded machine. Key paths are full paths such as
// "HKEY_LOCAL_MACHINE\Software\X" (compared without regard to case; HKEY_CLASSES_ROOT and
// HKEY_CURRENT_CONFIG are given by their place under HKEY_LOCAL_MACHINE); file paths are
// Windows paths.
#pragma once

#include "platform/SystemInfo.h"
#include "platform/WinTypes.h"

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tarn::platform::portable {

struct Faults {
    // Opening a key in these subtrees for reading (any KEY_READ right) fails: ERROR_ACCESS_DENIED.
    std::vector<std::string> denyReadKeys;
    // Opening or creating a key in these subtrees with write rights fails: ERROR_ACCESS_DENIED.
    std::vector<std::string> denyWriteKeys;
    // Value writes below these keys fail with ERROR_ACCESS_DENIED even on a writable handle.
    std::vector<std::string> refuseValueWriteKeys;
    // Files that are in use: opening, deleting or moving them fails with ERROR_SHARING_VIOLATION.
    std::vector<std::string> busyFiles;
    // Files that cannot be deleted or overwritten: ERROR_ACCESS_DENIED.
    std::vector<std::string> undeletableFiles;
    // Program starts that fail, by program path ("*" for every start), with their error code.
    std::map<std::string, DWORD> failedStarts;
    // GetVersionEx fails.
    bool versionQueryFails = false;
    // GetVersionEx reports this instead of what the registry says (for versions, such as Win32s,
    // that no registry value describes).
    std::optional<OsVersion> version;

    void Clear() { *this = Faults{}; }
};

// True when path is key or lies below it (both full key paths, compared without case).
bool KeyPathWithin(const std::string& path, const std::string& key);

} // namespace tarn::platform::portable
