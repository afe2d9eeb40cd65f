#include "archive/DiskSizeLimit.h"

#include "archive/ArchivePaths.h"
#include "framework/TextCase.h"
#include "routines/routines_Text.h"

#include <algorithm>

namespace tarn::archive {

using namespace platform;

namespace {

std::string Normal(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

} // namespace

DiskSizeLimit::DiskSizeLimit(IFileSystem& inner, const std::string& folder, std::uint64_t limit)
    : inner_(inner), limit_(limit) {
    std::string full;
    if (inner_.GetFullPathName(folder, full) != ERROR_SUCCESS) full = folder;
    folder_ = IncludeBackslash(Normal(full));
}

bool DiskSizeLimit::Inside(const std::string& path) {
    std::string full;
    if (inner_.GetFullPathName(path, full) != ERROR_SUCCESS) return false;
    full = Normal(full);
    return full.size() > folder_.size() && SameTextAscii(full.substr(0, folder_.size()), folder_);
}

DWORD DiskSizeLimit::CreateFile(const std::string& path, DWORD access, DWORD share,
                                DWORD disposition, DWORD attributes, HANDLE& file) {
    const DWORD error = inner_.CreateFile(path, access, share, disposition, attributes, file);
    if (error == ERROR_SUCCESS && (access & GENERIC_WRITE) != 0 && Inside(path))
        limited_.insert(file);
    return error;
}

DWORD DiskSizeLimit::WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD& written) {
    written = 0;
    if (!limited_.contains(file)) return inner_.WriteFile(file, buffer, size, written);
    std::uint64_t position = 0;
    if (DWORD error = inner_.SetFilePointer(file, 0, FILE_CURRENT, position);
        error != ERROR_SUCCESS)
        return error;
    const std::uint64_t room = position < limit_ ? limit_ - position : 0;
    const auto fits = static_cast<DWORD>(std::min<std::uint64_t>(size, room));
    if (fits > 0) {
        if (DWORD error = inner_.WriteFile(file, buffer, fits, written); error != ERROR_SUCCESS)
            return error;
    }
    return written < size ? ERROR_DISK_FULL : ERROR_SUCCESS;
}

DWORD DiskSizeLimit::CloseFile(HANDLE file) {
    limited_.erase(file);
    return inner_.CloseFile(file);
}

DWORD DiskSizeLimit::GetAttributes(const std::string& path, DWORD& attributes) {
    return inner_.GetAttributes(path, attributes);
}
DWORD DiskSizeLimit::SetAttributes(const std::string& path, DWORD attributes) {
    return inner_.SetAttributes(path, attributes);
}
DWORD DiskSizeLimit::DeleteFile(const std::string& path) {
    return inner_.DeleteFile(path);
}
DWORD DiskSizeLimit::CreateDirectory(const std::string& path) {
    return inner_.CreateDirectory(path);
}
DWORD DiskSizeLimit::RemoveDirectory(const std::string& path) {
    return inner_.RemoveDirectory(path);
}
DWORD DiskSizeLimit::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
    return inner_.CopyFile(from, to, failIfExists);
}
DWORD DiskSizeLimit::MoveFile(const std::string& from, const std::string& to, DWORD flags) {
    return inner_.MoveFile(from, to, flags);
}
DWORD DiskSizeLimit::FindFirst(const std::string& pattern, HANDLE& find, FindData& data) {
    return inner_.FindFirst(pattern, find, data);
}
DWORD DiskSizeLimit::FindNext(HANDLE find, FindData& data) {
    return inner_.FindNext(find, data);
}
DWORD DiskSizeLimit::FindClose(HANDLE find) {
    return inner_.FindClose(find);
}
DWORD DiskSizeLimit::GetShortPathName(const std::string& path, std::string& shortPath) {
    return inner_.GetShortPathName(path, shortPath);
}
DWORD DiskSizeLimit::GetFullPathName(const std::string& path, std::string& fullPath) {
    return inner_.GetFullPathName(path, fullPath);
}
DWORD DiskSizeLimit::GetTempFileName(const std::string& folder, const std::string& prefix,
                                     DWORD unique, std::string& result) {
    return inner_.GetTempFileName(folder, prefix, unique, result);
}
DWORD DiskSizeLimit::GetLastWriteTime(const std::string& path, FILETIME& time) {
    return inner_.GetLastWriteTime(path, time);
}
DWORD DiskSizeLimit::SetLastWriteTime(const std::string& path, FILETIME time) {
    return inner_.SetLastWriteTime(path, time);
}
DWORD DiskSizeLimit::GetDiskFreeSpace(const std::string& root, std::uint64_t& freeBytes,
                                      std::uint64_t& totalBytes) {
    return inner_.GetDiskFreeSpace(root, freeBytes, totalBytes);
}
DWORD DiskSizeLimit::ReadFile(HANDLE file, void* buffer, DWORD size, DWORD& read) {
    return inner_.ReadFile(file, buffer, size, read);
}
DWORD DiskSizeLimit::SetFilePointer(HANDLE file, std::int64_t distance, DWORD method,
                                    std::uint64_t& position) {
    return inner_.SetFilePointer(file, distance, method, position);
}
DWORD DiskSizeLimit::GetFileSize(HANDLE file, std::uint64_t& size) {
    return inner_.GetFileSize(file, size);
}
DWORD DiskSizeLimit::SetEndOfFile(HANDLE file) {
    return inner_.SetEndOfFile(file);
}
DWORD DiskSizeLimit::GetFileTime(HANDLE file, FILETIME& lastWrite) {
    return inner_.GetFileTime(file, lastWrite);
}
DWORD DiskSizeLimit::SetFileTime(HANDLE file, FILETIME lastWrite) {
    return inner_.SetFileTime(file, lastWrite);
}
FILETIME DiskSizeLimit::ToLocalFileTime(FILETIME utc) {
    return inner_.ToLocalFileTime(utc);
}
FILETIME DiskSizeLimit::FromLocalFileTime(FILETIME local) {
    return inner_.FromLocalFileTime(local);
}

} // namespace tarn::archive
