#include "platform/portable/Machine.h"

#include "platform/ScopedRegKey.h"
#include "platform/TerminalUserInterface.h"
#include "platform/portable/CurlDownloads.h"
#include "platform/portable/FaultFileLocks.h"
#include "platform/portable/FaultyProcesses.h"
#include "platform/portable/FaultyRegistry.h"
#include "platform/portable/FaultySystemInfo.h"
#include "platform/portable/FileMetaStore.h"
#include "platform/portable/MachineLock.h"
#include "platform/portable/NoDatabaseEngine.h"
#include "platform/portable/PathMapper.h"
#include "platform/portable/PortableConsole.h"
#include "platform/portable/PortableFileSystem.h"
#include "platform/portable/PortableLibraries.h"
#include "platform/portable/PortableProcesses.h"
#include "platform/portable/PortableProfile.h"
#include "platform/portable/PortableReboot.h"
#include "platform/portable/PortableRegistry.h"
#include "platform/portable/PortableSystemInfo.h"
#include "platform/portable/RegistryStore.h"
#include "platform/portable/RegistryValues.h"
#include "platform/portable/RestartWork.h"

#include <cstdlib>
#include <system_error>
#include <unistd.h>

namespace tarn::platform::portable {
namespace {

std::string HostExecutable() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

void WriteString(IRegistry& reg, HKEY root, const std::string& key, const std::string& name,
                 const std::string& value) {
    ScopedRegKey k(reg);
    if (k.Create(root, key, KEY_ALL_ACCESS) != ERROR_SUCCESS)
        throw MachineError("Cannot write the registry key " + key);
    k.WriteString(name, value);
}

void DeleteValue(IRegistry& reg, HKEY root, const std::string& key, const std::string& name) {
    ScopedRegKey k(reg);
    if (k.Open(root, key, KEY_SET_VALUE) != ERROR_SUCCESS) return;
    k.DeleteValue(name);
}

// A key the machine starts with even while it is empty; one that cannot be made is left out.
void AddEmptyKey(IRegistry& reg, HKEY root, const std::string& key) {
    ScopedRegKey k(reg);
    static_cast<void>(k.Create(root, key, KEY_ALL_ACCESS));
}

// Settings of the embedded machine itself, kept in its registry as Wine keeps its own.
constexpr const char* kMachineSettingsKey = "Software\\Tarnwell\\Machine";

bool ReadHostDriveWritable(IRegistry& reg) {
    std::string text;
    return ReadStringValue(reg, HKEY_LOCAL_MACHINE, kMachineSettingsKey, "HostDrive", text) &&
           text == "writable";
}

} // namespace

std::filesystem::path Machine::DefaultFolder() {
    if (const char* m = std::getenv("TARNWELL_MACHINE"); m && *m) return m;
    if (const char* x = std::getenv("XDG_DATA_HOME"); x && *x)
        return std::filesystem::path(x) / "tarnwell" / "machine";
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home && *home ? home : "/tmp") / ".local" / "share" / "tarnwell" /
           "machine";
}

Machine::Machine(const std::filesystem::path& folder)
    : folder_(std::filesystem::absolute(folder)), running_(folder_ / "running") {
    std::error_code ec;
    bool fresh = !std::filesystem::exists(folder_ / "registry.reg", ec);
    std::filesystem::create_directories(folder_, ec);
    if (ec)
        throw MachineError("Cannot create the machine folder " + folder_.string() + ": " +
                           ec.message());
    lock_ = std::make_unique<MachineLock>(folder_);
    store_ = std::make_unique<RegistryStore>(folder_ / "registry.reg");
    // The machine's own calls, and those of one service to another, go through the fault
    // decorators too: a fault applies whoever makes the call.
    registryBackend_ = std::make_unique<PortableRegistry>(*store_);
    registry_ = std::make_unique<FaultyRegistry>(*registryBackend_, faults_);
    const unsigned codePage = ReadAnsiCodePage(*registry_);
    meta_ = std::make_unique<FileMetaStore>(folder_, codePage);
    paths_ = std::make_unique<PathMapper>(folder_, *meta_, codePage);
    systemBackend_ = std::make_unique<PortableSystemInfo>(
        *registry_, codePage, [this] { return paths_->FromHost(HostExecutable()); });
    system_ = std::make_unique<FaultySystemInfo>(*systemBackend_, faults_);
    fileLocks_ = std::make_unique<FaultFileLocks>(*paths_, faults_);
    files_ = std::make_unique<PortableFileSystem>(*paths_, *meta_, *registry_);
    files_->SetFileLocks(fileLocks_.get());
    profile_ = std::make_unique<PortableProfile>(*files_, [this] {
        std::string windows;
        system_->GetWindowsDirectory(windows);
        return windows;
    });
    files_->SetRunningPrograms(&running_);
    processBackend_ = std::make_unique<PortableProcesses>(*paths_, running_, folder_, [this] {
        std::string system, windows;
        system_->GetSystemDirectory(system);
        system_->GetWindowsDirectory(windows);
        return std::vector<std::string>{system, windows};
    });
    processBackend_->SetFileSystem(files_.get());
    processes_ = std::make_unique<FaultyProcesses>(*processBackend_, *paths_, faults_);
    libraries_ = std::make_unique<PortableLibraries>(*paths_);
    reboot_ = std::make_unique<PortableReboot>(folder_);
    console_ = std::make_unique<PortableConsole>();
    ui_ = std::make_unique<TerminalUserInterface>(*console_);
    database_ = std::make_unique<NoDatabaseEngine>();
    downloads_ = std::make_unique<CurlDownloads>();
    if (fresh) CreateFresh();
    files_->SetHostDriveWritable(ReadHostDriveWritable(*registry_));
}

void Machine::SetHostDriveWritable(bool writable) {
    WriteString(*registry_, HKEY_LOCAL_MACHINE, kMachineSettingsKey, "HostDrive",
                writable ? "writable" : "read-only");
    files_->SetHostDriveWritable(writable);
}

bool Machine::HostDriveWritable() const {
    return files_->HostDriveWritable();
}

void Machine::AllowHostOutput(const std::filesystem::path& host, HostOutput kind) {
    files_->AllowHostOutput(host, kind);
}

Machine::~Machine() {
    try {
        if (lock_ && processBackend_->HasDeferredBatches()) {
            files_->ReleaseOwnProgram();
            processBackend_->RunDeferredBatches();
        }
        Flush();
    } catch (...) {
        // A destructor cannot report; the last explicit Flush did.
    }
}

Services Machine::GetServices() {
    Services s;
    s.registry = registry_.get();
    s.files = files_.get();
    s.profile = profile_.get();
    s.processes = processes_.get();
    s.libraries = libraries_.get();
    s.system = system_.get();
    s.reboot = reboot_.get();
    s.ui = ui_.get();
    s.database = database_.get();
    s.console = console_.get();
    s.downloads = downloads_.get();
    return s;
}

void Machine::Flush() {
    store_->Flush();
    meta_->Flush();
}

void Machine::CreateFresh() {
    for (const char* dir : {"drive_c/WINDOWS/SYSTEM32", "drive_c/WINDOWS/TEMP",
                            "drive_c/Program Files/Common Files"}) {
        std::error_code ec;
        std::filesystem::create_directories(folder_ / dir, ec);
        if (ec) throw MachineError("Cannot create " + (folder_ / dir).string());
    }
    IRegistry& reg = *registry_;
    WriteString(reg, HKEY_LOCAL_MACHINE, kNtVersionKey, "ProductName", "Microsoft Windows XP");
    WriteString(reg, HKEY_LOCAL_MACHINE, kNtVersionKey, "CurrentVersion", "5.1");
    WriteString(reg, HKEY_LOCAL_MACHINE, kNtVersionKey, "CurrentBuildNumber", "2600");
    WriteString(reg, HKEY_LOCAL_MACHINE, kNtVersionKey, "SystemRoot", "C:\\WINDOWS");
    WriteString(reg, HKEY_LOCAL_MACHINE, kCodePageKey, "ACP", std::to_string(paths_->CodePage()));
    WriteString(reg, HKEY_LOCAL_MACHINE, kWindowsVersionKey, "ProgramFilesDir",
                "C:\\Program Files");
    WriteString(reg, HKEY_LOCAL_MACHINE, kWindowsVersionKey, "CommonFilesDir",
                "C:\\Program Files\\Common Files");
    WriteString(reg, HKEY_CURRENT_USER, "Control Panel\\International", "Locale", "00000409");
    for (const char* key :
         {"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
          "Software\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs",
          "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", kSessionManagerKey})
        AddEmptyKey(reg, HKEY_LOCAL_MACHINE, key);
    AddEmptyKey(reg, HKEY_CURRENT_USER, "Environment");
    // Windows always has both run-once lists; a program's entry then leaves no key behind.
    AddEmptyKey(reg, HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce");
    Flush();
}

void Machine::SetWindowsVersion(DWORD platformId, DWORD major, DWORD minor, DWORD build) {
    IRegistry& reg = *registry_;
    std::string dotted = std::to_string(major) + "." + std::to_string(minor);
    if (platformId == VER_PLATFORM_WIN32_WINDOWS) {
        // A 95-family machine has no Windows NT version key.
        if (ScopedRegKey nt(reg);
            nt.Open(HKEY_LOCAL_MACHINE, kNtVersionKey, KEY_ALL_ACCESS) == ERROR_SUCCESS) {
            nt.DeleteValue("CurrentVersion");
            nt.DeleteValue("CurrentBuildNumber");
        }
        WriteString(reg, HKEY_LOCAL_MACHINE, kWindowsVersionKey, "VersionNumber",
                    dotted + "." + std::to_string(build));
        WriteString(reg, HKEY_LOCAL_MACHINE, kWindowsVersionKey, "SystemRoot", "C:\\WINDOWS");
        std::error_code ec;
        std::filesystem::create_directories(folder_ / "drive_c/WINDOWS/SYSTEM", ec);
    } else {
        WriteString(reg, HKEY_LOCAL_MACHINE, kNtVersionKey, "CurrentVersion", dotted);
        WriteString(reg, HKEY_LOCAL_MACHINE, kNtVersionKey, "CurrentBuildNumber",
                    std::to_string(build));
        DeleteValue(reg, HKEY_LOCAL_MACHINE, kWindowsVersionKey, "VersionNumber");
    }
    faults_.version.reset();
    if (platformId == VER_PLATFORM_WIN32s) {
        OsVersion v;
        v.platformId = platformId;
        v.major = major;
        v.minor = minor;
        v.build = build;
        faults_.version = v;
    }
}

void Machine::SetUserLanguage(WORD langId) {
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X", static_cast<unsigned>(langId));
    WriteString(*registry_, HKEY_CURRENT_USER, "Control Panel\\International", "Locale", hex);
}

void Machine::ReleaseLock() {
    Flush();
    lock_.reset();
}

bool Machine::RestartRequested() const {
    return reboot_->Requested();
}

std::vector<Machine::StartedCommand> Machine::Restart() {
    DoPendingRenames();
    DoWininitRenames();
    std::vector<std::string> commands = TakeRunOnceCommands();
    reboot_->ClearRequest();
    Flush();

    std::vector<StartedCommand> started;
    for (const std::string& command : commands) {
        ProcessStart start;
        start.commandLine = command;
        HANDLE process = 0;
        DWORD rc = processes_->CreateProcess(start, process);
        started.push_back({command, rc, process});
    }
    return started;
}

// Delayed moves and deletes recorded by MoveFileEx; the value goes once they have been tried.
void Machine::DoPendingRenames() {
    IFileSystem& files = *files_;
    ScopedRegKey key(*registry_);
    if (key.Open(HKEY_LOCAL_MACHINE, kSessionManagerKey, KEY_ALL_ACCESS) != ERROR_SUCCESS) return;
    DWORD type = 0;
    std::vector<std::uint8_t> data;
    if (key.ReadValue(kPendingRenamesValue, type, data) == ERROR_SUCCESS) {
        for (const PendingOperation& op : DecodePendingRenames(data)) {
            if (!op.target.empty()) {
                files.MoveFile(op.source, op.target,
                               op.replaceExisting ? MOVEFILE_REPLACE_EXISTING : 0);
                continue;
            }
            DWORD attrs = 0;
            if (files.GetAttributes(op.source, attrs) == ERROR_SUCCESS &&
                (attrs & FILE_ATTRIBUTE_DIRECTORY))
                files.RemoveDirectory(op.source);
            else
                files.DeleteFile(op.source);
        }
        key.DeleteValue(kPendingRenamesValue);
    }
}

// WININIT.INI of the 95 family; afterwards it is kept as WININIT.BAK.
void Machine::DoWininitRenames() {
    OsVersion version;
    if (!system_->GetVersion(version) || version.platformId != VER_PLATFORM_WIN32_WINDOWS) return;
    IFileSystem& files = *files_;
    std::string windows;
    system_->GetWindowsDirectory(windows);
    const std::string wininit = windows + "\\WININIT.INI";
    DWORD attrs = 0;
    if (files.GetAttributes(wininit, attrs) != ERROR_SUCCESS) return;
    std::vector<std::string> lines;
    profile_->GetSection(wininit, "rename", lines);
    for (const std::string& line : lines) {
        std::optional<PendingOperation> op = ParseWininitRename(line);
        if (!op) continue;
        if (op->target.empty())
            files.DeleteFile(op->source);
        else
            files.MoveFile(op->source, op->target, MOVEFILE_REPLACE_EXISTING);
    }
    files.MoveFile(wininit, windows + "\\WININIT.BAK", MOVEFILE_REPLACE_EXISTING);
}

// RunOnce of the machine, then of the user; each value is deleted before its command runs.
std::vector<std::string> Machine::TakeRunOnceCommands() {
    std::vector<std::string> commands;
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        ScopedRegKey runOnce(*registry_);
        if (runOnce.Open(root, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                         KEY_ALL_ACCESS) != ERROR_SUCCESS)
            continue;
        for (const std::string& n : runOnce.ValueNames()) {
            std::string command;
            const bool isString = runOnce.ReadString(n, command) == ERROR_SUCCESS;
            runOnce.DeleteValue(n);
            if (isString && !command.empty()) commands.push_back(command);
        }
    }
    return commands;
}

} // namespace tarn::platform::portable
