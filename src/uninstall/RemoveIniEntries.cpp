// The INI phase: exactly the recorded entries leave their sections; everything else of a section
// (its place, the other entries in their order, comments and blank lines) stays as it was, since
// the sections are often shared with other software (WIN.INI, SYSTEM.INI).
#include "framework/Exception.h"
#include "platform/Platform.h"
#include "routines/cmp_TTarnRegistry.h"
#include "uninstall/UninstallForm.h"
#include "uninstall/UninstallText.h"

#include <algorithm>
#include <vector>

namespace tarn::uninstall {

namespace {

std::string NamePart(const std::string& line) {
    return line.substr(0, line.find('='));
}

bool SameText(const std::string& a, const std::string& b) {
    return UpperCaseAnsi(a) == UpperCaseAnsi(b);
}

} // namespace

int CountFolderEntries(const std::string& path) {
    platform::IFileSystem& files = platform::Files();
    platform::HANDLE find = 0;
    platform::FindData data;
    if (files.FindFirst(FolderPartOf(path) + "*.*", find, data) != platform::ERROR_SUCCESS)
        return 0;
    int count = 0;
    do {
        if (data.name != "." && data.name != ".." && !TrimBlanks(data.name).empty()) ++count;
    } while (files.FindNext(find, data) == platform::ERROR_SUCCESS);
    files.FindClose(find);
    return count;
}

void TForm1::RemoveIniEntries() {
    const std::string key = FRecordKey + "\\INIFiles";
    TStringList records;
    {
        TtarnRegistry list;
        SetRootByCode(list, rcLocalMachine);
        if (!list.OpenKey(key, false)) return;
        list.GetKeyNames(records);
    }
    for (int i = 0; i < records.Count(); ++i) {
        const std::string recordKey = key + "\\" + records[i];
        TtarnRegistry record;
        SetRootByCode(record, rcLocalMachine);
        if (!record.OpenKey(recordKey, false)) continue;
        std::string fileName;
        try {
            fileName = record.ReadString("FilePath");
        } catch (const Exception&) {
            continue;
        }
        record.CloseKey();
        TtarnRegistry probe;
        SetRootByCode(probe, rcLocalMachine);
        if (!probe.KeyExists(recordKey + "\\Entries") || !FileExists(fileName)) {
            Report("skipped INI file " + fileName + ", because it or its entries are missing");
            continue;
        }
        RemoveIniFileEntries(recordKey, fileName);
        TakeAwayEmptyIniFile(fileName);
    }
    DeleteRecordTree(key);
}

void TForm1::RemoveIniFileEntries(const std::string& recordKey, const std::string& fileName) {
    platform::IProfile& profile = platform::Profile();
    TStringList sections;
    {
        TtarnRegistry entries;
        SetRootByCode(entries, rcLocalMachine);
        if (!entries.OpenKey(recordKey + "\\Entries", false)) return;
        entries.GetKeyNames(sections);
    }
    for (int s = 0; s < sections.Count(); ++s) {
        const std::string& section = sections[s];
        TtarnRegistry sectionKey;
        SetRootByCode(sectionKey, rcLocalMachine);
        if (!sectionKey.OpenKey(recordKey + "\\Entries\\" + section, false)) continue;
        std::vector<std::string> lines;
        profile.GetSection(fileName, section, lines);
        TStringList recorded;
        sectionKey.GetValueNames(recorded);
        for (int r = 0; r < recorded.Count(); ++r) {
            const std::string& name = recorded[r];
            try {
                sectionKey.ReadString(name);
            } catch (const Exception&) {
                continue;
            }
            const auto matches = std::count_if(lines.begin(), lines.end(), [&](const auto& line) {
                return SameText(NamePart(line), name);
            });
            std::erase_if(lines, [&](const auto& line) { return SameText(NamePart(line), name); });
            for (std::ptrdiff_t m = 0; m < matches; ++m) {
                if (DryRun) {
                    Report("remove [" + section + "] " + name + " from " + fileName);
                    continue;
                }
                if (profile.DeleteKey(fileName, section, name) != platform::ERROR_SUCCESS)
                    throw Exception(SUnableToWrite, fileName);
                Report("removed [" + section + "] " + name + " from " + fileName);
            }
        }
        if (!lines.empty()) continue;
        std::vector<std::string> names;
        profile.GetSectionNames(fileName, names);
        const bool present = std::any_of(names.begin(), names.end(),
                                         [&](const auto& n) { return SameText(n, section); });
        if (!present) continue;
        if (DryRun) {
            Report("remove section [" + section + "] from " + fileName);
            continue;
        }
        if (profile.EraseSection(fileName, section) != platform::ERROR_SUCCESS)
            throw Exception(SUnableToWrite, fileName);
        Report("removed section [" + section + "] from " + fileName);
    }
}

void TForm1::TakeAwayEmptyIniFile(const std::string& fileName) {
    platform::IFileSystem& files = platform::Files();
    platform::HANDLE file = 0;
    if (files.CreateFile(fileName, platform::GENERIC_READ,
                         platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE,
                         platform::OPEN_EXISTING, 0, file) != platform::ERROR_SUCCESS)
        throw EFOpenError(SFOpenError, fileName);
    std::uint64_t size = 0;
    const platform::DWORD error = files.GetFileSize(file, size);
    files.CloseFile(file);
    if (error != platform::ERROR_SUCCESS) throw EFOpenError(SFOpenError, fileName);
    if (size != 0 || DryRun) return;
    NoteFolder(fileName);
    DeleteOwnedFile(fileName);
    if (CountFolderEntries(fileName) == 0) {
        const std::string folder = FolderPartOf(fileName);
        if (files.RemoveDirectory(folder) == platform::ERROR_SUCCESS)
            Report("removed folder " + folder);
    }
}

} // namespace tarn::uninstall
