#include "platform/portable/PortableProcesses.h"

#include "platform/CommandLine.h"
#include "platform/Platform.h"
#include "platform/portable/BatchRunner.h"
#include "platform/portable/PathMapper.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tarn::platform::portable {
namespace {

bool HasFolder(const std::string& name) {
    return name.find_first_of("\\/:") != std::string::npos;
}

// Host programs a machine can start: scripts with #! and ELF executables.
// A file holding a host program runs, as any program file does on Windows: the machine's files
// carry no execute bits of their own, so one copied or extracted onto drive C: is given them.
// A host file outside the machine (drive Z:) is left as the host has it.
bool Runnable(const std::filesystem::path& host, bool onMachine) {
    struct stat st {};
    if (stat(host.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    std::ifstream in(host, std::ios::binary);
    char magic[4] = {};
    in.read(magic, 4);
    const bool program = (magic[0] == '#' && magic[1] == '!') || std::memcmp(magic,
                                                                             "\x7f"
                                                                             "ELF",
                                                                             4) == 0;
    if (!program) return false;
    if (st.st_mode & (S_IXUSR | S_IXGRP | S_IXOTH)) return true;
    return onMachine && chmod(host.c_str(), st.st_mode | S_IXUSR) == 0;
}

// The program's arguments: the command line without the program when no application is named.
std::vector<std::string> Arguments(const ProcessStart& start) {
    std::vector<std::string> args = SplitCommandLine(start.commandLine);
    if (start.application.empty() && !args.empty()) args.erase(args.begin());
    return args;
}

} // namespace

PortableProcesses::PortableProcesses(PathMapper& paths, RunningPrograms& running,
                                     std::filesystem::path machineFolder,
                                     std::function<std::vector<std::string>()> searchFolders)
    : paths_(paths), running_(running), machineFolder_(std::move(machineFolder)),
      searchFolders_(std::move(searchFolders)),
      machineProgram_(std::getenv("TARNWELL_PROGRAM") != nullptr) {}

PortableProcesses::~PortableProcesses() {
    // Programs keep running after the machine closes; reap only those already done.
    for (auto& [handle, child] : children_)
        RunningPrograms::Poll(*child);
}

DWORD PortableProcesses::FindProgram(const ProcessStart& start, std::string& windowsPath,
                                     std::filesystem::path& hostPath) {
    std::string name = start.application;
    if (name.empty()) {
        std::vector<std::string> args = SplitCommandLine(start.commandLine);
        if (args.empty()) return ERROR_FILE_NOT_FOUND;
        name = args[0];
    }
    auto candidate = [&](const std::string& path) -> bool {
        for (const std::string& p : {path, path + ".exe"}) {
            auto host = paths_.ToHost(p);
            std::error_code ec;
            if (host && std::filesystem::is_regular_file(*host, ec)) {
                windowsPath = paths_.FullPath(p);
                hostPath = *host;
                return true;
            }
        }
        return false;
    };
    if (start.application.empty() && !HasFolder(name)) {
        // CreateProcess without an application name searches the usual folders.
        for (const std::string& folder : searchFolders_())
            if (candidate(folder + "\\" + name)) return ERROR_SUCCESS;
        if (const char* path = std::getenv("PATH")) {
            std::string dirs = path;
            std::size_t from = 0;
            while (from <= dirs.size()) {
                std::size_t to = dirs.find(':', from);
                if (to == std::string::npos) to = dirs.size();
                std::filesystem::path host =
                    std::filesystem::path(dirs.substr(from, to - from)) / name;
                std::error_code ec;
                if (!dirs.substr(from, to - from).empty() &&
                    std::filesystem::is_regular_file(host, ec)) {
                    windowsPath = paths_.FromHost(host);
                    hostPath = host;
                    return ERROR_SUCCESS;
                }
                from = to + 1;
            }
        }
        return ERROR_FILE_NOT_FOUND;
    }
    windowsPath = paths_.FullPath(name);
    if (windowsPath.empty()) return ERROR_PATH_NOT_FOUND;
    if (candidate(name)) return ERROR_SUCCESS;
    auto host = paths_.ToHost(windowsPath);
    std::error_code ec;
    if (!host || !std::filesystem::is_directory(host->parent_path(), ec))
        return ERROR_PATH_NOT_FOUND;
    if (std::filesystem::is_directory(*host, ec)) return ERROR_ACCESS_DENIED;
    return ERROR_FILE_NOT_FOUND;
}

std::string PortableProcesses::ProgramPath(const ProcessStart& start) {
    std::string windowsPath;
    std::filesystem::path host;
    FindProgram(start, windowsPath, host);
    return windowsPath;
}

DWORD PortableProcesses::CreateProcess(const ProcessStart& start, HANDLE& process) {
    process = 0;
    std::string windowsPath;
    std::filesystem::path host;
    if (DWORD rc = FindProgram(start, windowsPath, host); rc != ERROR_SUCCESS) return rc;
    if (IsBatchFile(windowsPath)) return RunBatchFile(start, windowsPath, process);
    const std::string machineRoot = machineFolder_.string() + "/";
    if (!Runnable(host, host.string().rfind(machineRoot, 0) == 0)) return ERROR_BAD_EXE_FORMAT;

    std::vector<std::string> args = Arguments(start);
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        std::string entry = *e;
        if (entry.rfind("TARNWELL_COMMAND_LINE=", 0) == 0 ||
            entry.rfind("TARNWELL_SHOW_WINDOW=", 0) == 0 ||
            entry.rfind("TARNWELL_MACHINE=", 0) == 0 || entry.rfind("TARNWELL_PROGRAM=", 0) == 0)
            continue;
        env.push_back(std::move(entry));
    }
    env.push_back("TARNWELL_COMMAND_LINE=" + start.commandLine);
    env.push_back("TARNWELL_SHOW_WINDOW=" + std::to_string(start.showWindow));
    env.push_back("TARNWELL_MACHINE=" + machineFolder_.string());
    env.push_back("TARNWELL_PROGRAM=" + windowsPath);

    std::vector<char*> argv, envp;
    std::string program = host.string();
    argv.push_back(program.data());
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    std::string cwd;
    if (!start.currentDirectory.empty()) {
        auto dir = paths_.ToHost(start.currentDirectory);
        std::error_code ec;
        if (!dir || !std::filesystem::is_directory(*dir, ec)) {
            posix_spawn_file_actions_destroy(&actions);
            return ERROR_DIRECTORY_INVALID;
        }
        cwd = dir->string();
        posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    }
    pid_t pid = 0;
    int err = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (err != 0)
        return err == ENOENT   ? ERROR_FILE_NOT_FOUND
               : err == EACCES ? ERROR_ACCESS_DENIED
               : err == ENOMEM ? ERROR_NOT_ENOUGH_MEMORY
                               : ERROR_BAD_EXE_FORMAT;
    process = next_++;
    children_[process] = running_.Add(pid, host);
    return ERROR_SUCCESS;
}

void PortableProcesses::RunDeferredBatches() {
    std::vector<DeferredBatch> batches = std::move(deferred_);
    deferred_.clear();
    if (batches.empty()) return;
    running_.ReleaseOwnProgram();
    machineProgram_ = false;
    for (const DeferredBatch& batch : batches) {
        HANDLE process = 0;
        if (RunBatchFile(batch.start, batch.windowsPath, process) == ERROR_SUCCESS)
            batches_.erase(process);
    }
}

DWORD PortableProcesses::RunBatchFile(const ProcessStart& start, const std::string& windowsPath,
                                      HANDLE& process) {
    if (machineProgram_) {
        deferred_.push_back({start, windowsPath});
        process = next_++;
        batches_[process] = 0;
        return ERROR_SUCCESS;
    }
    IFileSystem& files = files_ ? *files_ : platform::Files();
    std::string folder;
    if (!start.currentDirectory.empty()) {
        DWORD attributes = 0;
        if (files.GetAttributes(start.currentDirectory, attributes) != ERROR_SUCCESS ||
            !(attributes & FILE_ATTRIBUTE_DIRECTORY) ||
            files.GetFullPathName(start.currentDirectory, folder) != ERROR_SUCCESS)
            return ERROR_DIRECTORY_INVALID;
    }
    const BatchResult result = RunBatch(files, windowsPath, Arguments(start), folder);
    // The machine has no console window of its own to show them in.
    // A hidden batch shows no window: only what went wrong is reported, not what it merely
    // found missing.
    for (const std::string& message : result.messages)
        if (start.showWindow != SW_HIDE ||
            std::find(result.notes.begin(), result.notes.end(), message) == result.notes.end())
            std::cerr << "batch: " << message << '\n';
    process = next_++;
    batches_[process] = result.exitCode;
    return ERROR_SUCCESS;
}

DWORD PortableProcesses::WaitForInputIdle(HANDLE process, DWORD) {
    // A host program has no message queue to wait for: it is ready once it runs.
    return children_.count(process) || batches_.count(process) ? ERROR_SUCCESS
                                                               : ERROR_INVALID_HANDLE;
}

DWORD PortableProcesses::WaitForExit(HANDLE process, DWORD milliseconds, DWORD& exitCode) {
    if (auto batch = batches_.find(process); batch != batches_.end()) {
        exitCode = batch->second;
        return ERROR_SUCCESS;
    }
    auto it = children_.find(process);
    if (it == children_.end()) return ERROR_INVALID_HANDLE;
    RunningPrograms::Child& child = *it->second;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (!RunningPrograms::Poll(child)) {
        if (milliseconds != INFINITE_WAIT && std::chrono::steady_clock::now() >= deadline)
            return WAIT_TIMEOUT_CODE;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    exitCode = WIFEXITED(child.status) ? static_cast<DWORD>(WEXITSTATUS(child.status))
                                       : 0xC000013Au; // ended by a signal
    return ERROR_SUCCESS;
}

DWORD PortableProcesses::CloseProcess(HANDLE process) {
    if (batches_.erase(process)) return ERROR_SUCCESS;
    auto it = children_.find(process);
    if (it == children_.end()) return ERROR_INVALID_HANDLE;
    RunningPrograms::Poll(*it->second);
    children_.erase(it);
    return ERROR_SUCCESS;
}

} // namespace tarn::platform::portable
