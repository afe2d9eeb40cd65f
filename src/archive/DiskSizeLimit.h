// A file system over another in which every file written inside one folder holds at most a given
// number of bytes, as if each were alone on a removable disk of that size: a write past the limit
// comes short with ERROR_DISK_FULL. Splitting an archive through it writes volumes of that size.
//
//     DiskSizeLimit disks(platform::Files(), "C:\\SET", 1440 * 1024);
//     platform::ScopedPlatform scope(platform::Services{.files = &disks});
#pragma once

#include "platform/FileSystem.h"

#include <cstdint>
#include <set>
#include <string>

namespace tarn::archive {

class DiskSizeLimit : public platform::IFileSystem {
public:
    // inner must outlive this object; folder is a Windows path.
    DiskSizeLimit(platform::IFileSystem& inner, const std::string& folder, std::uint64_t limit);

    using DWORD = platform::DWORD;
    using HANDLE = platform::HANDLE;
    using FILETIME = platform::FILETIME;

    DWORD GetAttributes(const std::string& path, DWORD& attributes) override;
    DWORD SetAttributes(const std::string& path, DWORD attributes) override;
    DWORD DeleteFile(const std::string& path) override;
    DWORD CreateDirectory(const std::string& path) override;
    DWORD RemoveDirectory(const std::string& path) override;
    DWORD CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
    DWORD MoveFile(const std::string& from, const std::string& to, DWORD flags) override;
    DWORD FindFirst(const std::string& pattern, HANDLE& find, platform::FindData& data) override;
    DWORD FindNext(HANDLE find, platform::FindData& data) override;
    DWORD FindClose(HANDLE find) override;
    DWORD GetShortPathName(const std::string& path, std::string& shortPath) override;
    DWORD GetFullPathName(const std::string& path, std::string& fullPath) override;
    DWORD GetTempFileName(const std::string& folder, const std::string& prefix, DWORD unique,
                          std::string& result) override;
    DWORD GetLastWriteTime(const std::string& path, FILETIME& time) override;
    DWORD SetLastWriteTime(const std::string& path, FILETIME time) override;
    DWORD GetDiskFreeSpace(const std::string& root, std::uint64_t& freeBytes,
                           std::uint64_t& totalBytes) override;
    DWORD CreateFile(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                     DWORD attributes, HANDLE& file) override;
    DWORD ReadFile(HANDLE file, void* buffer, DWORD size, DWORD& read) override;
    // Writes what fits below the limit; ERROR_DISK_FULL when that is not all.
    DWORD WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD& written) override;
    DWORD SetFilePointer(HANDLE file, std::int64_t distance, DWORD method,
                         std::uint64_t& position) override;
    DWORD GetFileSize(HANDLE file, std::uint64_t& size) override;
    DWORD SetEndOfFile(HANDLE file) override;
    DWORD GetFileTime(HANDLE file, FILETIME& lastWrite) override;
    DWORD SetFileTime(HANDLE file, FILETIME lastWrite) override;
    DWORD CloseFile(HANDLE file) override;
    FILETIME ToLocalFileTime(FILETIME utc) override;
    FILETIME FromLocalFileTime(FILETIME local) override;

private:
    bool Inside(const std::string& path);

    platform::IFileSystem& inner_;
    std::string folder_; // full path with a trailing backslash
    std::uint64_t limit_;
    std::set<HANDLE> limited_;
};

} // namespace tarn::archive
