// What an installed file leaves in the registry: its entry in the product's uninstall record and
// its shared-library count.
#include "framework/StringList.h"
#include "framework/TextCase.h"
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
#include <optional>
#include <unordered_set>

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

// The entries a product's record holds, read once and kept up to date while the tree's unit
// lives: a run repeated after an interruption (or a reinstall) lists each file once, and raises
// no shared count twice, at a cost that does not grow with the record.
struct RecordIndex {
    std::string key; // upper case, with a trailing backslash
    std::unordered_set<std::string> entries;
};
std::optional<RecordIndex>& Index() {
    static std::optional<RecordIndex> index;
    return index;
}

void ReadEntries(const std::string& key, std::unordered_set<std::string>& entries) {
    TtarnRegistry registry;
    SetRootByCode(registry, rcLocalMachine);
    TStringList names;
    auto readKey = [&](const std::string& path) {
        if (!registry.OpenKey(path, false)) return false;
        registry.GetValueNames(names);
        for (int i = 0; i < names.Count(); ++i) {
            if (SameTextAscii(names.Strings(i), "Entries")) continue;
            try {
                entries.insert(UpperCaseAnsi(registry.ReadString(names.Strings(i))));
            } catch (const std::exception&) {
            }
        }
        registry.CloseKey();
        return true;
    };
    readKey(key + "ActiveX");
    for (int k = 0; k < kRecordKeyLimit; ++k)
        if (!readKey(key + "Files" + (k > 0 ? std::to_string(k) : std::string()))) break;
}

RecordIndex& IndexOf(const std::string& key) {
    std::optional<RecordIndex>& index = Index();
    const std::string upper = UpperCaseAnsi(key);
    if (!index || index->key != upper) {
        index.emplace();
        index->key = upper;
        ReadEntries(key, index->entries);
    }
    return *index;
}

bool Listed(const std::string& key, const std::string& data) {
    return IndexOf(key).entries.count(UpperCaseAnsi(data)) > 0;
}

void AddListed(const std::string& key, const std::string& data) {
    IndexOf(key).entries.insert(UpperCaseAnsi(data));
}

} // namespace

void ForgetRecordIndex() {
    Index().reset();
}

std::string TCustomInstallFile::RecordEntry() {
    const std::string path = FinalDestination();
    if (!RegisterActiveX()) return path;
    return path + (UpperExtension(SourceFileName) == ".EXE" ? ";1" : ";0");
}

bool TCustomInstallFile::ListedForUninstall(const std::string& keyPath) {
    return Listed(IncludeBackslash(keyPath), RecordEntry());
}

void TCustomInstallFile::RecordForUninstaller(const std::string& keyPath) {
    const std::string key = IncludeBackslash(keyPath);
    const std::string path = FinalDestination();
    if (RegisterActiveX()) {
        const std::string entry = RecordEntry();
        if (Listed(key, entry)) return;
        try {
            AddEntry(key + "ActiveX", entry);
        } catch (const Exception&) {
            throw IECustomInstallFile(SRecordNotWritten, path);
        }
        AddListed(key, entry);
        return;
    }
    RecordFileForUninstall(key, path);
}

void RecordFileForUninstall(const std::string& keyPath, const std::string& path) {
    const std::string key = IncludeBackslash(keyPath);
    if (Listed(key, path)) return;
    // A key that refuses the entry or holds a bad count gives way to the next overflow key; the
    // uninstaller reads them in this order up to the first missing one.
    for (int k = 0; k < kRecordKeyLimit; ++k) {
        try {
            AddEntry(key + "Files" + (k > 0 ? std::to_string(k) : std::string()), path);
            AddListed(key, path);
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
    const std::string path = FinalDestination();
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
