// What other programs hold against the embedded machine's files, as Windows reports it: a file
// another program has open without sharing is in use (ERROR_SHARING_VIOLATION), one whose ACL
// lets nobody change it is locked (ERROR_ACCESS_DENIED). The file system asks where Windows
// checks them, so that these answers rank among its others as they do on Windows.
#pragma once

#include <filesystem>
#include <string>

namespace tarn::platform::portable {

class FileLocks {
public:
    virtual ~FileLocks() = default;

    // A file is given by its full Windows path and the host path it maps to.
    virtual bool InUse(const std::string& windowsPath, const std::filesystem::path& host) const = 0;
    // Locked files cannot be deleted, overwritten or moved away.
    virtual bool Locked(const std::string& windowsPath,
                        const std::filesystem::path& host) const = 0;
};

} // namespace tarn::platform::portable
