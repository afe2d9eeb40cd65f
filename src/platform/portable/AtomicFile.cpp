#include "platform/portable/AtomicFile.h"

#include "platform/portable/Machine.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace tarn::platform::portable {
namespace {

constexpr std::string_view kTemporaryMark = ".tmp-";

[[noreturn]] void Fail(const std::string& what, const std::filesystem::path& path, int error) {
    throw MachineError("Cannot " + what + " " + path.string() + ": " + std::strerror(error));
}

// A descriptor closed on every way out.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return fd_; }
    // Closes now, reporting the error that close can give for data not yet written.
    int Close() {
        int rc = ::close(fd_);
        fd_ = -1;
        return rc;
    }

private:
    int fd_;
};

void WriteAll(int fd, std::string_view content, const std::filesystem::path& path) {
    while (!content.empty()) {
        ssize_t n = ::write(fd, content.data(), content.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            Fail("write", path, errno);
        }
        content.remove_prefix(static_cast<std::size_t>(n));
    }
}

std::filesystem::path TemporaryName(const std::filesystem::path& file) {
    static std::atomic<unsigned> counter{0};
    static const unsigned salt = std::random_device{}();
    return file.parent_path() /
           (file.filename().string() + std::string(kTemporaryMark) + std::to_string(::getpid()) +
            "-" + std::to_string(salt) + "-" + std::to_string(counter++));
}

void SyncFolder(const std::filesystem::path& folder) {
    Descriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() < 0) Fail("open the folder", folder, errno);
    if (::fsync(dir.Get()) != 0 && errno != EINVAL) Fail("sync the folder", folder, errno);
}

} // namespace

void WriteFileAtomically(const std::filesystem::path& file, std::string_view content) {
    std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
    std::filesystem::path temporary = TemporaryName(file);
    Descriptor fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.Get() < 0) Fail("create", temporary, errno);
    try {
        WriteAll(fd.Get(), content, temporary);
        if (::fsync(fd.Get()) != 0) Fail("sync", temporary, errno);
        if (fd.Close() != 0) Fail("close", temporary, errno);
        if (::rename(temporary.c_str(), file.c_str()) != 0) Fail("replace", file, errno);
    } catch (...) {
        ::unlink(temporary.c_str());
        throw;
    }
    // The new name is durable only once the folder is.
    SyncFolder(folder);
}

bool IsTemporaryOf(const std::filesystem::path& file, const std::string& entryName) {
    std::string prefix = file.filename().string() + std::string(kTemporaryMark);
    return entryName.size() > prefix.size() && entryName.compare(0, prefix.size(), prefix) == 0;
}

void RemoveStaleTemporaries(const std::filesystem::path& file) {
    std::filesystem::path folder = file.parent_path().empty() ? "." : file.parent_path();
    std::vector<std::filesystem::path> stale;
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec))
        if (IsTemporaryOf(file, it->path().filename().string())) stale.push_back(it->path());
    for (const auto& path : stale)
        std::filesystem::remove(path, ec);
}

} // namespace tarn::platform::portable
