#include "platform/portable/MachineLock.h"

#include "platform/portable/Machine.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace tarn::platform::portable {

namespace {
constexpr std::chrono::milliseconds kPollInterval{50};
}

MachineLock::MachineLock(const std::filesystem::path& folder, std::chrono::milliseconds wait) {
    std::filesystem::path file = folder / "machine.lock";
    fd_ = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd_ < 0) throw MachineError("Cannot open " + file.string() + ": " + std::strerror(errno));
    auto deadline = std::chrono::steady_clock::now() + wait;
    while (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        int error = errno;
        if (error == EINTR) continue;
        if (error != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            ::close(fd_);
            if (error != EWOULDBLOCK)
                throw MachineError("Cannot lock " + file.string() + ": " + std::strerror(error));
            throw MachineError("The machine " + folder.string() + " is in use by another process");
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

MachineLock::~MachineLock() {
    // Closing the only descriptor releases the lock.
    ::close(fd_);
}

} // namespace tarn::platform::portable
