// File system service on kernel32: the ANSI file, folder and find calls.
#pragma once

#include "platform/FileSystem.h"

namespace tarn::platform::win32 {

class Win32FileSystem : public IFileSystem {
public:
    DWORD GetAttributes(const std::string& path, DWORD& attributes) override;
    DWORD SetAttributes(const std::string& path, DWORD attributes) override;
    DWORD DeleteFile(const std::string& path) override;
    DWORD CreateDirectory(const std::string& path) override;
    DWORD RemoveDirectory(const std::string& path) override;
    DWORD CopyFile(const std::string& from, const std::string& to, bool failIfExists) override;
    DWORD MoveFile(const std::string& from, const std::string& to, DWORD flags) override;

    DWORD FindFirst(const std::string& pattern, HANDLE& find, FindData& data) override;
    DWORD FindNext(HANDLE find, FindData& data) override;
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
};

} // namespace tarn::platform::win32
