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
    : ForwardingFileSystem(inner), limit_(limit) {
    std::string full;
    if (inner.GetFullPathName(folder, full) != ERROR_SUCCESS) full = folder;
    folder_ = IncludeBackslash(Normal(full));
}

bool DiskSizeLimit::Inside(const std::string& path) {
    std::string full;
    if (Inner().GetFullPathName(path, full) != ERROR_SUCCESS) return false;
    full = Normal(full);
    return full.size() > folder_.size() && SameTextAscii(full.substr(0, folder_.size()), folder_);
}

DWORD DiskSizeLimit::CreateFile(const std::string& path, DWORD access, DWORD share,
                                DWORD disposition, DWORD attributes, HANDLE& file) {
    const DWORD error = Inner().CreateFile(path, access, share, disposition, attributes, file);
    if (error == ERROR_SUCCESS && (access & GENERIC_WRITE) != 0 && Inside(path))
        limited_.insert(file);
    return error;
}

DWORD DiskSizeLimit::WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD& written) {
    written = 0;
    if (!limited_.contains(file)) return Inner().WriteFile(file, buffer, size, written);
    std::uint64_t position = 0;
    if (DWORD error = Inner().SetFilePointer(file, 0, FILE_CURRENT, position);
        error != ERROR_SUCCESS)
        return error;
    const std::uint64_t room = position < limit_ ? limit_ - position : 0;
    const auto fits = static_cast<DWORD>(std::min<std::uint64_t>(size, room));
    if (fits > 0) {
        if (DWORD error = Inner().WriteFile(file, buffer, fits, written); error != ERROR_SUCCESS)
            return error;
    }
    return written < size ? ERROR_DISK_FULL : ERROR_SUCCESS;
}

DWORD DiskSizeLimit::CloseFile(HANDLE file) {
    limited_.erase(file);
    return Inner().CloseFile(file);
}

} // namespace tarn::archive
