// File system service: kernel32 files and folders addressed by Windows paths (drive letter,
// backslashes; forward slashes accepted), ANSI names, Win32 error codes as results.
#pragma once

#include "platform/WinTypes.h"

#include <cstdint>
#include <string>

namespace tarn::platform {

struct FindData {
    DWORD attributes = 0;
    FILETIME creationTime = 0;
    FILETIME lastAccessTime = 0;
    FILETIME lastWriteTime = 0;
    std::uint64_t size = 0;
    std::string name;          // long name
    std::string alternateName; // 8.3 name, empty when the long name is already one
};

class IFileSystem {
public:
    virtual ~IFileSystem() = default;

    // GetFileAttributes: ERROR_FILE_NOT_FOUND / ERROR_PATH_NOT_FOUND when absent.
    virtual DWORD GetAttributes(const std::string& path, DWORD& attributes) = 0;
    virtual DWORD SetAttributes(const std::string& path, DWORD attributes) = 0;
    virtual DWORD DeleteFile(const std::string& path) = 0;
    virtual DWORD CreateDirectory(const std::string& path) = 0;
    virtual DWORD RemoveDirectory(const std::string& path) = 0;
    virtual DWORD CopyFile(const std::string& from, const std::string& to, bool failIfExists) = 0;
    // MoveFileEx. With MOVEFILE_DELAY_UNTIL_REBOOT the move (or, with an empty target, the
    // delete) is recorded for the next restart instead of being done now.
    virtual DWORD MoveFile(const std::string& from, const std::string& to, DWORD flags) = 0;

    // FindFirstFile/FindNextFile/FindClose over a pattern with * and ? in its last part.
    virtual DWORD FindFirst(const std::string& pattern, HANDLE& find, FindData& data) = 0;
    virtual DWORD FindNext(HANDLE find, FindData& data) = 0;
    virtual DWORD FindClose(HANDLE find) = 0;

    // GetShortPathName: fails when the path does not exist.
    virtual DWORD GetShortPathName(const std::string& path, std::string& shortPath) = 0;
    // GetFullPathName: absolute, backslashed, "." and ".." folded; no existence check.
    virtual DWORD GetFullPathName(const std::string& path, std::string& fullPath) = 0;
    // GetTempFileName: with unique 0 a fresh name is chosen and the empty file created.
    virtual DWORD GetTempFileName(const std::string& folder, const std::string& prefix,
                                  DWORD unique, std::string& result) = 0;
    // Last-write time by path (UTC FILETIME).
    virtual DWORD GetLastWriteTime(const std::string& path, FILETIME& time) = 0;
    virtual DWORD SetLastWriteTime(const std::string& path, FILETIME time) = 0;
    virtual DWORD GetDiskFreeSpace(const std::string& root, std::uint64_t& freeBytes,
                                   std::uint64_t& totalBytes) = 0;

    // Open files. Share modes are honoured between handles of every process on the machine.
    virtual DWORD CreateFile(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                             DWORD attributes, HANDLE& file) = 0;
    virtual DWORD ReadFile(HANDLE file, void* buffer, DWORD size, DWORD& read) = 0;
    virtual DWORD WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD& written) = 0;
    virtual DWORD SetFilePointer(HANDLE file, std::int64_t distance, DWORD method,
                                 std::uint64_t& position) = 0;
    virtual DWORD GetFileSize(HANDLE file, std::uint64_t& size) = 0;
    virtual DWORD SetEndOfFile(HANDLE file) = 0;
    virtual DWORD GetFileTime(HANDLE file, FILETIME& lastWrite) = 0;
    virtual DWORD SetFileTime(HANDLE file, FILETIME lastWrite) = 0;
    virtual DWORD CloseFile(HANDLE file) = 0;

    // FileTimeToLocalFileTime / LocalFileTimeToFileTime in the machine's time zone.
    virtual FILETIME ToLocalFileTime(FILETIME utc) = 0;
    virtual FILETIME FromLocalFileTime(FILETIME local) = 0;
};

} // namespace tarn::platform
