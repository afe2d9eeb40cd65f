// What an installed file leaves in the registry: its entry in the product's uninstall record and
// its shared-library count.
#include "install/cmp_TInstallContainer.h"
#include "install/cmp_TInstallContainer_InstallFile.h"
#include "install/cmp_TInstallContainer_InstallFileText.h"
#include "platform/Platform.h"
#include "platform/ScopedRegKey.h"
#include "routines/cmp_TTarnRegistry.h"
#include "routines/routines_API.h"
#include "routines/routines_Registry.h"
#include "routines/routines_Text.h"

#include <charconv>

namespace tarn::install {

namespace {

constexpr const char* kSharedDllsKey = "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs";

// The decimal count an "Entries" value holds; false for any other text.
bool ParseCount(const std::string& text, int& count) {
    const std::string trimmed = archive::TrimBlanks(text);
    const char* end = trimmed.data() + trimmed.size();
    auto [next, error] = std::from_chars(trimmed.data(), end, count);
    return !trimmed.empty() && error == std::errc() && next == end;
}

// Adds one entry to a record key: "File" + the new count, then the count.
void AddEntry(const std::string& key, const std::string& data) {
    std::string entries;
    ReadRegistryString(rcLocalMachine, key, "Entries", entries, "0");
    int n = 0;
    if (!ParseCount(entries, n)) throw Exception("Bad entry count in %s", key);
    ++n;
    WriteRegistryString(rcLocalMachine, key, "File" + std::to_string(n), data);
    WriteRegistryString(rcLocalMachine, key, "Entries", std::to_string(n));
}

} // namespace

void TCustomInstallFile::RecordForUninstaller(const std::string& keyPath) {
    const std::string key = IncludeBackslash(keyPath);
    const std::string path = FullDestination();
    if (RegisterActiveX()) {
        const bool program = UpperExtension(SourceFileName) == ".EXE";
        try {
            AddEntry(key + "ActiveX", path + (program ? ";1" : ";0"));
        } catch (const Exception&) {
            throw IECustomInstallFile(SRecordNotWritten, path);
        }
        return;
    }
    RecordFileForUninstall(key, path);
}

void RecordFileForUninstall(const std::string& keyPath, const std::string& path) {
    const std::string key = IncludeBackslash(keyPath);
    // A key that refuses the entry or holds a bad count gives way to the next overflow key; the
    // uninstaller reads them in this order up to the first missing one.
    for (int k = 0; k < kRecordKeyLimit; ++k) {
        try {
            AddEntry(key + "Files" + (k > 0 ? std::to_string(k) : std::string()), path);
            return;
        } catch (const Exception&) {
        }
    }
    throw IECustomInstallFile(SRecordNotWritten, path);
}

bool TCustomInstallFile::IncrementSharedCount() {
    TtarnRegistry registry;
    SetRootByCode(registry, rcLocalMachine);
    if (!registry.OpenKey(kSharedDllsKey, true)) {
        platform::ScopedRegKey probe(platform::Registry());
        const auto error = probe.Create(platform::HKEY_LOCAL_MACHINE, kSharedDllsKey + 1,
                                        platform::KEY_READ | platform::KEY_WRITE);
        throw IECustomInstallFile(SSharedKeyFailed, Name(), static_cast<int>(error));
    }
    const std::string path = FullDestination();
    // The count under the short name when there is one; a missing value fails the read.
    if (const std::string shortPath = GetShortPath(path); !shortPath.empty()) {
        try {
            registry.WriteInteger(shortPath, registry.ReadInteger(shortPath) + 1);
            return true;
        } catch (const Exception&) {
        }
    }
    std::int32_t count = 0;
    try {
        count = registry.ReadInteger(path);
    } catch (const Exception&) {
    }
    registry.WriteInteger(path, count + 1);
    return true;
}

} // namespace tarn::install
