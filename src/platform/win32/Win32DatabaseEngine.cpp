#include "platform/win32/WindowsApi.h"

#include "platform/win32/Win32DatabaseEngine.h"

#include <vector>

namespace tarn::platform::win32 {
namespace {

// The engine's calls: 16-bit results, the standard calling convention, handles as pointers.
using DbiResult = std::uint16_t;
using InitFn = DbiResult(WINAPI*)(std::uint16_t version, void* environment);
using DeleteAliasFn = DbiResult(WINAPI*)(void* config, char* name);
using CfgSaveFn = DbiResult(WINAPI*)(void* config, char* file, BOOL persistent);
using ExitFn = DbiResult(WINAPI*)();

template <typename Fn> Fn Entry(HMODULE module, const char* name) {
    FARPROC address = ::GetProcAddress(module, name);
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(address));
}

} // namespace

struct Win32DatabaseEngine::Library {
    HMODULE module = nullptr;
    InitFn init = nullptr;
    DeleteAliasFn deleteAlias = nullptr;
    CfgSaveFn cfgSave = nullptr;
    ExitFn exit = nullptr;

    bool Load() {
        if (module) return true;
        module = ::LoadLibraryA("IDAPI32.DLL");
        if (!module) return false;
        init = Entry<InitFn>(module, "DbiInitFn");
        deleteAlias = Entry<DeleteAliasFn>(module, "DbiDeleteAlias");
        cfgSave = Entry<CfgSaveFn>(module, "DbiCfgSave");
        exit = Entry<ExitFn>(module, "DbiExit");
        return true;
    }
    ~Library() {
        if (module) ::FreeLibrary(module);
    }
};

Win32DatabaseEngine::Win32DatabaseEngine() : library_(std::make_unique<Library>()) {}

Win32DatabaseEngine::~Win32DatabaseEngine() = default;

std::int32_t Win32DatabaseEngine::Init(std::uint16_t version) {
    if (!library_->Load() || !library_->init) return DBIERR_NOT_AVAILABLE;
    return library_->init(version, nullptr);
}

std::int32_t Win32DatabaseEngine::DeleteAlias(const std::string& oemName) {
    if (!library_->deleteAlias) return DBIERR_NOT_AVAILABLE;
    std::vector<char> name(oemName.begin(), oemName.end());
    name.push_back('\0');
    return library_->deleteAlias(nullptr, name.data());
}

std::int32_t Win32DatabaseEngine::SaveConfig(bool persistent) {
    if (!library_->cfgSave) return DBIERR_NOT_AVAILABLE;
    return library_->cfgSave(nullptr, nullptr, persistent ? TRUE : FALSE);
}

std::int32_t Win32DatabaseEngine::Exit() {
    if (!library_->exit) return DBIERR_NOT_AVAILABLE;
    return library_->exit();
}

} // namespace tarn::platform::win32
