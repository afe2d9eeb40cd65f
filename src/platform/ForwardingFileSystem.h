// A file system that passes every call to another. A decorator derives from it and overrides
// only the calls it changes:
//
//     class CountingWrites : public ForwardingFileSystem {
//     public:
//         using ForwardingFileSystem::ForwardingFileSystem;
//         DWORD WriteFile(HANDLE f, const void* b, DWORD n, DWORD& w) override {
//             ++writes;
//             return ForwardingFileSystem::WriteFile(f, b, n, w);
//         }
//         int writes = 0;
//     };
#pragma once

#include "platform/FileSystem.h"

namespace tarn::platform {

class ForwardingFileSystem : public IFileSystem {
public:
    // inner must outlive this object.
    explicit ForwardingFileSystem(IFileSystem& inner) : inner_(inner) {}

    DWORD GetAttributes(const std::string& path, DWORD& attributes) override {
        return inner_.GetAttributes(path, attributes);
    }
    DWORD SetAttributes(const std::string& path, DWORD attributes) override {
        return inner_.SetAttributes(path, attributes);
    }
    DWORD DeleteFile(const std::string& path) override { return inner_.DeleteFile(path); }
    DWORD CreateDirectory(const std::string& path) override { return inner_.CreateDirectory(path); }
    DWORD RemoveDirectory(const std::string& path) override { return inner_.RemoveDirectory(path); }
    DWORD CopyFile(const std::string& from, const std::string& to, bool failIfExists) override {
        return inner_.CopyFile(from, to, failIfExists);
    }
    DWORD MoveFile(const std::string& from, const std::string& to, DWORD flags) override {
        return inner_.MoveFile(from, to, flags);
    }

    DWORD FindFirst(const std::string& pattern, HANDLE& find, FindData& data) override {
        return inner_.FindFirst(pattern, find, data);
    }
    DWORD FindNext(HANDLE find, FindData& data) override { return inner_.FindNext(find, data); }
    DWORD FindClose(HANDLE find) override { return inner_.FindClose(find); }

    DWORD GetShortPathName(const std::string& path, std::string& shortPath) override {
        return inner_.GetShortPathName(path, shortPath);
    }
    DWORD GetFullPathName(const std::string& path, std::string& fullPath) override {
        return inner_.GetFullPathName(path, fullPath);
    }
    DWORD GetTempFileName(const std::string& folder, const std::string& prefix, DWORD unique,
                          std::string& result) override {
        return inner_.GetTempFileName(folder, prefix, unique, result);
    }
    DWORD GetLastWriteTime(const std::string& path, FILETIME& time) override {
        return inner_.GetLastWriteTime(path, time);
    }
    DWORD SetLastWriteTime(const std::string& path, FILETIME time) override {
        return inner_.SetLastWriteTime(path, time);
    }
    DWORD GetDiskFreeSpace(const std::string& root, std::uint64_t& freeBytes,
                           std::uint64_t& totalBytes) override {
        return inner_.GetDiskFreeSpace(root, freeBytes, totalBytes);
    }

    DWORD CreateFile(const std::string& path, DWORD access, DWORD share, DWORD disposition,
                     DWORD attributes, HANDLE& file) override {
        return inner_.CreateFile(path, access, share, disposition, attributes, file);
    }
    DWORD ReadFile(HANDLE file, void* buffer, DWORD size, DWORD& read) override {
        return inner_.ReadFile(file, buffer, size, read);
    }
    DWORD WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD& written) override {
        return inner_.WriteFile(file, buffer, size, written);
    }
    DWORD SetFilePointer(HANDLE file, std::int64_t distance, DWORD method,
                         std::uint64_t& position) override {
        return inner_.SetFilePointer(file, distance, method, position);
    }
    DWORD GetFileSize(HANDLE file, std::uint64_t& size) override {
        return inner_.GetFileSize(file, size);
    }
    DWORD SetEndOfFile(HANDLE file) override { return inner_.SetEndOfFile(file); }
    DWORD GetFileTime(HANDLE file, FILETIME& lastWrite) override {
        return inner_.GetFileTime(file, lastWrite);
    }
    DWORD SetFileTime(HANDLE file, FILETIME lastWrite) override {
        return inner_.SetFileTime(file, lastWrite);
    }
    DWORD CloseFile(HANDLE file) override { return inner_.CloseFile(file); }

    FILETIME ToLocalFileTime(FILETIME utc) override { return inner_.ToLocalFileTime(utc); }
    FILETIME FromLocalFileTime(FILETIME local) override { return inner_.FromLocalFileTime(local); }

protected:
    IFileSystem& Inner() const { return inner_; }

private:
    IFileSystem& inner_;
};

} // namespace tarn::platform
