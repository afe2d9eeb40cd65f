// The Win32 backend under the contract suites: the running Windows (Wine's, on Linux), with a
// scratch folder in %TEMP% and a scratch key under HKCU\Software\TarnwellContract, both unique to
// the test and removed afterwards.
#include "platform/contract/ContractEnvironment.h"
#include "platform/win32/Win32Backend.h"

#include <atomic>
#include <random>
#include <vector>

namespace tarn::test {
namespace {

using namespace platform;

constexpr const char* kKeyParent = "Software\\TarnwellContract";

std::string UniqueName() {
    static std::atomic<unsigned> counter{0};
    static const unsigned run = std::random_device{}();
    return "T" + std::to_string(run) + "-" + std::to_string(++counter);
}

// Empties and removes a folder, read-only entries included.
void RemoveTree(IFileSystem& files, const std::string& folder) {
    HANDLE find = 0;
    FindData data;
    if (files.FindFirst(folder + "\\*", find, data) == ERROR_SUCCESS) {
        do {
            if (data.name == "." || data.name == "..") continue;
            std::string path = folder + "\\" + data.name;
            files.SetAttributes(path, FILE_ATTRIBUTE_NORMAL);
            if (data.attributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(files, path);
            } else {
                files.DeleteFile(path);
            }
        } while (files.FindNext(find, data) == ERROR_SUCCESS);
        files.FindClose(find);
    }
    files.RemoveDirectory(folder);
}

// Deletes a key with everything below it.
void RemoveKeyTree(IRegistry& registry, HKEY parent, const std::string& path) {
    HKEY key = 0;
    if (registry.OpenKey(parent, path, KEY_ALL_ACCESS, key) != ERROR_SUCCESS) return;
    std::vector<std::string> children;
    std::string child;
    for (DWORD i = 0; registry.EnumKey(key, i, child) == ERROR_SUCCESS; ++i) {
        children.push_back(child);
    }
    for (const std::string& name : children)
        RemoveKeyTree(registry, key, name);
    registry.CloseKey(key);
    registry.DeleteKey(parent, path);
}

class Win32Environment : public ContractEnvironment {
public:
    Win32Environment()
        : backend_(std::make_unique<win32::Win32Backend>()), services_(backend_->GetServices()),
          scope_(services_) {
        std::string temp;
        services_.system->GetTempPath(temp);
        folder_ = temp + "TarnwellContract-" + UniqueName();
        services_.files->CreateDirectory(folder_);
        key_ = std::string(kKeyParent) + "\\" + UniqueName();
    }
    ~Win32Environment() override {
        RemoveTree(*services_.files, folder_);
        RemoveKeyTree(*services_.registry, HKEY_CURRENT_USER, key_);
        services_.registry->DeleteKey(HKEY_CURRENT_USER, kKeyParent); // only when left empty
    }

    Services GetServices() override { return services_; }
    std::string ScratchFolder() override { return folder_; }
    std::string ScratchKey() override { return key_; }
    // Wine's ntdll exports its own version call; Windows' does not.
    bool RunsOnWine() override {
        HANDLE ntdll = 0;
        if (services_.libraries->LoadLibrary("ntdll.dll", ntdll) != ERROR_SUCCESS) return false;
        bool wine =
            static_cast<bool>(services_.libraries->GetEntryPoint(ntdll, "wine_get_version"));
        services_.libraries->FreeLibrary(ntdll);
        return wine;
    }

private:
    std::unique_ptr<Backend> backend_;
    Services services_;
    ScopedPlatform scope_;
    std::string folder_;
    std::string key_;
};

} // namespace

std::unique_ptr<ContractEnvironment> MakeContractEnvironment() {
    return std::make_unique<Win32Environment>();
}

} // namespace tarn::test
