// One process at a time per machine folder: an exclusive lock on <folder>/machine.lock, held for
// the object's lifetime. The lock file is not inherited by programs the machine starts.
#pragma once

#include <chrono>
#include <filesystem>

namespace tarn::platform::portable {

class MachineLock {
public:
    // Waits up to `wait` for another process to release the machine, then throws MachineError.
    explicit MachineLock(const std::filesystem::path& folder,
                         std::chrono::milliseconds wait = std::chrono::seconds(30));
    ~MachineLock();
    MachineLock(const MachineLock&) = delete;
    MachineLock& operator=(const MachineLock&) = delete;

private:
    int fd_ = -1;
};

} // namespace tarn::platform::portable
