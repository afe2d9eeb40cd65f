#include "uninstall/DryRunActions.h"

#include "platform/Platform.h"
#include "routines/cmp_TTarnRegistry.h"
#include "uninstall/IniFileEdit.h"
#include "uninstall/UninstallForm.h"
#include "uninstall/UninstallText.h"

namespace tarn::uninstall {

DryRunActions::DryRunActions(ActionReporter report, bool answer)
    : report_(std::move(report)), answer_(answer) {}

bool DryRunActions::Ask(const std::string& question) {
    Report("ask: " + question + (answer_ ? " (answered Yes)" : " (answered No)"));
    return answer_;
}

void DryRunActions::DeleteOwnedFile(const std::string& path) {
    Report("delete " + path);
}

FileFate DryRunActions::DeleteRecordedFile(const std::string& path) {
    if (!FileExists(path)) {
        Report("skipped " + path + ", because it does not exist");
        return FileFate::Missing;
    }
    // A file the system will not let us change (read-only, or on a read-only drive) would be
    // kept, and its folder with it.
    platform::HANDLE probe = platform::INVALID_HANDLE_VALUE;
    const platform::DWORD error = platform::Files().CreateFile(
        path, platform::GENERIC_WRITE,
        platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE | platform::FILE_SHARE_DELETE,
        platform::OPEN_EXISTING, platform::FILE_ATTRIBUTE_NORMAL, probe);
    if (error == platform::ERROR_SUCCESS) platform::Files().CloseFile(probe);
    if (error == platform::ERROR_ACCESS_DENIED) {
        Report("keep " + path + ", because it may not be deleted");
        return FileFate::Protected;
    }
    DeleteOwnedFile(path);
    return FileFate::Deleted;
}

void DryRunActions::RemoveFolder(const std::string& folder) {
    Report("remove folder " + folder + " when it is empty");
}

ProgramFate DryRunActions::RemoveOwnProgram(const std::string& path) {
    Report("delete own program " + path);
    return ProgramFate::Planned;
}

void DryRunActions::LowerSharedCount(const std::string& name, std::int32_t count) {
    Report("keep " + name + " with count " + std::to_string(count - 1));
}

void DryRunActions::DeleteSharedCount(const std::string& name) {
    Report("delete shared count of " + name);
}

void DryRunActions::UnregisterLibrary(const std::string& path) {
    Report("unregister " + path + " through DllUnregisterServer");
}

void DryRunActions::UnregisterServerProgram(const std::string& path) {
    Report("unregister " + path + " by starting it with /UNREGSERVER");
}

std::unique_ptr<IniFileEdit> DryRunActions::EditIniFile(const std::string& fileName) {
    auto copy = IniFileEdit::CopyOf(fileName);
    if (!copy)
        Report("skipped INI file " + fileName + ", because it could not be copied to look at");
    return copy;
}

void DryRunActions::DeleteIniEntry(IniFileEdit& file, const std::string& section,
                                   const std::string& name) {
    file.DeleteEntry(section, name);
    Report("remove [" + section + "] " + name + " from " + file.FileName());
}

void DryRunActions::EraseIniSection(IniFileEdit& file, const std::string& section) {
    file.EraseSection(section);
    Report("remove section [" + section + "] from " + file.FileName());
}

void DryRunActions::RemoveEmptyIniFile(const std::string& fileName) {
    DeleteOwnedFile(fileName);
    // The file itself is still one of the folder's entries.
    if (CountFolderEntries(fileName) == 1) Report("remove folder " + FolderPartOf(fileName));
}

void DryRunActions::DeleteAlias(platform::IDatabaseEngine&, const std::string& alias) {
    Report("delete alias " + alias);
}

void DryRunActions::SaveEngineConfig(platform::IDatabaseEngine&) {}

void DryRunActions::LowerEngineUseCount(TtarnRegistry&, std::int64_t left) {
    Report("keep the database engine with use count " + std::to_string(left));
}

void DryRunActions::DeleteKeyTree(const std::string& key) {
    Report("delete registry key HKEY_LOCAL_MACHINE" + key);
}

void DryRunActions::DeleteRecordedValue(TtarnRegistry& key, const std::string& path,
                                        const std::string& name) {
    if (key.ValueExists(name)) Report("delete value " + name + " of " + path);
}

void DryRunActions::RemoveKeyWhenEmpty(TtarnRegistry&, const std::string& path) {
    Report("delete key " + path + " when it is empty");
}

void DryRunActions::ForgetEntryCount(TtarnRegistry& record, TStringList& names) {
    // The count stays in the record and is passed over.
    record.GetValueNames(names);
    const int at = names.IndexOf("Entries");
    if (at >= 0) names.Delete(at);
}

void DryRunActions::ForgetRecordValue(TtarnRegistry&, const std::string&) {}

void DryRunActions::ForgetRecordValue(const std::string&, const std::string&) {}

void DryRunActions::ForgetRecordKey(const std::string&) {}

} // namespace tarn::uninstall
