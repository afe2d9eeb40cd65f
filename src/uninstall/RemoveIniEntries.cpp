// The INI phase: exactly the recorded entries leave their sections; everything else of a section
// (its place, the other entries in their order, comments and blank lines) stays as it was, since
// the sections are often shared with other software (WIN.INI, SYSTEM.INI).
#include "framework/Exception.h"
#include "platform/Platform.h"
#include "routines/cmp_TTarnRegistry.h"
#include "routines/routines_API.h"
#include "routines/routines_Registry.h"
#include "uninstall/UninstallForm.h"
#include "uninstall/UninstallText.h"

#include <algorithm>
#include <vector>

namespace tarn::uninstall {

namespace {

std::string NamePart(const std::string& line) {
    return line.substr(0, line.find('='));
}

// Section and entry names as the profile functions compare them: blanks around them do not count.
bool SameName(const std::string& a, const std::string& b) {
    return SameTextAnsi(TrimBlanks(a), TrimBlanks(b));
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
        if (!RecordKeyExists(recordKey + "\\Entries") || !FileExists(fileName)) {
            Report("skipped INI file " + fileName + ", because it or its entries are missing");
            continue;
        }
        if (DryRun) {
            DescribeIniFile(recordKey, fileName);
            continue;
        }
        RemoveIniFileEntries(recordKey, fileName, fileName);
        TakeAwayEmptyIniFile(fileName);
        DeleteRegistryKeyTree(rcLocalMachine, recordKey);
    }
    DeleteRecordTree(key);
}

void TForm1::RemoveIniFileEntries(const std::string& recordKey, const std::string& fileName,
                                  const std::string& target) {
    TStringList sections;
    {
        TtarnRegistry entries;
        SetRootByCode(entries, rcLocalMachine);
        if (!entries.OpenKey(recordKey + "\\Entries", false)) return;
        entries.GetKeyNames(sections);
    }
    for (int s = 0; s < sections.Count(); ++s) {
        const std::string sectionRecord = recordKey + "\\Entries\\" + sections[s];
        {
            TtarnRegistry sectionKey;
            SetRootByCode(sectionKey, rcLocalMachine);
            if (!sectionKey.OpenKey(sectionRecord, false)) continue;
            RemoveIniSection(sectionKey, sections[s], fileName, target);
        }
        if (!DryRun) DeleteRegistryKeyTree(rcLocalMachine, sectionRecord);
    }
}

void TForm1::RemoveIniSection(TtarnRegistry& sectionKey, const std::string& section,
                              const std::string& fileName, const std::string& target) {
    platform::IProfile& profile = platform::Profile();
    std::vector<std::string> lines;
    profile.GetSection(target, section, lines);
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
            return SameName(NamePart(line), name);
        });
        std::erase_if(lines, [&](const auto& line) { return SameName(NamePart(line), name); });
        for (std::ptrdiff_t m = 0; m < matches; ++m) {
            if (profile.DeleteKey(target, section, name) != platform::ERROR_SUCCESS)
                throw Exception(SUnableToWrite, fileName);
            Report((DryRun ? "remove [" : "removed [") + section + "] " + name + " from " +
                   fileName);
        }
        ForgetRecordValue(sectionKey, name);
    }
    if (!lines.empty()) return;
    std::vector<std::string> names;
    profile.GetSectionNames(target, names);
    const bool present = std::any_of(names.begin(), names.end(),
                                     [&](const auto& n) { return SameName(n, section); });
    if (!present) return;
    if (profile.EraseSection(target, section) != platform::ERROR_SUCCESS)
        throw Exception(SUnableToWrite, fileName);
    Report((DryRun ? "remove section [" : "removed section [") + section + "] from " + fileName);
}

void TForm1::DescribeIniFile(const std::string& recordKey, const std::string& fileName) {
    // The removal runs on a copy in the temporary folder, so the dry run reports what the run
    // would do down to a file left empty, and the file itself is not touched.
    platform::IFileSystem& files = platform::Files();
    std::string copy;
    try {
        copy = CreateTempFileName(true);
    } catch (const std::exception&) {
        copy.clear();
    }
    if (copy.empty() || files.CopyFile(fileName, copy, false) != platform::ERROR_SUCCESS) {
        if (!copy.empty()) files.DeleteFile(copy);
        Report("skipped INI file " + fileName + ", because it could not be copied to look at");
        return;
    }
    try {
        RemoveIniFileEntries(recordKey, fileName, copy);
    } catch (...) {
        files.DeleteFile(copy);
        throw;
    }
    const bool empty = FileSizeOf(copy, fileName) == 0;
    files.DeleteFile(copy);
    if (!empty) return;
    NoteFolder(fileName);
    Report("delete " + fileName);
    // The file itself is still one of the folder's entries.
    if (CountFolderEntries(fileName) == 1) Report("remove folder " + FolderPartOf(fileName));
}

std::uint64_t TForm1::FileSizeOf(const std::string& path, const std::string& shownAs) {
    platform::IFileSystem& files = platform::Files();
    platform::HANDLE file = 0;
    if (files.CreateFile(path, platform::GENERIC_READ,
                         platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE,
                         platform::OPEN_EXISTING, 0, file) != platform::ERROR_SUCCESS)
        throw EFOpenError(SFOpenError, shownAs);
    std::uint64_t size = 0;
    const platform::DWORD error = files.GetFileSize(file, size);
    files.CloseFile(file);
    if (error != platform::ERROR_SUCCESS) throw EFOpenError(SFOpenError, shownAs);
    return size;
}

void TForm1::TakeAwayEmptyIniFile(const std::string& fileName) {
    if (FileSizeOf(fileName, fileName) != 0) return;
    NoteFolder(fileName);
    DeleteOwnedFile(fileName);
    if (CountFolderEntries(fileName) == 0) {
        const std::string folder = FolderPartOf(fileName);
        if (platform::Files().RemoveDirectory(folder) == platform::ERROR_SUCCESS)
            Report("removed folder " + folder);
    }
}

} // namespace tarn::uninstall
