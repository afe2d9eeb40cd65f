#include "uninstall/RealRunActions.h"

#include "archive/ArchivePaths.h"
#include "platform/Platform.h"
#include "routines/cmp_TTarnRegistry.h"
#include "routines/routines_API.h"
#include "routines/routines_INIFiles.h"
#include "routines/routines_Registry.h"
#include "routines/routines_Text.h"
#include "uninstall/IniFileEdit.h"
#include "uninstall/UninstallForm.h"
#include "uninstall/UninstallText.h"
#include "uninstall/UninstallView.h"

namespace tarn::uninstall {

namespace {

bool LocalMachineKeyExists(const std::string& key) {
    TtarnRegistry probe;
    SetRootByCode(probe, rcLocalMachine);
    return probe.KeyExists(key);
}

} // namespace

RealRunActions::RealRunActions(ActionReporter report, IUninstallView& view)
    : report_(std::move(report)), view_(view) {}

bool RealRunActions::Ask(const std::string& question) {
    view_.BeforeBox();
    return platform::UI().Confirm("Confirm", question);
}

void RealRunActions::DeleteOwnedFile(const std::string& path) {
    if (platform::Files().DeleteFile(path) == platform::ERROR_SUCCESS)
        Report("deleted " + path);
    else
        Report("kept " + path + ", because it could not be deleted");
}

FileFate RealRunActions::DeleteRecordedFile(const std::string& path) {
    // The deletion itself tells whether the file was there; only a refused one needs a look.
    const platform::DWORD error = platform::Files().DeleteFile(path);
    if (error == platform::ERROR_SUCCESS) {
        Report("deleted " + path);
        return FileFate::Deleted;
    }
    if (error == platform::ERROR_FILE_NOT_FOUND || error == platform::ERROR_PATH_NOT_FOUND ||
        !FileExists(path)) {
        Report("skipped " + path + ", because it does not exist");
        return FileFate::Missing;
    }
    Report("kept " + path + ", because it could not be deleted");
    return FileFate::Refused;
}

void RealRunActions::RemoveFolder(const std::string& folder) {
    if (platform::Files().RemoveDirectory(folder) == platform::ERROR_SUCCESS)
        Report("removed folder " + folder);
}

ProgramFate RealRunActions::RemoveOwnProgram(const std::string& path) {
    if (platform::Files().DeleteFile(path) == platform::ERROR_SUCCESS) {
        Report("deleted own program " + path);
        return ProgramFate::Deleted;
    }
    DeleteFileOnReboot(path);
    Report("scheduled own program " + path + " for deletion at restart");
    // Its folder goes after it when nothing else is left in it then (the NT family deletes an
    // empty folder at the restart; the 95 family's WININIT.INI cannot name one).
    if (!IsWindows95Family(GetWindowsVersionCode())) {
        const std::string folder = ExcludeBackslash(archive::ExtractFilePath(path));
        if (platform::Files().MoveFile(folder, "", platform::MOVEFILE_DELAY_UNTIL_REBOOT) ==
            platform::ERROR_SUCCESS)
            Report("scheduled folder " + folder + " for removal at restart when empty");
    }
    return ProgramFate::AtRestart;
}

void RealRunActions::LowerSharedCount(const std::string& name, std::int32_t count) {
    WriteRegistryInteger(rcLocalMachine, kSharedDllsKey, name, count - 1);
    Report("kept " + name + " with count " + std::to_string(count - 1));
}

void RealRunActions::DeleteSharedCount(const std::string& name) {
    DeleteRegistryValue(rcLocalMachine, kSharedDllsKey, name);
    Report("deleted shared count of " + name);
}

std::unique_ptr<IniFileEdit> RealRunActions::EditIniFile(const std::string& fileName) {
    return std::make_unique<IniFileEdit>(fileName);
}

void RealRunActions::DeleteIniEntry(IniFileEdit& file, const std::string& section,
                                    const std::string& name) {
    file.DeleteEntry(section, name);
    Report("removed [" + section + "] " + name + " from " + file.FileName());
}

void RealRunActions::EraseIniSection(IniFileEdit& file, const std::string& section) {
    file.EraseSection(section);
    Report("removed section [" + section + "] from " + file.FileName());
}

void RealRunActions::RemoveEmptyIniFile(const std::string& fileName) {
    DeleteOwnedFile(fileName);
    if (CountFolderEntries(fileName) == 0) RemoveFolder(FolderPartOf(fileName));
}

void RealRunActions::DeleteAlias(platform::IDatabaseEngine& engine, const std::string& alias) {
    engine.DeleteAlias(ToOem(alias));
    Report("deleted alias " + alias);
}

void RealRunActions::SaveEngineConfig(platform::IDatabaseEngine& engine) {
    engine.SaveConfig(true);
}

void RealRunActions::LowerEngineUseCount(TtarnRegistry& engineKey, std::int64_t left) {
    engineKey.WriteString("UseCount", std::to_string(left));
    Report("kept the database engine with use count " + std::to_string(left));
}

void RealRunActions::DeleteKeyTree(const std::string& key) {
    DeleteRegistryKeyTree(rcLocalMachine, key);
    if (LocalMachineKeyExists(key))
        Report("kept registry key HKEY_LOCAL_MACHINE" + key + ", because it could not be deleted");
    else
        Report("deleted registry key HKEY_LOCAL_MACHINE" + key);
}

void RealRunActions::DeleteRecordedValue(TtarnRegistry& key, const std::string& path,
                                         const std::string& name) {
    if (key.DeleteValue(name)) Report("deleted value " + name + " of " + path);
}

void RealRunActions::RemoveKeyWhenEmpty(TtarnRegistry& key, const std::string& path) {
    TStringList left;
    key.GetValueNames(left);
    if (left.Count() != 0 || key.HasSubKeys()) {
        Report("kept key " + path + ", because it holds other values or keys");
        return;
    }
    key.CloseKey();
    if (key.DeleteKey(path)) Report("deleted key " + path);
}

void RealRunActions::ForgetEntryCount(TtarnRegistry& record, TStringList& names) {
    record.DeleteValue("Entries");
    record.GetValueNames(names);
}

void RealRunActions::ForgetRecordValue(TtarnRegistry& record, const std::string& name) {
    record.DeleteValue(name);
}

void RealRunActions::ForgetRecordValue(const std::string& key, const std::string& name) {
    TtarnRegistry record;
    SetRootByCode(record, rcLocalMachine);
    record.SetLazyWrite(false);
    if (record.OpenKey(key, false)) record.DeleteValue(name);
}

void RealRunActions::ForgetRecordKey(const std::string& key) {
    DeleteRegistryKeyTree(rcLocalMachine, key);
}

} // namespace tarn::uninstall
