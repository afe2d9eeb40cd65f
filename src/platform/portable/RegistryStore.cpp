#include "platform/portable/RegistryStore.h"

#include "platform/portable/AtomicFile.h"
#include "platform/portable/RegFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tarn::platform::portable {
namespace {

// The file's content, or nothing when it does not exist.
std::optional<std::string> ReadFile(const std::filesystem::path& file) {
    int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) return std::nullopt;
        throw MachineError("Cannot read " + file.string() + ": " + std::strerror(errno));
    }
    std::string content;
    char buffer[65536];
    while (true) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            int error = errno;
            ::close(fd);
            throw MachineError("Cannot read " + file.string() + ": " + std::strerror(error));
        }
        content.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return content;
}

} // namespace

RegistryStore::RegistryStore(std::filesystem::path file) : file_(std::move(file)) {
    RemoveStaleTemporaries(file_);
    if (auto text = ReadFile(file_)) tree_ = LoadRegFile(*text, file_.string());
}

void RegistryStore::Flush() {
    if (!dirty_) return;
    WriteFileAtomically(file_, WriteRegFile(tree_));
    dirty_ = false;
}

std::shared_ptr<RegKey> RegistryStore::Find(const StoredKeyPath& path) const {
    std::shared_ptr<RegKey> key = tree_.RootPtr(path.root);
    for (const std::string& name : path.names) {
        key = key->FindSubKey(name);
        if (!key) return nullptr;
    }
    return key;
}

std::optional<std::string> RegistryStore::Export(std::string_view fullPath) const {
    if (fullPath.empty()) return WriteRegFile(tree_);
    auto path = ToStoredPath(fullPath);
    if (!path) return std::nullopt;
    auto key = Find(*path);
    if (!key) return std::nullopt;
    return WriteRegFile(*key);
}

void RegistryStore::Import(std::string_view text, const std::string& source) {
    ApplyRegFile(tree_, ParseRegFile(text, source));
    dirty_ = true;
}

} // namespace tarn::platform::portable
