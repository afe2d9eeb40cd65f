// Maps Windows paths of the embedded machine onto host paths: drive X: is the folder drive_x/ of
// the machine folder, drive Z: is the host's root folder (as under Wine). Components are matched
// without regard to case, and 8.3 short names resolve to the long names they stand for.
// Windows paths are in the machine's ANSI code page, host names in UTF-8: a host name the code
// page cannot hold shows with "?" in its place, which no valid Windows name can name back.
#pragma once

#include "platform/WinTypes.h"
#include "platform/portable/CodePage.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace tarn::platform::portable {

class FileMetaStore;

class PathMapper {
public:
    // meta supplies the short names; both must outlive the mapper.
    PathMapper(std::filesystem::path machineFolder, FileMetaStore& meta,
               unsigned codePage = kDefaultAnsiCodePage);

    // "C:\Dir\..\X" or "c:/dir/x" → "C:\Dir\X"; relative paths are taken against the current
    // folder. A trailing backslash is kept. Empty when the path is not a drive path.
    std::string FullPath(const std::string& windowsPath) const;
    // The host path for a Windows path: existing components are found case-insensitively (or by
    // their short name); the rest are appended as given. Empty when the drive does not exist.
    std::optional<std::filesystem::path> ToHost(const std::string& windowsPath) const;
    // The Windows path of a host path: inside a drive folder of the machine it is on that drive,
    // otherwise on Z:.
    std::string FromHost(const std::filesystem::path& hostPath) const;
    // Whether a drive letter exists on this machine (Z: always does).
    bool DriveExists(char letter) const;
    // The host folder of a drive ("/" for Z:); empty when the drive does not exist.
    std::filesystem::path DriveFolder(char letter) const;
    // The name of the existing entry of a host folder that a component names: the component
    // itself, the same name in another case, or the long name behind an alias. Empty if none.
    std::string FindEntry(const std::filesystem::path& folder, const std::string& component) const;

    // The current folder for relative paths; the host's current folder (through FromHost) at start.
    const std::string& CurrentDirectory() const { return current_; }
    void SetCurrentDirectory(const std::string& windowsPath);

    const std::filesystem::path& MachineFolder() const { return machine_; }
    FileMetaStore& Meta() const { return meta_; }
    unsigned CodePage() const { return codePage_; }
    // A host file name as the machine shows it, and a machine name as the host stores it.
    std::string MachineName(const std::string& hostName) const;
    std::string HostName(const std::string& machineName) const;

    // The parts of a full path: "C:\A\b" → drive 'C', {"A", "b"}.
    static std::vector<std::string> Components(const std::string& fullPath);

    // Put around one change this process makes to an entry of a machine drive (create, delete,
    // rename), so that the name index of its folder follows the change instead of being read
    // again: without it, removing or creating n entries named in another case than the host's
    // would read the folder n times.
    class FolderChange {
    public:
        FolderChange(const PathMapper& paths, std::filesystem::path entry);
        ~FolderChange();
        FolderChange(const FolderChange&) = delete;
        FolderChange& operator=(const FolderChange&) = delete;

    private:
        const PathMapper& paths_;
        std::filesystem::path entry_;
        bool indexCurrent_ = false;
    };

private:
    // The names of a host folder by their upper-case machine name, valid while the folder's
    // modification time is the one seen when it was read or last changed by this process.
    struct NameIndex {
        std::filesystem::file_time_type stamp;
        std::unordered_map<std::string, std::string> byUpperName;
        // Upper-case names that more than one host name has (a case-sensitive host).
        std::unordered_set<std::string> shared;
    };

    // The host name in an indexed folder that a machine name stands for, the index read or
    // refreshed first; nullopt when the folder is not one this mapper indexes.
    std::optional<std::string> FindIndexed(const std::filesystem::path& folder,
                                           const std::string& component) const;
    bool Indexable(const std::filesystem::path& folder) const;
    void AddToIndex(NameIndex& index, const std::string& hostName) const;

    mutable std::mutex indexMutex_;
    mutable std::map<std::string, NameIndex> indexes_;
    std::filesystem::path machine_;
    std::filesystem::path canonicalMachine_;
    FileMetaStore& meta_;
    unsigned codePage_;
    std::string current_;
};

// Full Windows paths compared as Windows does: without regard to case or a trailing backslash.
bool SamePath(const std::string& a, const std::string& b, unsigned codePage);

} // namespace tarn::platform::portable
