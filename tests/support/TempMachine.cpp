#include "support/TempMachine.h"

#include <atomic>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace tarn::test {

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    std::random_device rd;
    std::ostringstream name;
    name << "tarnwell-test-" << getpid() << '-' << counter++ << '-' << std::hex << rd();
    path_ = std::filesystem::temp_directory_path() / name.str();
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
    std::error_code ec;
    // Read-only files would block nothing for root, but restore write bits anyway.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
}

TempMachine::TempMachine() {
    machine_ = std::make_unique<platform::portable::Machine>(folder_.Path() / "machine");
    scope_ = std::make_unique<platform::ScopedPlatform>(*machine_);
}

TempMachine::~TempMachine() {
    Close();
}

void TempMachine::Close() {
    scope_.reset();
    machine_.reset();
}

void TempMachine::Reopen() {
    Close();
    machine_ = std::make_unique<platform::portable::Machine>(folder_.Path() / "machine");
    scope_ = std::make_unique<platform::ScopedPlatform>(*machine_);
}

std::filesystem::path TempMachine::Host(const std::string& windowsPath) const {
    if (windowsPath.size() < 3 || windowsPath[1] != ':')
        throw std::invalid_argument("not a drive path: " + windowsPath);
    std::string rest = windowsPath.substr(3);
    for (char& c : rest)
        if (c == '\\') c = '/';
    char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(windowsPath[0])));
    return folder_.Path() / "machine" / (std::string("drive_") + drive) / rest;
}

void WriteHostFile(const std::filesystem::path& path, const std::string& content) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string ReadHostFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path.string());
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::map<std::string, std::string> SnapshotMachineFolder(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder)) {
        if (e.is_regular_file() && e.path().filename() != "filemeta.txt")
            files[e.path().string()] = ReadHostFile(e.path());
        else if (e.is_directory())
            files[e.path().string() + "/"] = "";
    }
    return files;
}

} // namespace tarn::test
