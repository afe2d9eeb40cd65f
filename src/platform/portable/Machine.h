// The embedded Windows machine: a machine folder holding registry.reg (the whole registry in
// REGEDIT4 text) and the drive folders drive_c/, drive_d/, ...; drive Z: is the host's root.
// A Machine is the portable backend: it owns one instance of every platform service.
#pragma once

#include "platform/Platform.h"
#include "platform/portable/Faults.h"
#include "platform/portable/PortableFileSystem.h"
#include "platform/portable/RunningPrograms.h"

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarn::platform {
class TerminalUserInterface;
}

namespace tarn::platform::portable {

class RegistryStore;
class PortableRegistry;
class FaultyRegistry;
class FaultFileLocks;
class FileMetaStore;
class PathMapper;
class PortableProfile;
class PortableSystemInfo;
class FaultySystemInfo;
class PortableProcesses;
class FaultyProcesses;
class PortableLibraries;
class PortableReboot;
class PortableConsole;
class CurlDownloads;

class NoDatabaseEngine;
class MachineLock;

// A machine folder that cannot be opened or a registry file that cannot be read or written.
class MachineError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Machine : public Backend {
public:
    // TARNWELL_MACHINE, else $XDG_DATA_HOME/tarnwell/machine (~/.local/share/tarnwell/machine).
    static std::filesystem::path DefaultFolder();

    // Opens the machine in folder, creating a fresh Windows XP machine when it does not exist.
    // Takes the machine's lock for the object's lifetime. Throws MachineError.
    explicit Machine(const std::filesystem::path& folder);
    ~Machine() override; // flushes and releases the lock
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;

    Services GetServices() override;
    void Flush() override;

    struct StartedCommand {
        std::string command;
        DWORD error;    // ERROR_SUCCESS when it started
        HANDLE process; // for IProcesses::WaitForExit; 0 when it did not start
    };
    // Does what Windows does at its next start: pending renames and deletes, WININIT.INI
    // [rename] lines on a 95-family machine (the file then becomes WININIT.BAK), then each
    // RunOnce command of HKLM and then HKCU, its value deleted first. The commands are started,
    // not waited for, after the registry has been written back.
    std::vector<StartedCommand> Restart();
    // Whether a program asked for a restart since the last simulated one.
    bool RestartRequested() const;
    // Flushes and lets other processes open the machine (the programs a restart started). Only
    // waits for those programs may follow: this object must not change the machine any more.
    void ReleaseLock();

    // Faults a test injects: decorators in front of the registry, the system information and the
    // program starts apply them, and the file system asks them for its busy and locked files.
    Faults& GetFaults() { return faults_; }
    const std::filesystem::path& Folder() const { return folder_; }

    // Convenience for tests and the command-line tool: sets the version the machine reports by
    // writing the registry values Windows keeps it in. platformId VER_PLATFORM_WIN32_WINDOWS
    // gives a 95-family machine ("VersionNumber"), VER_PLATFORM_WIN32_NT an NT one.
    void SetWindowsVersion(DWORD platformId, DWORD major, DWORD minor, DWORD build = 0);

    // Drive Z: (the host's root folder) is read-only to the machine unless this setting, kept
    // in the machine's registry, makes it writable as under Wine.
    void SetHostDriveWritable(bool writable);
    bool HostDriveWritable() const;
    // A host file or folder the running host command was given as its output: the machine may
    // write it even while drive Z: is read-only.
    void AllowHostOutput(const std::filesystem::path& host, HostOutput kind);
    void SetUserLanguage(WORD langId);

    RegistryStore& GetRegistryStore() { return *store_; }
    PathMapper& GetPathMapper() { return *paths_; }
    PortableLibraries& GetLibraries() { return *libraries_; }

private:
    void CreateFresh();
    // The steps of Restart, in its order.
    void DoPendingRenames();
    void DoWininitRenames();
    std::vector<std::string> TakeRunOnceCommands();

    std::filesystem::path folder_;
    Faults faults_;
    std::unique_ptr<MachineLock> lock_;
    std::unique_ptr<RegistryStore> store_;
    std::unique_ptr<PortableRegistry> registryBackend_;
    std::unique_ptr<FaultyRegistry> registry_;
    std::unique_ptr<FileMetaStore> meta_;
    std::unique_ptr<PathMapper> paths_;
    std::unique_ptr<PortableSystemInfo> systemBackend_;
    std::unique_ptr<FaultySystemInfo> system_;
    std::unique_ptr<FaultFileLocks> fileLocks_;
    std::unique_ptr<PortableFileSystem> files_;
    std::unique_ptr<PortableProfile> profile_;
    RunningPrograms running_; // its records in <folder>/running, seen by every process
    std::unique_ptr<PortableProcesses> processBackend_;
    std::unique_ptr<FaultyProcesses> processes_;
    std::unique_ptr<PortableLibraries> libraries_;
    std::unique_ptr<PortableReboot> reboot_;
    std::unique_ptr<PortableConsole> console_;
    std::unique_ptr<TerminalUserInterface> ui_;
    std::unique_ptr<NoDatabaseEngine> database_;
    std::unique_ptr<CurlDownloads> downloads_;
};

} // namespace tarn::platform::portable
