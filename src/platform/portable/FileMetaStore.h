// What the host file system cannot hold for a file of the embedded machine: the hidden, system,
// archive, temporary and offline attributes (and read-only for folders), and the 8.3 alias once
// one has been given out. Kept in a small text file of the machine folder, keyed by host path.
#pragma once

#include "platform/WinTypes.h"

#include "platform/portable/CodePage.h"

#include <filesystem>
#include <map>
#include <mutex>
#include <string>

namespace tarn::platform::portable {

class FileMetaStore {
public:
    // Loads <machineFolder>/filemeta.txt when it exists. Expects the machine folder to be ours
    // alone (its lock held): temporaries a killed writer left are removed.
    // Short names are made in the machine's code page from the names the host's UTF-8 names
    // have on the machine.
    explicit FileMetaStore(const std::filesystem::path& machineFolder,
                           unsigned codePage = kDefaultAnsiCodePage);
    ~FileMetaStore(); // flushes
    FileMetaStore(const FileMetaStore&) = delete;
    FileMetaStore& operator=(const FileMetaStore&) = delete;

    // Attribute bits kept here for a host path (0 when none are recorded).
    DWORD Attributes(const std::filesystem::path& host) const;
    void SetAttributes(const std::filesystem::path& host, DWORD attributes);

    // The 8.3 alias of an existing entry: empty when its name is already a short name.
    // Aliases are handed out for a whole folder at once, in name order, and then kept.
    std::string ShortName(const std::filesystem::path& host);
    // The entry of folder whose alias is shortName (case-insensitive); empty when none.
    std::string LongNameFor(const std::filesystem::path& folder, const std::string& shortName);

    // Bookkeeping for changes made to the host files: everything below host follows.
    void Forget(const std::filesystem::path& host);
    // A moved entry keeps its attributes but gets a new alias in its new place.
    void Move(const std::filesystem::path& from, const std::filesystem::path& to);

    // Writes the store (temporary file, then rename) when it has changed. Throws MachineError.
    void Flush();

private:
    struct Entry {
        DWORD attributes = 0;
        std::string shortName;
    };

    std::string Key(const std::filesystem::path& host) const;
    void AssignFolder(const std::filesystem::path& folder);
    void Load();
    // A host name as the machine sees it.
    std::string MachineName(const std::string& hostName) const {
        return Utf8ToAnsiLossy(hostName, codePage_);
    }

    std::filesystem::path machine_;
    std::filesystem::path file_;
    unsigned codePage_;
    std::map<std::string, Entry> entries_;
    bool dirty_ = false;
    // The mapper of every service reaches the store, not only the file system.
    mutable std::recursive_mutex mutex_;
};

} // namespace tarn::platform::portable
