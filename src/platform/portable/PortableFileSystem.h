// The file system of the embedded machine: kernel32 file calls with their Windows XP semantics
// and error codes, carried out on the host files the PathMapper maps Windows paths to. What the
// host cannot hold (hidden, system and archive bits, 8.3 aliases) lives in the FileMetaStore;
// read-only is the host's owner write bit and is enforced here, since we may run as root.
#pragma once

#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/portable/RunningPrograms.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace tarn::platform::portable {

class FileMetaStore;
class FileLocks;
class PathMapper;

// What a host command writes: a file (temporaries beside it are its own too) or a folder.
enum class HostOutput { File, Folder };

class PortableFileSystem : public IFileSystem {
public:
    // The program of this process has ended for the machine (its last act, the batch files it
    // started, follows): its file can be deleted.
    void ReleaseOwnProgram() { ownProgram_.reset(); }
    // registry receives delayed moves. All three must outlive the file system.
    PortableFileSystem(PathMapper& paths, FileMetaStore& meta, IRegistry& registry);
    ~PortableFileSystem() override;
    // Files of the programs started here count as in use while those programs run.
    void SetRunningPrograms(RunningPrograms* running) { running_ = running; }
    // What other programs hold against files, asked on every call that would change one.
    void SetFileLocks(const FileLocks* locks) { locks_ = locks; }

    // Drive Z: is the host's root folder. Unless made writable, the machine may read it but not
    // change it (ERROR_ACCESS_DENIED, as on a read-only share), except the outputs the host
    // command running the machine was given: a file, or a folder with everything in it. Files
    // this process creates beside an output file (temporaries) are its own as well.
    void SetHostDriveWritable(bool writable) { hostWritable_ = writable; }
    bool HostDriveWritable() const { return hostWritable_; }
    void AllowHostOutput(const std::filesystem::path& host, HostOutput kind);
    PortableFileSystem(const PortableFileSystem&) = delete;
    PortableFileSystem& operator=(const PortableFileSystem&) = delete;

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

    // Host time stamps to FILETIME and back.
    static FILETIME ToFileTime(std::int64_t unixSeconds, long nanoseconds);
    static void FromFileTime(FILETIME time, std::int64_t& unixSeconds, long& nanoseconds);

private:
    struct Resolved;
    struct OpenFile;
    struct FindState;

    DWORD Resolve(const std::string& path, Resolved& out) const;
    DWORD MissingError(const Resolved& target) const;
    DWORD AttributesOf(const Resolved& target) const;
    bool IsBusy(const Resolved& target) const;
    bool IsLocked(const Resolved& target) const;
    // Locked, or a file that a running program holds.
    bool IsUndeletable(const Resolved& target) const;
    // The running program's own file, or that of a program the machine started and that runs.
    bool IsOwnProgram(const Resolved& target) const;
    // Whether the machine may not change this path of the host.
    bool IsProtectedHost(const Resolved& target) const;
    // Creating target: when it lies beside an output file, it becomes one of this run's own.
    void NoteCreated(const Resolved& target);
    // ERROR_SHARING_VIOLATION when an open handle of the same file rules out this access.
    DWORD CheckShare(const Resolved& target, DWORD access, DWORD share) const;
    bool HasOpenHandles(const Resolved& target) const;
    DWORD CopyContents(const Resolved& from, const Resolved& to, bool keepArchive);
    DWORD RecordPendingMove(const std::string& from, const std::string& to, DWORD flags);
    FindData Describe(const std::filesystem::path& host, const std::string& name) const;
    OpenFile* Handle(HANDLE file) const;
    HANDLE NextHandle();

    PathMapper& paths_;
    FileMetaStore& meta_;
    IRegistry& registry_;
    // The file of the running program, by device and inode (it cannot change while it runs).
    std::optional<std::pair<std::uint64_t, std::uint64_t>> ownProgram_;
    RunningPrograms* running_ = nullptr;
    const FileLocks* locks_ = nullptr;
    bool hostWritable_ = false;
    std::vector<std::filesystem::path> outputs_;       // files and folders, lexically normal
    std::vector<std::filesystem::path> outputFolders_; // folders of output files
    std::set<std::filesystem::path> createdHere_;
    std::map<HANDLE, std::unique_ptr<OpenFile>> files_;
    std::map<HANDLE, std::unique_ptr<FindState>> finds_;
    HANDLE nextHandle_ = 0x100;
    DWORD tempCounter_ = 0;
    mutable std::recursive_mutex mutex_;
};

} // namespace tarn::platform::portable
