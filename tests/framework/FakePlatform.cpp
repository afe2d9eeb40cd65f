#include "FakePlatform.h"

#include "platform/portable/PortableConsole.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace tarn::test {

using namespace platform;

namespace {

std::string Key(const std::string& path) {
    std::string key = path;
    for (char& c : key)
        c = c == '/' ? '\\' : static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return key;
}

bool ValidName(const std::string& path) {
    return !path.empty() && path.find_first_of("*?\"<>|") == std::string::npos;
}

// Whether a handle opened with access/share can coexist with an open one.
bool Compatible(DWORD access, DWORD share, DWORD otherAccess, DWORD otherShare) {
    auto allows = [](DWORD wanted, DWORD granted) {
        return (!(wanted & GENERIC_READ) || (granted & FILE_SHARE_READ)) &&
               (!(wanted & GENERIC_WRITE) || (granted & FILE_SHARE_WRITE));
    };
    return allows(access, otherShare) && allows(otherAccess, share);
}

constexpr DWORD kNo = ERROR_CALL_NOT_IMPLEMENTED;

struct NoRegistry : IRegistry {
    LONG OpenKey(HKEY, const std::string&, REGSAM, HKEY&) override { return kNo; }
    LONG CreateKey(HKEY, const std::string&, REGSAM, HKEY&, bool*) override { return kNo; }
    LONG CloseKey(HKEY) override { return kNo; }
    LONG FlushKey(HKEY) override { return kNo; }
    LONG DeleteKey(HKEY, const std::string&) override { return kNo; }
    LONG EnumKey(HKEY, DWORD, std::string&) override { return kNo; }
    LONG EnumValue(HKEY, DWORD, std::string&, DWORD*) override { return kNo; }
    LONG QueryInfoKey(HKEY, RegKeyInfo&) override { return kNo; }
    LONG QueryValue(HKEY, const std::string&, DWORD&, std::vector<std::uint8_t>&) override {
        return kNo;
    }
    LONG SetValue(HKEY, const std::string&, DWORD, const std::uint8_t*, std::size_t) override {
        return kNo;
    }
    LONG DeleteValue(HKEY, const std::string&) override { return kNo; }
};

struct NoProfile : IProfile {
    void GetSection(const std::string&, const std::string&, std::vector<std::string>&) override {}
    void GetSectionNames(const std::string&, std::vector<std::string>&) override {}
    std::string GetString(const std::string&, const std::string&, const std::string&,
                          const std::string& defaultValue) override {
        return defaultValue;
    }
    DWORD WriteString(const std::string&, const std::string&, const std::string&,
                      const std::string&) override {
        return kNo;
    }
    DWORD DeleteKey(const std::string&, const std::string&, const std::string&) override {
        return kNo;
    }
    DWORD EraseSection(const std::string&, const std::string&) override { return kNo; }
};

struct NoProcesses : IProcesses {
    DWORD CreateProcess(const ProcessStart&, HANDLE&) override { return kNo; }
    DWORD WaitForInputIdle(HANDLE, DWORD) override { return kNo; }
    DWORD WaitForExit(HANDLE, DWORD, DWORD&) override { return kNo; }
    DWORD CloseProcess(HANDLE) override { return kNo; }
};

struct NoLibraries : ILibraries {
    DWORD LoadLibrary(const std::string&, HANDLE&) override { return kNo; }
    EntryPoint GetEntryPoint(HANDLE, const std::string&) override { return {}; }
    DWORD FreeLibrary(HANDLE) override { return kNo; }
};

struct NoSystem : ISystemInfo {
    bool GetVersion(OsVersion&) override { return false; }
    DWORD GetWindowsDirectory(std::string&) override { return kNo; }
    DWORD GetSystemDirectory(std::string&) override { return kNo; }
    DWORD GetTempPath(std::string&) override { return kNo; }
    WORD GetUserDefaultLangID() override { return 0x0409; }
    unsigned GetACP() override { return 1252; }
    std::string GetModuleFileName() override { return {}; }
    bool GetEnvironmentVariable(const std::string&, std::string&) override { return false; }
    int CompareString(const std::string& a, const std::string& b, bool) override {
        return a.compare(b);
    }
    std::string CharToOem(const std::string& text) override { return text; }
    std::string ErrorText(DWORD) override { return {}; }
};

struct NoReboot : IReboot {
    DWORD ExitWindows(DWORD) override { return kNo; }
};

struct NoUserInterface : IUserInterface {
    void Inform(const std::string&, const std::string&) override {}
    void Error(const std::string&, const std::string&) override {}
    bool Confirm(const std::string&, const std::string&) override { return false; }
    bool OkCancel(const std::string&, const std::string&) override { return false; }
};

struct NoDatabase : IDatabaseEngine {
    std::int32_t Init(std::uint16_t) override { return DBIERR_NOT_AVAILABLE; }
    std::int32_t DeleteAlias(const std::string&) override { return DBIERR_NOT_AVAILABLE; }
    std::int32_t SaveConfig(bool) override { return DBIERR_NOT_AVAILABLE; }
    std::int32_t Exit() override { return DBIERR_NOT_AVAILABLE; }
};

} // namespace

bool MemoryFileSystem::Exists(const std::string& path) const {
    return files_.contains(Key(path));
}

std::string MemoryFileSystem::Contents(const std::string& path) const {
    auto it = files_.find(Key(path));
    return it == files_.end() ? std::string() : it->second;
}

void MemoryFileSystem::SetContents(const std::string& path, const std::string& data) {
    files_[Key(path)] = data;
}

MemoryFileSystem::Open* MemoryFileSystem::Find(HANDLE file) {
    auto it = handles_.find(file);
    return it == handles_.end() ? nullptr : &it->second;
}

DWORD MemoryFileSystem::GetAttributes(const std::string& path, DWORD& attributes) {
    if (!Exists(path)) return ERROR_FILE_NOT_FOUND;
    attributes = FILE_ATTRIBUTE_ARCHIVE;
    return ERROR_SUCCESS;
}

DWORD MemoryFileSystem::DeleteFile(const std::string& path) {
    const std::string key = Key(path);
    if (!files_.contains(key)) return ERROR_FILE_NOT_FOUND;
    for (const auto& [handle, open] : handles_)
        if (open.key == key) return ERROR_SHARING_VIOLATION;
    files_.erase(key);
    return ERROR_SUCCESS;
}

DWORD MemoryFileSystem::CreateFile(const std::string& path, DWORD access, DWORD share,
                                   DWORD disposition, DWORD, HANDLE& file) {
    file = INVALID_HANDLE_VALUE;
    if (!ValidName(path)) return ERROR_INVALID_NAME;
    const std::string key = Key(path);
    for (const auto& [handle, open] : handles_)
        if (open.key == key && !Compatible(access, share, open.access, open.share))
            return ERROR_SHARING_VIOLATION;
    const bool exists = files_.contains(key);
    switch (disposition) {
    case CREATE_NEW:
        if (exists) return ERROR_FILE_EXISTS;
        files_[key];
        break;
    case CREATE_ALWAYS:
        files_[key].clear();
        break;
    case OPEN_EXISTING:
        if (!exists) return ERROR_FILE_NOT_FOUND;
        break;
    case OPEN_ALWAYS:
        files_[key];
        break;
    case TRUNCATE_EXISTING:
        if (!exists) return ERROR_FILE_NOT_FOUND;
        files_[key].clear();
        break;
    default:
        return ERROR_INVALID_PARAMETER;
    }
    file = nextHandle_++;
    handles_[file] = Open{key, access, share, 0};
    return ERROR_SUCCESS;
}

DWORD MemoryFileSystem::ReadFile(HANDLE file, void* buffer, DWORD size, DWORD& read) {
    read = 0;
    Open* open = Find(file);
    if (!open) return ERROR_INVALID_HANDLE;
    if (!(open->access & GENERIC_READ)) return ERROR_ACCESS_DENIED;
    const std::string& data = files_[open->key];
    if (open->position < data.size()) {
        read = static_cast<DWORD>(std::min<std::uint64_t>(size, data.size() - open->position));
        std::memcpy(buffer, data.data() + open->position, read);
        open->position += read;
    }
    return ERROR_SUCCESS;
}

DWORD MemoryFileSystem::WriteFile(HANDLE file, const void* buffer, DWORD size, DWORD& written) {
    written = 0;
    Open* open = Find(file);
    if (!open) return ERROR_INVALID_HANDLE;
    if (!(open->access & GENERIC_WRITE)) return ERROR_ACCESS_DENIED;
    std::string& data = files_[open->key];
    const std::uint64_t room = maxFileSize > open->position ? maxFileSize - open->position : 0;
    written = static_cast<DWORD>(std::min<std::uint64_t>(size, room));
    if (open->position + written > data.size()) data.resize(open->position + written);
    std::memcpy(data.data() + open->position, buffer, written);
    open->position += written;
    return written < size ? ERROR_DISK_FULL : ERROR_SUCCESS;
}

DWORD MemoryFileSystem::SetFilePointer(HANDLE file, std::int64_t distance, DWORD method,
                                       std::uint64_t& position) {
    Open* open = Find(file);
    if (!open) return ERROR_INVALID_HANDLE;
    std::int64_t base = 0;
    if (method == FILE_CURRENT) base = static_cast<std::int64_t>(open->position);
    if (method == FILE_END) base = static_cast<std::int64_t>(files_[open->key].size());
    if (base + distance < 0) return ERROR_NEGATIVE_SEEK;
    open->position = static_cast<std::uint64_t>(base + distance);
    position = open->position;
    return ERROR_SUCCESS;
}

DWORD MemoryFileSystem::GetFileSize(HANDLE file, std::uint64_t& size) {
    Open* open = Find(file);
    if (!open) return ERROR_INVALID_HANDLE;
    size = files_[open->key].size();
    return ERROR_SUCCESS;
}

DWORD MemoryFileSystem::SetEndOfFile(HANDLE file) {
    Open* open = Find(file);
    if (!open) return ERROR_INVALID_HANDLE;
    if (!(open->access & GENERIC_WRITE)) return ERROR_ACCESS_DENIED;
    files_[open->key].resize(open->position);
    return ERROR_SUCCESS;
}

DWORD MemoryFileSystem::CloseFile(HANDLE file) {
    return handles_.erase(file) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

struct FakePlatform::Others {
    NoRegistry registry;
    NoProfile profile;
    NoProcesses processes;
    NoLibraries libraries;
    NoSystem system;
    NoReboot reboot;
    NoUserInterface ui;
    NoDatabase database;
    // The host's terminal, the text in the code page of NoSystem.
    portable::PortableConsole console;
};

FakePlatform::FakePlatform() : others_(std::make_unique<Others>()) {
    // Every service is given, so nothing the code under test asks for stops the test.
    Services services;
    services.files = &files;
    services.registry = &others_->registry;
    services.profile = &others_->profile;
    services.processes = &others_->processes;
    services.libraries = &others_->libraries;
    services.system = &others_->system;
    services.reboot = &others_->reboot;
    services.ui = &others_->ui;
    services.database = &others_->database;
    services.console = &others_->console;
    scope_ = std::make_unique<ScopedPlatform>(services);
}

FakePlatform::~FakePlatform() = default;

} // namespace tarn::test
