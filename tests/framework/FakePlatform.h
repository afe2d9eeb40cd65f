// Platform services for the framework tests: an in-memory file system with Win32 share-mode and
// access rules, and stand-ins for every other service so that nothing reaches a real machine.
#pragma once

#include "platform/Platform.h"

#include <cstdint>
#include <limits>
#include <map>
#include <memory>
#include <string>

namespace tarn::test {

class MemoryFileSystem : public platform::IFileSystem {
public:
    using DWORD = platform::DWORD;
    using HANDLE = platform::HANDLE;
    using FILETIME = platform::FILETIME;

    bool Exists(const std::string& path) const;
    std::string Contents(const std::string& path) const;
    void SetContents(const std::string& path, const std::string& data);
    int OpenHandles() const { return static_cast<int>(handles_.size()); }
    // Writes that would make a file larger than this fail with ERROR_DISK_FULL after writing what
    // still fits.
    std::uint64_t maxFileSize = std::numeric_limits<std::uint64_t>::max();

    DWORD GetAttributes(const std::string& path, DWORD& attributes) override;
    DWORD SetAttributes(const std::string&, DWORD) override { return Unsupported(); }
    DWORD DeleteFile(const std::string& path) override;
    DWORD CreateDirectory(const std::string&) override { return Unsupported(); }
    DWORD RemoveDirectory(const std::string&) override { return Unsupported(); }
    DWORD CopyFile(const std::string&, const std::string&, bool) override { return Unsupported(); }
    DWORD MoveFile(const std::string&, const std::string&, DWORD) override { return Unsupported(); }
    DWORD FindFirst(const std::string&, HANDLE&, platform::FindData&) override {
        return Unsupported();
    }
    DWORD FindNext(HANDLE, platform::FindData&) override { return Unsupported(); }
    DWORD FindClose(HANDLE) override { return Unsupported(); }
    DWORD GetShortPathName(const std::string&, std::string&) override { return Unsupported(); }
    DWORD GetFullPathName(const std::string&, std::string&) override { return Unsupported(); }
    DWORD GetTempFileName(const std::string&, const std::string&, DWORD, std::string&) override {
        return Unsupported();
    }
    DWORD GetLastWriteTime(const std::string&, FILETIME&) override { return Unsupported(); }
    DWORD SetLastWriteTime(const std::string&, FILETIME) override { return Unsupported(); }
    DWORD GetDiskFreeSpace(const std::string&, std::uint64_t&, std::uint64_t&) override {
        return Unsupported();
    }

    DWORD CreateFile(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                     DWORD attributes, HANDLE& file) override;
    DWORD ReadFile(HANDLE file, void* buffer, DWORD size, DWORD& read) override;
    DWORD WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD& written) override;
    DWORD SetFilePointer(HANDLE file, std::int64_t distance, DWORD method,
                         std::uint64_t& position) override;
    DWORD GetFileSize(HANDLE file, std::uint64_t& size) override;
    DWORD SetEndOfFile(HANDLE file) override;
    DWORD GetFileTime(HANDLE, FILETIME&) override { return Unsupported(); }
    DWORD SetFileTime(HANDLE, FILETIME) override { return Unsupported(); }
    DWORD CloseFile(HANDLE file) override;

    FILETIME ToLocalFileTime(FILETIME utc) override { return utc; }
    FILETIME FromLocalFileTime(FILETIME local) override { return local; }

private:
    struct Open {
        std::string key;
        DWORD access = 0;
        DWORD share = 0;
        std::uint64_t position = 0;
    };
    static DWORD Unsupported() { return platform::ERROR_CALL_NOT_IMPLEMENTED; }
    Open* Find(HANDLE file);

    std::map<std::string, std::string> files_; // by upper-cased path
    std::map<HANDLE, Open> handles_;
    HANDLE nextHandle_ = 0x100;
};

// Puts a MemoryFileSystem in force, with inert stand-ins for the other services, for its lifetime.
class FakePlatform {
public:
    FakePlatform();
    ~FakePlatform();
    MemoryFileSystem files;

private:
    struct Others;
    std::unique_ptr<Others> others_;
    std::unique_ptr<platform::ScopedPlatform> scope_;
};

} // namespace tarn::test
