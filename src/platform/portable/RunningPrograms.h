// The programs the machine started that have not yet ended. Windows holds the file of a running
// program: it cannot be deleted (access denied) or opened for writing (sharing violation) until
// the program ends. The file system asks here; the process service adds its starts.
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
    };

    std::shared_ptr<Child> Add(pid_t pid, std::filesystem::path program);
    // Whether a program started from this host file still runs.
    bool Holds(const std::filesystem::path& host);
    // Reaps the child when it has ended, without waiting; true once it has.
    static bool Poll(Child& child);

private:
    std::mutex mutex_;
    std::vector<std::shared_ptr<Child>> children_;
};

} // namespace tarn::platform::portable
