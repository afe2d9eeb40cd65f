#include "platform/portable/PortableFileSystem.h"

#include "platform/ScopedRegKey.h"
#include "platform/portable/FileLocks.h"
#include "platform/portable/FileMetaStore.h"
#include "platform/portable/NameMatcher.h"
#include "platform/portable/PathMapper.h"
#include "platform/portable/RestartWork.h"
#include "platform/portable/ShortNames.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <optional>
#include <string_view>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <utility>

namespace tarn::platform::portable {
namespace fs = std::filesystem;
namespace {

// Attribute bits the side store keeps for files and for folders; read-only of a file is the
// host's write bit instead.
constexpr DWORD kFileMetaBits = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_TEMPORARY |
                                FILE_ATTRIBUTE_OFFLINE;
constexpr DWORD kFolderMetaBits = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                  FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                  FILE_ATTRIBUTE_OFFLINE;

constexpr std::int64_t kEpochDifference = 11644473600LL; // seconds from 1601 to 1970
constexpr std::int64_t kTicksPerSecond = 10000000LL;

bool Reads(DWORD access) {
    return access & (GENERIC_READ | GENERIC_ALL);
}
bool Writes(DWORD access) {
    return access & (GENERIC_WRITE | GENERIC_ALL);
}
bool Deletes(DWORD access) {
    return access & (DELETE_ACCESS | GENERIC_ALL);
}

DWORD FromErrno(int error) {
    switch (error) {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case ENOTEMPTY:
        return ERROR_DIR_NOT_EMPTY;
    case ENOSPC:
    case EDQUOT:
        return ERROR_DISK_FULL;
    case EBUSY:
    case ETXTBSY:
        return ERROR_SHARING_VIOLATION;
    case ENAMETOOLONG:
        return ERROR_FILENAME_EXCED_RANGE;
    case EXDEV:
        return ERROR_NOT_SAME_DEVICE;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case EIO:
        return ERROR_WRITE_FAULT;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

// Characters Windows refuses in file names.
bool ValidComponent(std::string_view name, bool allowWildcards) {
    for (char c : name) {
        auto u = static_cast<unsigned char>(c);
        if (u < 32 || c == '<' || c == '>' || c == ':' || c == '"' || c == '|') return false;
        if (!allowWildcards && (c == '*' || c == '?')) return false;
    }
    return true;
}

class UniqueFd {
public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    ~UniqueFd() {
        if (fd_ >= 0) ::close(fd_);
    }
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            if (fd_ >= 0) ::close(fd_);
            fd_ = std::exchange(other.fd_, -1);
        }
        return *this;
    }
    int Get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }

private:
    int fd_;
};

bool StatPath(const fs::path& host, struct stat& st) {
    if (::stat(host.c_str(), &st) == 0) return true;
    return ::lstat(host.c_str(), &st) == 0; // a dangling link still exists
}

FILETIME ModifyTime(const struct stat& st) {
    return PortableFileSystem::ToFileTime(st.st_mtim.tv_sec, st.st_mtim.tv_nsec);
}

} // namespace

struct PortableFileSystem::Resolved {
    std::string full; // full Windows path, no trailing backslash
    fs::path host;
    bool exists = false;
    bool isDir = false;
    bool isRoot = false;
    struct stat st {};

    void Refresh() {
        exists = StatPath(host, st);
        isDir = exists && S_ISDIR(st.st_mode);
    }
};

struct PortableFileSystem::OpenFile {
    UniqueFd fd;
    dev_t device = 0;
    ino_t inode = 0;
    fs::path host;
    DWORD access = 0;
    DWORD share = 0;
    bool archived = false;
    // Windows keeps a time set through the handle even when writes follow.
    bool timeFixed = false;
    FILETIME fixedTime = 0;
};

struct PortableFileSystem::FindState {
    std::vector<FindData> results;
    std::size_t next = 0;
};

PortableFileSystem::PortableFileSystem(PathMapper& paths, FileMetaStore& meta, IRegistry& registry)
    : paths_(paths), meta_(meta), registry_(registry) {
    struct stat own {};
    if (::stat("/proc/self/exe", &own) == 0)
        ownProgram_.emplace(static_cast<std::uint64_t>(own.st_dev),
                            static_cast<std::uint64_t>(own.st_ino));
    tempCounter_ =
        static_cast<DWORD>(std::chrono::steady_clock::now().time_since_epoch().count() / 1000000);
}

PortableFileSystem::~PortableFileSystem() = default;

// --- paths and checks ----------------------------------------------------------------------

DWORD PortableFileSystem::Resolve(const std::string& path, Resolved& out) const {
    std::string full = paths_.FullPath(path);
    if (full.empty()) return ERROR_PATH_NOT_FOUND;
    for (const auto& part : PathMapper::Components(full))
        if (!ValidComponent(part, false)) return ERROR_INVALID_NAME;
    if (full.size() > 3 && full.back() == '\\') full.pop_back();
    auto host = paths_.ToHost(full);
    if (!host) return ERROR_PATH_NOT_FOUND;
    out.full = full;
    out.host = *host;
    out.isRoot = full.size() <= 3;
    out.Refresh();
    return ERROR_SUCCESS;
}

DWORD PortableFileSystem::MissingError(const Resolved& target) const {
    struct stat st {};
    bool parentIsDir = target.isRoot ||
                       (::stat(target.host.parent_path().c_str(), &st) == 0 && S_ISDIR(st.st_mode));
    return parentIsDir ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
}

DWORD PortableFileSystem::AttributesOf(const Resolved& target) const {
    DWORD attributes = 0;
    if (target.isDir) {
        attributes = (meta_.Attributes(target.host) & kFolderMetaBits) | FILE_ATTRIBUTE_DIRECTORY;
    } else {
        attributes = meta_.Attributes(target.host) & kFileMetaBits;
        if (!(target.st.st_mode & S_IWUSR)) attributes |= FILE_ATTRIBUTE_READONLY;
    }
    return attributes ? attributes : FILE_ATTRIBUTE_NORMAL;
}

bool PortableFileSystem::IsBusy(const Resolved& target) const {
    return locks_ && locks_->InUse(target.full, target.host);
}

bool PortableFileSystem::IsLocked(const Resolved& target) const {
    return locks_ && locks_->Locked(target.full, target.host);
}

bool PortableFileSystem::IsUndeletable(const Resolved& target) const {
    return IsLocked(target) || IsOwnProgram(target);
}

bool PortableFileSystem::IsOwnProgram(const Resolved& target) const {
    if (!target.exists) return false;
    if (running_ && running_->Holds(target.host)) return true;
    return ownProgram_ && static_cast<std::uint64_t>(target.st.st_dev) == ownProgram_->first &&
           static_cast<std::uint64_t>(target.st.st_ino) == ownProgram_->second;
}

void PortableFileSystem::AllowHostOutput(const fs::path& host, HostOutput kind) {
    std::lock_guard lock(mutex_);
    const fs::path normal = fs::absolute(host).lexically_normal();
    outputs_.push_back(normal);
    // Temporaries are made beside an output file; an output folder holds its own.
    if (kind == HostOutput::File) outputFolders_.push_back(normal.parent_path());
}

namespace {

// Whether path is base or lies below it (both lexically normal).
bool Within(const fs::path& path, const fs::path& base) {
    auto p = path.begin();
    for (auto b = base.begin(); b != base.end(); ++b, ++p) {
        if (b->empty() && std::next(b) == base.end()) return true; // "dir/"
        if (p == path.end() || *p != *b) return false;
    }
    return true;
}

} // namespace

bool PortableFileSystem::IsProtectedHost(const Resolved& target) const {
    if (hostWritable_ || target.full.empty() || target.full[0] != 'Z') return false;
    const fs::path host = target.host.lexically_normal();
    for (const fs::path& output : outputs_)
        if (Within(host, output)) return false;
    if (createdHere_.count(host)) return false;
    if (!target.exists) {
        // A new file beside an output file may be made (and is then this run's own), and so
        // may the folders on the way to an output.
        for (const fs::path& folder : outputFolders_)
            if (host.parent_path() == folder) return false;
        for (const fs::path& output : outputs_)
            if (Within(output, host)) return false;
    }
    return true;
}

void PortableFileSystem::NoteCreated(const Resolved& target) {
    if (!hostWritable_ && !target.full.empty() && target.full[0] == 'Z')
        createdHere_.insert(target.host.lexically_normal());
}

DWORD PortableFileSystem::CheckShare(const Resolved& target, DWORD access, DWORD share) const {
    // Opens without data access (attributes only) take no part in sharing, as on NT.
    auto dataAccess = [](DWORD a) { return Reads(a) || Writes(a) || Deletes(a); };
    if (!dataAccess(access)) return ERROR_SUCCESS;
    for (const auto& [handle, open] : files_) {
        if (open->device != target.st.st_dev || open->inode != target.st.st_ino ||
            !dataAccess(open->access))
            continue;
        if ((Reads(access) && !(open->share & FILE_SHARE_READ)) ||
            (Writes(access) && !(open->share & FILE_SHARE_WRITE)) ||
            (Deletes(access) && !(open->share & FILE_SHARE_DELETE)) ||
            (Reads(open->access) && !(share & FILE_SHARE_READ)) ||
            (Writes(open->access) && !(share & FILE_SHARE_WRITE)) ||
            (Deletes(open->access) && !(share & FILE_SHARE_DELETE)))
            return ERROR_SHARING_VIOLATION;
    }
    return ERROR_SUCCESS;
}

bool PortableFileSystem::HasOpenHandles(const Resolved& target) const {
    return std::any_of(files_.begin(), files_.end(), [&](const auto& entry) {
        const auto& open = *entry.second;
        return open.device == target.st.st_dev && open.inode == target.st.st_ino &&
               (open.access & (GENERIC_READ | GENERIC_WRITE | GENERIC_ALL | DELETE_ACCESS));
    });
}

HANDLE PortableFileSystem::NextHandle() {
    nextHandle_ += 4;
    return nextHandle_;
}

PortableFileSystem::OpenFile* PortableFileSystem::Handle(HANDLE file) const {
    auto it = files_.find(file);
    return it == files_.end() ? nullptr : it->second.get();
}

// --- attributes, deleting, folders -----------------------------------------------------------

DWORD PortableFileSystem::GetAttributes(const std::string& path, DWORD& attributes) {
    std::lock_guard lock(mutex_);
    Resolved target;
    if (DWORD error = Resolve(path, target)) return error;
    if (!target.exists) return MissingError(target);
    attributes = AttributesOf(target);
    return ERROR_SUCCESS;
}

DWORD PortableFileSystem::SetAttributes(const std::string& path, DWORD attributes) {
    std::lock_guard lock(mutex_);
    Resolved target;
    if (DWORD error = Resolve(path, target)) return error;
    if (!target.exists) return MissingError(target);
    if (IsProtectedHost(target)) return ERROR_ACCESS_DENIED;
    if (target.isDir) {
        meta_.SetAttributes(target.host, attributes & kFolderMetaBits);
        return ERROR_SUCCESS;
    }
    mode_t mode = target.st.st_mode & 07777;
    mode_t wanted = (attributes & FILE_ATTRIBUTE_READONLY)
                        ? mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH)
                        : mode | S_IWUSR;
    if (wanted != mode && ::chmod(target.host.c_str(), wanted) != 0) return FromErrno(errno);
    meta_.SetAttributes(target.host, attributes & kFileMetaBits);
    return ERROR_SUCCESS;
}

DWORD PortableFileSystem::DeleteFile(const std::string& path) {
    std::lock_guard lock(mutex_);
    Resolved target;
    if (DWORD error = Resolve(path, target)) return error;
    if (!target.exists) return MissingError(target);
    if (target.isDir || IsProtectedHost(target)) return ERROR_ACCESS_DENIED;
    if (IsBusy(target)) return ERROR_SHARING_VIOLATION;
    if (DWORD error = CheckShare(target, DELETE_ACCESS,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
        return error;
    if (IsUndeletable(target) || (AttributesOf(target) & FILE_ATTRIBUTE_READONLY))
        return ERROR_ACCESS_DENIED;
    PathMapper::FolderChange change(paths_, target.host);
    if (::unlink(target.host.c_str()) != 0) return FromErrno(errno);
    meta_.Forget(target.host);
    return ERROR_SUCCESS;
}

DWORD PortableFileSystem::CreateDirectory(const std::string& path) {
    std::lock_guard lock(mutex_);
    Resolved target;
    if (DWORD error = Resolve(path, target)) return error;
    if (target.isRoot) return ERROR_ACCESS_DENIED;
    if (target.exists) return ERROR_ALREADY_EXISTS;
    if (MissingError(target) == ERROR_PATH_NOT_FOUND) return ERROR_PATH_NOT_FOUND;
    if (IsProtectedHost(target)) return ERROR_ACCESS_DENIED;
    PathMapper::FolderChange change(paths_, target.host);
    if (::mkdir(target.host.c_str(), 0777) != 0) return FromErrno(errno);
    meta_.Forget(target.host);
    return ERROR_SUCCESS;
}

DWORD PortableFileSystem::RemoveDirectory(const std::string& path) {
    std::lock_guard lock(mutex_);
    Resolved target;
    if (DWORD error = Resolve(path, target)) return error;
    if (!target.exists) return MissingError(target);
    if (!target.isDir) return ERROR_DIRECTORY_INVALID;
    if (target.isRoot || IsProtectedHost(target) ||
        (AttributesOf(target) & FILE_ATTRIBUTE_READONLY))
        return ERROR_ACCESS_DENIED;
    // The process keeps its current folder open.
    if (SamePath(paths_.CurrentDirectory(), target.full, paths_.CodePage()))
        return ERROR_SHARING_VIOLATION;
    struct stat link {};
    bool isLink = ::lstat(target.host.c_str(), &link) == 0 && S_ISLNK(link.st_mode);
    PathMapper::FolderChange change(paths_, target.host);
    if (isLink ? ::unlink(target.host.c_str()) != 0 : ::rmdir(target.host.c_str()) != 0)
        return errno == EEXIST ? ERROR_DIR_NOT_EMPTY : FromErrno(errno);
    meta_.Forget(target.host);
    return ERROR_SUCCESS;
}

// --- copying and moving ----------------------------------------------------------------------

DWORD PortableFileSystem::CopyContents(const Resolved& from, const Resolved& to, bool keepArchive) {
    UniqueFd in(::open(from.host.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in) return FromErrno(errno);
    UniqueFd out(::open(to.host.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (!out) return FromErrno(errno);
    char buffer[64 * 1024];
    for (;;) {
        ssize_t got = ::read(in.Get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return FromErrno(errno);
        if (got == 0) break;
        for (ssize_t done = 0; done < got;) {
            ssize_t put = ::write(out.Get(), buffer + done, static_cast<std::size_t>(got - done));
            if (put < 0 && errno == EINTR) continue;
            if (put < 0) {
                DWORD error = FromErrno(errno);
                ::unlink(to.host.c_str());
                return error;
            }
            done += put;
        }
    }
    const timespec times[2] = {{0, UTIME_OMIT}, from.st.st_mtim};
    ::futimens(out.Get(), times);
    mode_t mode = from.st.st_mode & 0777;
    ::fchmod(out.Get(), (from.st.st_mode & S_IWUSR) ? mode : mode & ~static_cast<mode_t>(0222));
    DWORD attributes = meta_.Attributes(from.host) & kFileMetaBits;
    if (!keepArchive) attributes |= FILE_ATTRIBUTE_ARCHIVE;
    if (!to.exists) meta_.Forget(to.host);
    meta_.SetAttributes(to.host, attributes);
    return ERROR_SUCCESS;
}

DWORD PortableFileSystem::CopyFile(const std::string& from, const std::string& to,
                                   bool failIfExists) {
    std::lock_guard lock(mutex_);
    Resolved source;
    if (DWORD error = Resolve(from, source)) return error;
    if (!source.exists) return MissingError(source);
    if (source.isDir) return ERROR_ACCESS_DENIED;
    if (IsBusy(source)) return ERROR_SHARING_VIOLATION;
    if (DWORD error = CheckShare(source, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE))
        return error;

    Resolved target;
    if (DWORD error = Resolve(to, target)) return error;
    if (target.isRoot) return ERROR_ACCESS_DENIED;
    if (!target.exists && MissingError(target) == ERROR_PATH_NOT_FOUND) return ERROR_PATH_NOT_FOUND;
    if (target.exists && failIfExists) return ERROR_FILE_EXISTS;
    if (IsProtectedHost(target)) return ERROR_ACCESS_DENIED;
    if (!target.exists) NoteCreated(target);
    if (target.exists) {
        if (target.isDir) return ERROR_ACCESS_DENIED;
        if (target.st.st_dev == source.st.st_dev && target.st.st_ino == source.st.st_ino)
            return ERROR_SHARING_VIOLATION;
        if (IsBusy(target)) return ERROR_SHARING_VIOLATION;
        if (IsUndeletable(target) || (AttributesOf(target) & FILE_ATTRIBUTE_READONLY))
            return ERROR_ACCESS_DENIED;
        if (DWORD error = CheckShare(target, GENERIC_WRITE, 0)) return error;
    }
    PathMapper::FolderChange change(paths_, target.host);
    return CopyContents(source, target, false);
}

DWORD PortableFileSystem::MoveFile(const std::string& from, const std::string& to, DWORD flags) {
    std::lock_guard lock(mutex_);
    if (flags & MOVEFILE_DELAY_UNTIL_REBOOT) {
        if (flags & MOVEFILE_COPY_ALLOWED) return ERROR_INVALID_PARAMETER;
        return RecordPendingMove(from, to, flags);
    }
    Resolved source;
    if (DWORD error = Resolve(from, source)) return error;
    if (!source.exists) return MissingError(source);
    if (to.empty()) return ERROR_INVALID_PARAMETER;
    if (source.isRoot) return ERROR_ACCESS_DENIED;
    if (IsBusy(source)) return ERROR_SHARING_VIOLATION;
    if (DWORD error = CheckShare(source, DELETE_ACCESS,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE))
        return error;
    if (IsLocked(source) || IsProtectedHost(source)) return ERROR_ACCESS_DENIED;

    Resolved target;
    if (DWORD error = Resolve(to, target)) return error;
    if (target.isRoot || IsProtectedHost(target)) return ERROR_ACCESS_DENIED;
    if (!target.exists && MissingError(target) == ERROR_PATH_NOT_FOUND) return ERROR_PATH_NOT_FOUND;
    const bool sameFile = target.exists && target.st.st_dev == source.st.st_dev &&
                          target.st.st_ino == source.st.st_ino;
    if (target.exists && !sameFile) {
        if (!(flags & MOVEFILE_REPLACE_EXISTING)) return ERROR_ALREADY_EXISTS;
        if (target.isDir || source.isDir) return ERROR_ACCESS_DENIED;
        if (IsBusy(target)) return ERROR_SHARING_VIOLATION;
        if (IsUndeletable(target) || HasOpenHandles(target) ||
            (AttributesOf(target) & FILE_ATTRIBUTE_READONLY))
            return ERROR_ACCESS_DENIED;
    }
    if (source.isDir) {
        std::string inside = source.full + "\\";
        if (target.full.size() > inside.size() &&
            SameName(target.full.substr(0, inside.size()), inside, paths_.CodePage()))
            return ERROR_ACCESS_DENIED;
    }

    fs::path destination = target.host;
    if (sameFile) {
        // Same file under another spelling: only a change of case of the name is left to do.
        destination =
            source.host.parent_path() / paths_.HostName(PathMapper::Components(target.full).back());
        if (destination == source.host) return ERROR_SUCCESS;
    }

    const bool otherDrive =
        UpperName(source.full.substr(0, 1)) != UpperName(target.full.substr(0, 1));
    if (!target.exists) NoteCreated(target);
    PathMapper::FolderChange leaving(paths_, source.host);
    PathMapper::FolderChange arriving(paths_, destination);
    if (!otherDrive && ::rename(source.host.c_str(), destination.c_str()) == 0) {
        meta_.Move(source.host, destination);
        return ERROR_SUCCESS;
    }
    const int renameError = otherDrive ? EXDEV : errno;
    if (renameError != EXDEV)
        return renameError == EINVAL ? ERROR_ACCESS_DENIED : FromErrno(renameError);
    // Another volume: files may be copied when the caller allows it, folders never move.
    if (source.isDir || (otherDrive && !(flags & MOVEFILE_COPY_ALLOWED)))
        return ERROR_NOT_SAME_DEVICE;
    if (DWORD error = CopyContents(source, target, true)) return error;
    if (::unlink(source.host.c_str()) != 0) return FromErrno(errno);
    meta_.Forget(source.host);
    return ERROR_SUCCESS;
}

DWORD PortableFileSystem::RecordPendingMove(const std::string& from, const std::string& to,
                                            DWORD flags) {
    std::string source = paths_.FullPath(from);
    std::string target = to.empty() ? std::string{} : paths_.FullPath(to);
    if (source.empty() || (!to.empty() && target.empty())) return ERROR_PATH_NOT_FOUND;
    for (const std::string* path : {&source, &target}) {
        Resolved resolved;
        if (!path->empty() && Resolve(*path, resolved) == ERROR_SUCCESS &&
            IsProtectedHost(resolved))
            return ERROR_ACCESS_DENIED;
    }

    ScopedRegKey key(registry_);
    if (LONG error =
            key.Create(HKEY_LOCAL_MACHINE, kSessionManagerKey, KEY_QUERY_VALUE | KEY_SET_VALUE))
        return static_cast<DWORD>(error);

    // Operations recorded earlier stay ahead of this one.
    std::vector<PendingOperation> operations;
    DWORD type = 0;
    std::vector<std::uint8_t> data;
    if (key.ReadValue(kPendingRenamesValue, type, data) == ERROR_SUCCESS && type == REG_MULTI_SZ)
        operations = DecodePendingRenames(data);
    operations.push_back({source, target, (flags & MOVEFILE_REPLACE_EXISTING) != 0});
    return static_cast<DWORD>(
        key.WriteValue(kPendingRenamesValue, REG_MULTI_SZ, EncodePendingRenames(operations)));
}

// --- searching -------------------------------------------------------------------------------

FindData PortableFileSystem::Describe(const fs::path& host, const std::string& name) const {
    FindData data;
    Resolved entry;
    entry.host = host;
    entry.Refresh();
    data.attributes = AttributesOf(entry);
    data.lastWriteTime = ModifyTime(entry.st);
    data.lastAccessTime = ToFileTime(entry.st.st_atim.tv_sec, entry.st.st_atim.tv_nsec);
    data.creationTime =
        std::min(data.lastWriteTime, ToFileTime(entry.st.st_ctim.tv_sec, entry.st.st_ctim.tv_nsec));
    data.size = entry.isDir ? 0 : static_cast<std::uint64_t>(entry.st.st_size);
    data.name = name;
    if (name != "." && name != "..") data.alternateName = meta_.ShortName(host);
    return data;
}

DWORD PortableFileSystem::FindFirst(const std::string& pattern, HANDLE& find, FindData& data) {
    std::lock_guard lock(mutex_);
    std::string raw = pattern;
    std::replace(raw.begin(), raw.end(), '/', '\\');
    // The mask is taken before the folder is normalised: "*." and "x." mean something.
    auto split = raw.find_last_of('\\');
    if (split == std::string::npos && raw.size() >= 2 && raw[1] == ':') split = 1;
    std::string mask = split == std::string::npos ? raw : raw.substr(split + 1);
    std::string folderPart =
        split == std::string::npos ? std::string(".") : raw.substr(0, split + 1);
    if (mask.empty()) return ERROR_FILE_NOT_FOUND;
    if (!ValidComponent(mask, true)) return ERROR_INVALID_NAME;

    Resolved folder;
    if (DWORD error = Resolve(folderPart, folder)) return error;
    if (!folder.exists || !folder.isDir) return ERROR_PATH_NOT_FOUND;

    auto state = std::make_unique<FindState>();
    NameMatcher matcher(mask, paths_.CodePage());
    if (!folder.isRoot) {
        for (const char* dot : {".", ".."})
            if (matcher.Matches(dot))
                state->results.push_back(
                    Describe(dot[1] ? folder.host.parent_path() : folder.host, dot));
    }
    std::error_code ec;
    struct Name {
        std::string host, machine, upper;
    };
    std::vector<Name> names;
    const unsigned codePage = paths_.CodePage();
    for (fs::directory_iterator it(folder.host, ec), end; !ec && it != end; it.increment(ec)) {
        std::string host = it->path().filename().string();
        std::string machine = paths_.MachineName(host);
        std::string upper = UpperName(machine, codePage);
        names.push_back({std::move(host), std::move(machine), std::move(upper)});
    }
    std::sort(names.begin(), names.end(),
              [](const Name& a, const Name& b) { return a.upper < b.upper; });
    for (const auto& name : names) {
        bool match = matcher.Matches(name.machine);
        if (!match && !IsValidShortName(name.machine)) {
            std::string alias = meta_.ShortName(folder.host / name.host);
            match = !alias.empty() && matcher.Matches(alias);
        }
        if (match) state->results.push_back(Describe(folder.host / name.host, name.machine));
    }
    if (state->results.empty()) return ERROR_FILE_NOT_FOUND;
    data = state->results[0];
    state->next = 1;
    find = NextHandle();
    finds_[find] = std::move(state);
    return ERROR_SUCCESS;
}

DWORD PortableFileSystem::FindNext(HANDLE find, FindData& data) {
    std::lock_guard lock(mutex_);
    auto it = finds_.find(find);
    if (it == finds_.end()) return ERROR_INVALID_HANDLE;
    FindState& state = *it->second;
    if (state.next >= state.results.size()) return ERROR_NO_MORE_FILES;
    data = state.results[state.next++];
    return ERROR_SUCCESS;
}

DWORD PortableFileSystem::FindClose(HANDLE find) {
    std::lock_guard lock(mutex_);
    return finds_.erase(find) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

// --- names -----------------------------------------------------------------------------------

DWORD PortableFileSystem::GetShortPathName(const std::string& path, std::string& shortPath) {
    std::lock_guard lock(mutex_);
    std::string full = paths_.FullPath(path);
    if (full.empty()) return ERROR_PATH_NOT_FOUND;
    fs::path current = paths_.DriveFolder(full[0]);
    if (current.empty()) return ERROR_PATH_NOT_FOUND;
    auto parts = PathMapper::Components(full);
    std::string out = full.substr(0, 3);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        std::string name = paths_.FindEntry(current, parts[i]);
        if (name.empty() || !ValidComponent(parts[i], false))
            return i + 1 == parts.size() ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
        current /= name;
        std::string alias = IsValidShortName(parts[i]) ? parts[i] : meta_.ShortName(current);
        if (i) out += '\\';
        out += alias.empty() ? paths_.MachineName(name) : alias;
    }
    if (!parts.empty() && full.back() == '\\') out += '\\';
    shortPath = out;
    return ERROR_SUCCESS;
}

DWORD PortableFileSystem::GetFullPathName(const std::string& path, std::string& fullPath) {
    std::lock_guard lock(mutex_);
    std::string full = paths_.FullPath(path);
    if (full.empty()) return ERROR_INVALID_NAME;
    fullPath = full;
    return ERROR_SUCCESS;
}

DWORD PortableFileSystem::GetTempFileName(const std::string& folder, const std::string& prefix,
                                          DWORD unique, std::string& result) {
    std::lock_guard lock(mutex_);
    std::string base = folder;
    if (!base.empty() && base.back() != '\\' && base.back() != '/') base += '\\';
    base += prefix.substr(0, 3);
    auto name = [&](DWORD number) {
        char hex[8];
        std::snprintf(hex, sizeof hex, "%04X", static_cast<unsigned>(number & 0xFFFF));
        return base + hex + ".TMP";
    };
    if (unique != 0) {
        result = name(unique);
        return ERROR_SUCCESS;
    }
    for (DWORD tries = 0; tries < 0x10000; ++tries) {
        DWORD number = ++tempCounter_ & 0xFFFF;
        if (number == 0) continue;
        HANDLE file = INVALID_HANDLE_VALUE;
        std::string candidate = name(number);
        DWORD error =
            CreateFile(candidate, GENERIC_WRITE, 0, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, file);
        if (error == ERROR_SUCCESS) {
            CloseFile(file);
            result = candidate;
            return ERROR_SUCCESS;
        }
        if (error != ERROR_FILE_EXISTS && error != ERROR_SHARING_VIOLATION &&
            error != ERROR_ACCESS_DENIED)
            return error;
    }
    return ERROR_FILE_EXISTS;
}

// --- times and space -------------------------------------------------------------------------

FILETIME PortableFileSystem::ToFileTime(std::int64_t unixSeconds, long nanoseconds) {
    return static_cast<FILETIME>((unixSeconds + kEpochDifference) * kTicksPerSecond +
                                 nanoseconds / 100);
}

void PortableFileSystem::FromFileTime(FILETIME time, std::int64_t& unixSeconds, long& nanoseconds) {
    std::int64_t ticks = static_cast<std::int64_t>(time) - kEpochDifference * kTicksPerSecond;
    unixSeconds = ticks / kTicksPerSecond;
    std::int64_t rest = ticks % kTicksPerSecond;
    if (rest < 0) {
        rest += kTicksPerSecond;
        --unixSeconds;
    }
    nanoseconds = static_cast<long>(rest * 100);
}

DWORD PortableFileSystem::GetLastWriteTime(const std::string& path, FILETIME& time) {
    std::lock_guard lock(mutex_);
    Resolved target;
    if (DWORD error = Resolve(path, target)) return error;
    if (!target.exists) return MissingError(target);
    time = ModifyTime(target.st);
    return ERROR_SUCCESS;
}

DWORD PortableFileSystem::SetLastWriteTime(const std::string& path, FILETIME time) {
    std::lock_guard lock(mutex_);
    Resolved target;
    if (DWORD error = Resolve(path, target)) return error;
    if (!target.exists) return MissingError(target);
    if (IsProtectedHost(target)) return ERROR_ACCESS_DENIED;
    if (IsBusy(target)) return ERROR_SHARING_VIOLATION;
    timespec times[2] = {{0, UTIME_OMIT}, {}};
    std::int64_t seconds = 0;
    long nanoseconds = 0;
    FromFileTime(time, seconds, nanoseconds);
    times[1].tv_sec = static_cast<time_t>(seconds);
    times[1].tv_nsec = nanoseconds;
    if (::utimensat(AT_FDCWD, target.host.c_str(), times, 0) != 0) return FromErrno(errno);
    return ERROR_SUCCESS;
}

DWORD PortableFileSystem::GetDiskFreeSpace(const std::string& root, std::uint64_t& freeBytes,
                                           std::uint64_t& totalBytes) {
    std::lock_guard lock(mutex_);
    Resolved target;
    if (DWORD error = Resolve(root, target)) return error;
    if (!target.exists) return ERROR_PATH_NOT_FOUND;
    struct statvfs info {};
    if (::statvfs(target.host.c_str(), &info) != 0) return FromErrno(errno);
    freeBytes = static_cast<std::uint64_t>(info.f_bavail) * info.f_frsize;
    totalBytes = static_cast<std::uint64_t>(info.f_blocks) * info.f_frsize;
    return ERROR_SUCCESS;
}

FILETIME PortableFileSystem::ToLocalFileTime(FILETIME utc) {
    std::int64_t seconds = 0;
    long nanoseconds = 0;
    FromFileTime(utc, seconds, nanoseconds);
    time_t t = static_cast<time_t>(seconds);
    std::tm local{};
    if (!::localtime_r(&t, &local)) return utc;
    return ToFileTime(static_cast<std::int64_t>(::timegm(&local)), nanoseconds);
}

FILETIME PortableFileSystem::FromLocalFileTime(FILETIME local) {
    std::int64_t seconds = 0;
    long nanoseconds = 0;
    FromFileTime(local, seconds, nanoseconds);
    time_t t = static_cast<time_t>(seconds);
    std::tm broken{};
    if (!::gmtime_r(&t, &broken)) return local;
    broken.tm_isdst = -1;
    time_t utc = std::mktime(&broken);
    if (utc == static_cast<time_t>(-1)) return local;
    return ToFileTime(static_cast<std::int64_t>(utc), nanoseconds);
}

// --- open files ------------------------------------------------------------------------------

DWORD PortableFileSystem::CreateFile(const std::string& path, DWORD access, DWORD share,
                                     DWORD disposition, DWORD attributes, HANDLE& file) {
    std::lock_guard lock(mutex_);
    if (disposition < CREATE_NEW || disposition > TRUNCATE_EXISTING) return ERROR_INVALID_PARAMETER;
    Resolved target;
    if (DWORD error = Resolve(path, target)) return error;
    if (target.isDir || target.isRoot) return ERROR_ACCESS_DENIED;
    if (!target.exists) {
        if (MissingError(target) == ERROR_PATH_NOT_FOUND) return ERROR_PATH_NOT_FOUND;
        if (disposition == OPEN_EXISTING || disposition == TRUNCATE_EXISTING)
            return ERROR_FILE_NOT_FOUND;
    } else {
        if (disposition == CREATE_NEW) return ERROR_FILE_EXISTS;
        if (IsBusy(target)) return ERROR_SHARING_VIOLATION;
        const bool overwrites = disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING;
        // A program the machine started holds its file without write sharing while it runs.
        if ((Writes(access) || overwrites) && running_ && running_->Holds(target.host))
            return ERROR_SHARING_VIOLATION;
        DWORD current = AttributesOf(target);
        if ((Writes(access) || overwrites) &&
            (IsUndeletable(target) || (current & FILE_ATTRIBUTE_READONLY)))
            return ERROR_ACCESS_DENIED;
        // Replacing a hidden or system file needs the caller to say so.
        DWORD keep = current & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
        if (disposition == CREATE_ALWAYS && (attributes & keep) != keep) return ERROR_ACCESS_DENIED;
        if (DWORD error = CheckShare(target, access, share)) return error;
    }
    if (disposition == TRUNCATE_EXISTING && !Writes(access)) return ERROR_INVALID_PARAMETER;
    const bool changes = Writes(access) || disposition == CREATE_ALWAYS ||
                         disposition == TRUNCATE_EXISTING ||
                         (!target.exists && disposition != OPEN_EXISTING);
    if (changes && IsProtectedHost(target)) return ERROR_ACCESS_DENIED;

    int flags = O_CLOEXEC;
    flags |= Reads(access) && Writes(access) ? O_RDWR : Writes(access) ? O_WRONLY : O_RDONLY;
    if (disposition == CREATE_NEW) flags |= O_CREAT | O_EXCL;
    if (disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS) flags |= O_CREAT;
    if (disposition == CREATE_ALWAYS || disposition == TRUNCATE_EXISTING) flags |= O_TRUNC;
    const bool created = !target.exists;
    std::optional<PathMapper::FolderChange> change;
    if (created) change.emplace(paths_, target.host);
    UniqueFd fd(::open(target.host.c_str(), flags, 0666));
    if (!fd) return errno == EEXIST ? ERROR_FILE_EXISTS : FromErrno(errno);
    if (created) NoteCreated(target);

    struct stat st {};
    ::fstat(fd.Get(), &st);
    if (created || disposition == CREATE_ALWAYS) {
        if (created) meta_.Forget(target.host);
        meta_.SetAttributes(target.host, (attributes & kFileMetaBits) | FILE_ATTRIBUTE_ARCHIVE);
        if (attributes & FILE_ATTRIBUTE_READONLY)
            ::fchmod(fd.Get(), st.st_mode & 07777 & ~static_cast<mode_t>(0222));
    } else if (disposition == TRUNCATE_EXISTING) {
        meta_.SetAttributes(target.host, meta_.Attributes(target.host) | FILE_ATTRIBUTE_ARCHIVE);
    }

    auto open = std::make_unique<OpenFile>();
    open->device = st.st_dev;
    open->inode = st.st_ino;
    open->host = target.host;
    open->access = access;
    open->share = share;
    open->fd = std::move(fd);
    file = NextHandle();
    files_[file] = std::move(open);
    return ERROR_SUCCESS;
}

DWORD PortableFileSystem::ReadFile(HANDLE file, void* buffer, DWORD size, DWORD& read) {
    std::lock_guard lock(mutex_);
    read = 0;
    OpenFile* open = Handle(file);
    if (!open) return ERROR_INVALID_HANDLE;
    if (!Reads(open->access)) return ERROR_ACCESS_DENIED;
    auto* bytes = static_cast<char*>(buffer);
    while (read < size) {
        ssize_t got = ::read(open->fd.Get(), bytes + read, size - read);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return errno == EISDIR ? ERROR_ACCESS_DENIED : ERROR_READ_FAULT;
        if (got == 0) break;
        read += static_cast<DWORD>(got);
    }
    return ERROR_SUCCESS;
}

DWORD PortableFileSystem::WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD& written) {
    std::lock_guard lock(mutex_);
    written = 0;
    OpenFile* open = Handle(file);
    if (!open) return ERROR_INVALID_HANDLE;
    if (!Writes(open->access)) return ERROR_ACCESS_DENIED;
    const auto* bytes = static_cast<const char*>(buffer);
    while (written < size) {
        ssize_t put = ::write(open->fd.Get(), bytes + written, size - written);
        if (put < 0 && errno == EINTR) continue;
        if (put < 0)
            return errno == ENOSPC || errno == EDQUOT ? ERROR_DISK_FULL : ERROR_WRITE_FAULT;
        written += static_cast<DWORD>(put);
    }
    if (!open->archived) {
        open->archived = true;
        meta_.SetAttributes(open->host, meta_.Attributes(open->host) | FILE_ATTRIBUTE_ARCHIVE);
    }
    return ERROR_SUCCESS;
}

DWORD PortableFileSystem::SetFilePointer(HANDLE file, std::int64_t distance, DWORD method,
                                         std::uint64_t& position) {
    std::lock_guard lock(mutex_);
    OpenFile* open = Handle(file);
    if (!open) return ERROR_INVALID_HANDLE;
    int whence = method == FILE_BEGIN     ? SEEK_SET
                 : method == FILE_CURRENT ? SEEK_CUR
                 : method == FILE_END     ? SEEK_END
                                          : -1;
    if (whence < 0) return ERROR_INVALID_PARAMETER;
    off_t base = whence == SEEK_SET ? 0 : ::lseek(open->fd.Get(), 0, whence);
    if (base < 0) return ERROR_INVALID_PARAMETER;
    std::int64_t target = static_cast<std::int64_t>(base) + distance;
    if (target < 0) return ERROR_NEGATIVE_SEEK;
    off_t now = ::lseek(open->fd.Get(), static_cast<off_t>(target), SEEK_SET);
    if (now < 0) return ERROR_INVALID_PARAMETER;
    position = static_cast<std::uint64_t>(now);
    return ERROR_SUCCESS;
}

DWORD PortableFileSystem::GetFileSize(HANDLE file, std::uint64_t& size) {
    std::lock_guard lock(mutex_);
    OpenFile* open = Handle(file);
    if (!open) return ERROR_INVALID_HANDLE;
    struct stat st {};
    if (::fstat(open->fd.Get(), &st) != 0) return FromErrno(errno);
    size = static_cast<std::uint64_t>(st.st_size);
    return ERROR_SUCCESS;
}

DWORD PortableFileSystem::SetEndOfFile(HANDLE file) {
    std::lock_guard lock(mutex_);
    OpenFile* open = Handle(file);
    if (!open) return ERROR_INVALID_HANDLE;
    if (!Writes(open->access)) return ERROR_ACCESS_DENIED;
    off_t position = ::lseek(open->fd.Get(), 0, SEEK_CUR);
    if (position < 0 || ::ftruncate(open->fd.Get(), position) != 0) return FromErrno(errno);
    return ERROR_SUCCESS;
}

DWORD PortableFileSystem::GetFileTime(HANDLE file, FILETIME& lastWrite) {
    std::lock_guard lock(mutex_);
    OpenFile* open = Handle(file);
    if (!open) return ERROR_INVALID_HANDLE;
    struct stat st {};
    if (::fstat(open->fd.Get(), &st) != 0) return FromErrno(errno);
    lastWrite = open->timeFixed ? open->fixedTime : ModifyTime(st);
    return ERROR_SUCCESS;
}

DWORD PortableFileSystem::SetFileTime(HANDLE file, FILETIME lastWrite) {
    std::lock_guard lock(mutex_);
    OpenFile* open = Handle(file);
    if (!open) return ERROR_INVALID_HANDLE;
    if (!Writes(open->access)) return ERROR_ACCESS_DENIED;
    std::int64_t seconds = 0;
    long nanoseconds = 0;
    FromFileTime(lastWrite, seconds, nanoseconds);
    const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), nanoseconds}};
    if (::futimens(open->fd.Get(), times) != 0) return FromErrno(errno);
    open->timeFixed = true;
    open->fixedTime = lastWrite;
    return ERROR_SUCCESS;
}

DWORD PortableFileSystem::CloseFile(HANDLE file) {
    std::lock_guard lock(mutex_);
    auto it = files_.find(file);
    if (it == files_.end()) return ERROR_INVALID_HANDLE;
    OpenFile& open = *it->second;
    if (open.timeFixed) {
        std::int64_t seconds = 0;
        long nanoseconds = 0;
        FromFileTime(open.fixedTime, seconds, nanoseconds);
        const timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(seconds), nanoseconds}};
        ::futimens(open.fd.Get(), times);
    }
    files_.erase(it);
    return ERROR_SUCCESS;
}

} // namespace tarn::platform::portable
