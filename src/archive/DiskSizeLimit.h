// A file system over another in which every file written inside one folder holds at most a given
// number of bytes, as if each were alone on a removable disk of that size: a write past the limit
// comes short with ERROR_DISK_FULL. Splitting an archive through it writes volumes of that size.
//
//     DiskSizeLimit disks(platform::Files(), "C:\\SET", 1440 * 1024);
//     platform::ScopedPlatform scope(platform::Services{.files = &disks});
#pragma once

#include "platform/ForwardingFileSystem.h"

#include <cstdint>
#include <set>
#include <string>

namespace tarn::archive {

class DiskSizeLimit : public platform::ForwardingFileSystem {
public:
    // inner must outlive this object; folder is a Windows path.
    DiskSizeLimit(platform::IFileSystem& inner, const std::string& folder, std::uint64_t limit);

    using DWORD = platform::DWORD;
    using HANDLE = platform::HANDLE;

    DWORD CreateFile(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                     DWORD attributes, HANDLE& file) override;
    // Writes what fits below the limit; ERROR_DISK_FULL when that is not all.
    DWORD WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD& written) override;
    DWORD CloseFile(HANDLE file) override;

private:
    bool Inside(const std::string& path);

    std::string folder_; // full path with a trailing backslash
    std::uint64_t limit_;
    std::set<HANDLE> limited_;
};

} // namespace tarn::archive
