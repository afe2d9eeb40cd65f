#include "platform/win32/WindowsApi.h"

#include "platform/win32/Handles.h"
#include "platform/win32/PathBuffer.h"
#include "platform/win32/Win32FileSystem.h"

namespace tarn::platform::win32 {
namespace {

DWORD Result(BOOL ok) {
    return ok ? ERROR_SUCCESS : LastError();
}

void Convert(const WIN32_FIND_DATAA& found, FindData& data) {
    data.attributes = found.dwFileAttributes;
    data.creationTime = FromWin32Time(found.ftCreationTime);
    data.lastAccessTime = FromWin32Time(found.ftLastAccessTime);
    data.lastWriteTime = FromWin32Time(found.ftLastWriteTime);
    data.size = (static_cast<std::uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    data.name = found.cFileName;
    data.alternateName = found.cAlternateFileName;
}

} // namespace

DWORD Win32FileSystem::GetAttributes(const std::string& path, DWORD& attributes) {
    ::DWORD found = ::GetFileAttributesA(path.c_str());
    if (found == static_cast<::DWORD>(INVALID_FILE_ATTRIBUTES)) return LastError();
    attributes = found;
    return ERROR_SUCCESS;
}

DWORD Win32FileSystem::SetAttributes(const std::string& path, DWORD attributes) {
    return Result(::SetFileAttributesA(path.c_str(), attributes));
}

DWORD Win32FileSystem::DeleteFile(const std::string& path) {
    return Result(::DeleteFileA(path.c_str()));
}

DWORD Win32FileSystem::CreateDirectory(const std::string& path) {
    return Result(::CreateDirectoryA(path.c_str(), nullptr));
}

DWORD Win32FileSystem::RemoveDirectory(const std::string& path) {
    return Result(::RemoveDirectoryA(path.c_str()));
}

DWORD Win32FileSystem::CopyFile(const std::string& from, const std::string& to, bool failIfExists) {
    return Result(::CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE));
}

DWORD Win32FileSystem::MoveFile(const std::string& from, const std::string& to, DWORD flags) {
    // An empty target with a delayed move asks for a delete at the next restart.
    const char* target = to.empty() ? nullptr : to.c_str();
    return Result(::MoveFileExA(from.c_str(), target, flags));
}

DWORD Win32FileSystem::FindFirst(const std::string& pattern, HANDLE& find, FindData& data) {
    WIN32_FIND_DATAA found{};
    ::HANDLE handle = ::FindFirstFileA(pattern.c_str(), &found);
    find = FromWin32Handle(handle);
    if (handle == reinterpret_cast<::HANDLE>(INVALID_HANDLE_VALUE)) return LastError();
    Convert(found, data);
    return ERROR_SUCCESS;
}

DWORD Win32FileSystem::FindNext(HANDLE find, FindData& data) {
    WIN32_FIND_DATAA found{};
    if (!::FindNextFileA(ToWin32Handle(find), &found)) return LastError();
    Convert(found, data);
    return ERROR_SUCCESS;
}

DWORD Win32FileSystem::FindClose(HANDLE find) {
    return Result(::FindClose(ToWin32Handle(find)));
}

DWORD Win32FileSystem::GetShortPathName(const std::string& path, std::string& shortPath) {
    bool ok = FillString(shortPath, [&](char* buffer, std::uint32_t capacity) {
        return static_cast<std::uint32_t>(::GetShortPathNameA(path.c_str(), buffer, capacity));
    });
    return ok ? ERROR_SUCCESS : LastError();
}

DWORD Win32FileSystem::GetFullPathName(const std::string& path, std::string& fullPath) {
    bool ok = FillString(fullPath, [&](char* buffer, std::uint32_t capacity) {
        return static_cast<std::uint32_t>(
            ::GetFullPathNameA(path.c_str(), capacity, buffer, nullptr));
    });
    return ok ? ERROR_SUCCESS : LastError();
}

DWORD Win32FileSystem::GetTempFileName(const std::string& folder, const std::string& prefix,
                                       DWORD unique, std::string& result) {
    char buffer[MAX_PATH] = {};
    if (::GetTempFileNameA(folder.c_str(), prefix.c_str(), unique, buffer) == 0) {
        return LastError();
    }
    result = buffer;
    return ERROR_SUCCESS;
}

DWORD Win32FileSystem::GetLastWriteTime(const std::string& path, FILETIME& time) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return LastError();
    time = FromWin32Time(data.ftLastWriteTime);
    return ERROR_SUCCESS;
}

DWORD Win32FileSystem::SetLastWriteTime(const std::string& path, FILETIME time) {
    // Backup semantics let the same call open a folder.
    ::HANDLE handle = ::CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == reinterpret_cast<::HANDLE>(INVALID_HANDLE_VALUE)) return LastError();
    ::FILETIME written = ToWin32Time(time);
    DWORD rc = Result(::SetFileTime(handle, nullptr, nullptr, &written));
    ::CloseHandle(handle);
    return rc;
}

DWORD Win32FileSystem::GetDiskFreeSpace(const std::string& root, std::uint64_t& freeBytes,
                                        std::uint64_t& totalBytes) {
    ULARGE_INTEGER available{}, total{};
    if (!::GetDiskFreeSpaceExA(root.c_str(), &available, &total, nullptr)) return LastError();
    freeBytes = available.QuadPart;
    totalBytes = total.QuadPart;
    return ERROR_SUCCESS;
}

DWORD Win32FileSystem::CreateFile(const std::string& path, DWORD access, DWORD share,
                                  DWORD disposition, DWORD attributes, HANDLE& file) {
    ::HANDLE handle =
        ::CreateFileA(path.c_str(), access, share, nullptr, disposition, attributes, nullptr);
    file = FromWin32Handle(handle);
    if (handle == reinterpret_cast<::HANDLE>(INVALID_HANDLE_VALUE)) return LastError();
    return ERROR_SUCCESS;
}

DWORD Win32FileSystem::ReadFile(HANDLE file, void* buffer, DWORD size, DWORD& read) {
    ::DWORD done = 0;
    BOOL ok = ::ReadFile(ToWin32Handle(file), buffer, size, &done, nullptr);
    read = done;
    return Result(ok);
}

DWORD Win32FileSystem::WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD& written) {
    ::DWORD done = 0;
    BOOL ok = ::WriteFile(ToWin32Handle(file), buffer, size, &done, nullptr);
    written = done;
    return Result(ok);
}

DWORD Win32FileSystem::SetFilePointer(HANDLE file, std::int64_t distance, DWORD method,
                                      std::uint64_t& position) {
    LARGE_INTEGER move{};
    move.QuadPart = distance;
    LARGE_INTEGER now{};
    if (!::SetFilePointerEx(ToWin32Handle(file), move, &now, method)) return LastError();
    position = static_cast<std::uint64_t>(now.QuadPart);
    return ERROR_SUCCESS;
}

DWORD Win32FileSystem::GetFileSize(HANDLE file, std::uint64_t& size) {
    LARGE_INTEGER found{};
    if (!::GetFileSizeEx(ToWin32Handle(file), &found)) return LastError();
    size = static_cast<std::uint64_t>(found.QuadPart);
    return ERROR_SUCCESS;
}

DWORD Win32FileSystem::SetEndOfFile(HANDLE file) {
    return Result(::SetEndOfFile(ToWin32Handle(file)));
}

DWORD Win32FileSystem::GetFileTime(HANDLE file, FILETIME& lastWrite) {
    ::FILETIME found{};
    if (!::GetFileTime(ToWin32Handle(file), nullptr, nullptr, &found)) return LastError();
    lastWrite = FromWin32Time(found);
    return ERROR_SUCCESS;
}

DWORD Win32FileSystem::SetFileTime(HANDLE file, FILETIME lastWrite) {
    ::FILETIME written = ToWin32Time(lastWrite);
    return Result(::SetFileTime(ToWin32Handle(file), nullptr, nullptr, &written));
}

DWORD Win32FileSystem::CloseFile(HANDLE file) {
    return Result(::CloseHandle(ToWin32Handle(file)));
}

FILETIME Win32FileSystem::ToLocalFileTime(FILETIME utc) {
    ::FILETIME in = ToWin32Time(utc);
    ::FILETIME out{};
    return ::FileTimeToLocalFileTime(&in, &out) ? FromWin32Time(out) : utc;
}

FILETIME Win32FileSystem::FromLocalFileTime(FILETIME local) {
    ::FILETIME in = ToWin32Time(local);
    ::FILETIME out{};
    return ::LocalFileTimeToFileTime(&in, &out) ? FromWin32Time(out) : local;
}

} // namespace tarn::platform::win32
