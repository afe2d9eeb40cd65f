// Program starts on the embedded machine: the program at the mapped host path runs as a host
// process. Its arguments are the command line split by Windows rules; the whole command line and
// the show mode are also handed over in TARNWELL_COMMAND_LINE and TARNWELL_SHOW_WINDOW, and
// TARNWELL_MACHINE names this machine, so that a test script can act as a "server program".
// A batch file (.bat, .cmd) is not spawned: BatchRunner carries it out before CreateProcess
// returns, and its handle is that of a program that has already ended.
#pragma once

#include "platform/FileSystem.h"
#include "platform/Processes.h"
#include "platform/portable/RunningPrograms.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tarn::platform::portable {

class PathMapper;

class PortableProcesses : public IProcesses {
public:
    // searchFolders gives the folders searched for a program named without a folder (the system
    // and Windows folders), before the host's PATH.
    PortableProcesses(PathMapper& paths, RunningPrograms& running,
                      std::filesystem::path machineFolder,
                      std::function<std::vector<std::string>()> searchFolders);
    ~PortableProcesses() override;
    // The file system batch files act on; until one is set, the one in force.
    void SetFileSystem(IFileSystem* files) { files_ = files; }
    // A program running on the machine that starts a batch file (its clean-up) ends before the
    // batch's commands run, as the command interpreter starts while the program closes: its
    // batches are kept until RunDeferredBatches, which the machine calls as it closes.
    void RunDeferredBatches();
    bool HasDeferredBatches() const { return !deferred_.empty(); }

    DWORD CreateProcess(const ProcessStart& start, HANDLE& process) override;
    DWORD WaitForInputIdle(HANDLE process, DWORD milliseconds) override;
    DWORD WaitForExit(HANDLE process, DWORD milliseconds, DWORD& exitCode) override;
    DWORD CloseProcess(HANDLE process) override;

    // The Windows path of the program a start runs, also when it is no program that can run;
    // empty when a name without a folder is found nowhere.
    std::string ProgramPath(const ProcessStart& start);

private:
    DWORD FindProgram(const ProcessStart& start, std::string& windowsPath,
                      std::filesystem::path& hostPath);
    DWORD RunBatchFile(const ProcessStart& start, const std::string& windowsPath, HANDLE& process);

    PathMapper& paths_;
    RunningPrograms& running_;
    std::filesystem::path machineFolder_;
    std::function<std::vector<std::string>()> searchFolders_;
    IFileSystem* files_ = nullptr;
    std::map<HANDLE, std::shared_ptr<RunningPrograms::Child>> children_;
    std::map<HANDLE, DWORD> batches_; // ended batch runs and their exit codes
    struct DeferredBatch {
        ProcessStart start;
        std::string windowsPath;
    };
    std::vector<DeferredBatch> deferred_;
    // This process is a program the machine started (it has the variables a start hands over).
    bool machineProgram_ = false;
    HANDLE next_ = 0x100;
};

} // namespace tarn::platform::portable
