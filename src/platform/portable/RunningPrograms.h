// The programs the machine started that have not yet ended. Windows holds the file of a running
// program: it cannot be deleted (access denied) or opened for writing (sharing violation) until
// the program ends. The file system asks here; the process service adds its starts.
//
// Windows holds the file for every process, not only for the one that started the program, so
// each start is also recorded in a folder of the machine: one file per program, named by its
// pid, holding its start time (/proc/<pid>/stat, so that a reused pid does not count) and the
// host file. Any process on the machine sees the records; one whose program has ended is removed
// by whoever sees it, and the folder itself once it is empty.
#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <sys/types.h>
#include <vector>

namespace tarn::platform::portable {

class RunningPrograms {
public:
    struct Child {
        pid_t pid = 0;
        std::filesystem::path program; // the host file it was started from
        bool exited = false;
        int status = 0;
        std::filesystem::path record; // its file in the records folder; empty when none
    };

    // Only the children of this process count.
    RunningPrograms() = default;
    // The children of every process that records its starts in this folder count.
    explicit RunningPrograms(std::filesystem::path records) : records_(std::move(records)) {}

    std::shared_ptr<Child> Add(pid_t pid, std::filesystem::path program);
    // Whether a program started from this host file still runs.
    bool Holds(const std::filesystem::path& host);
    // This process is ending: its own program file no longer counts as held (the batch files it
    // started run after it, as on Windows).
    void ReleaseOwnProgram() { ownReleased_ = true; }
    // Reaps the child when it has ended, without waiting; true once it has. Its record goes then.
    static bool Poll(Child& child);

private:
    bool Recorded(const std::filesystem::path& host);

    std::filesystem::path records_;
    bool ownReleased_ = false;
    std::mutex mutex_;
    std::vector<std::shared_ptr<Child>> children_;
};

} // namespace tarn::platform::portable
