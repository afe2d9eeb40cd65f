// A fresh embedded machine in a temporary folder, put in force for the object's lifetime.
#pragma once

#include "platform/Platform.h"
#include "platform/portable/Machine.h"

#include <filesystem>
#include <map>
#include <memory>
#include <string>

namespace tarn::test {

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& Path() const { return path_; }

private:
    std::filesystem::path path_;
};

class TempMachine {
public:
    TempMachine();
    ~TempMachine();

    platform::portable::Machine& Get() { return *machine_; }
    platform::portable::Machine* operator->() { return machine_.get(); }
    const std::filesystem::path& Folder() const { return folder_.Path(); }
    // Host path of a Windows path on drive C: of this machine ("C:\A\b.txt").
    std::filesystem::path Host(const std::string& windowsPath) const;
    // Closes the machine (flushing it) and opens it again from its folder.
    void Reopen();
    // Closes the machine, releasing its lock (for tests that run other processes on it).
    void Close();

private:
    TempFolder folder_;
    std::unique_ptr<platform::portable::Machine> machine_;
    std::unique_ptr<platform::ScopedPlatform> scope_;
};

// Writes a file on the host, creating its folders.
void WriteHostFile(const std::filesystem::path& path, const std::string& content);
std::string ReadHostFile(const std::filesystem::path& path);
// Every file and folder below a machine folder with its content. The machine's store of 8.3
// names is left out: the machine gives a file its short name when first asked, where Windows
// gave it when the file was made.
std::map<std::string, std::string> SnapshotMachineFolder(const std::filesystem::path& folder);

} // namespace tarn::test
