// The INI phase: exactly the recorded entries leave their sections; everything else of a section
// (its place, the other entries in their order, comments and blank lines) stays as it was, since
// the sections are often shared with other software (WIN.INI, SYSTEM.INI).
#include "framework/Exception.h"
#include "platform/Platform.h"
#include "routines/cmp_TTarnRegistry.h"
#include "uninstall/IniFileEdit.h"
#include "uninstall/UninstallActions.h"
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
        RemoveIniFile(recordKey, fileName);
    }
    DeleteRecordTree(key);
}

void TForm1::RemoveIniFile(const std::string& recordKey, const std::string& fileName) {
    auto file = actions_->EditIniFile(fileName);
    if (!file) return;
    RemoveIniFileEntries(recordKey, *file);
    const bool empty = FileSizeOf(file->Path(), fileName) == 0;
    file.reset(); // a scratch copy must not count as one of a folder's entries
    if (empty) {
        NoteFolder(fileName);
        actions_->RemoveEmptyIniFile(fileName);
    }
    actions_->ForgetRecordKey(recordKey);
}

void TForm1::RemoveIniFileEntries(const std::string& recordKey, IniFileEdit& file) {
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
            RemoveIniSection(sectionKey, sections[s], file);
        }
        actions_->ForgetRecordKey(sectionRecord);
    }
}

void TForm1::RemoveIniSection(TtarnRegistry& sectionKey, const std::string& section,
                              IniFileEdit& file) {
    platform::IProfile& profile = platform::Profile();
    std::vector<std::string> lines;
    profile.GetSection(file.Path(), section, lines);
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
        for (std::ptrdiff_t m = 0; m < matches; ++m)
            actions_->DeleteIniEntry(file, section, name);
        actions_->ForgetRecordValue(sectionKey, name);
    }
    if (!lines.empty()) return;
    std::vector<std::string> names;
    profile.GetSectionNames(file.Path(), names);
    const bool present = std::any_of(names.begin(), names.end(),
                                     [&](const auto& n) { return SameName(n, section); });
    if (present) actions_->EraseIniSection(file, section);
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

} // namespace tarn::uninstall
