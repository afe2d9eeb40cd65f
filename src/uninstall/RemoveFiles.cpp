// The files phase and the folder clean-up.
#include "platform/Platform.h"
#include "routines/cmp_TTarnRegistry.h"
#include "uninstall/UninstallForm.h"
#include "uninstall/UninstallText.h"

namespace tarn::uninstall {

namespace {

std::string FilesKey(const std::string& recordKey, int index) {
    return recordKey + "\\Files" + (index > 0 ? std::to_string(index) : std::string());
}

// The value names of the open key without "Entries", which the phase deletes first (in a dry
// run it stays and is passed over).
void ListEntryValues(TtarnRegistry& key, bool dryRun, TStringList& names) {
    if (!dryRun) key.DeleteValue("Entries");
    key.GetValueNames(names);
    if (dryRun) {
        for (int i = names.Count() - 1; i >= 0; --i)
            if (names[i] == "Entries") names.Delete(i);
    }
}

} // namespace

void TForm1::RemoveFiles() {
    sharedCounts_ = SharedCountsRecorded();
    for (int index = 0;; ++index) {
        const std::string key = FilesKey(FRecordKey, index);
        {
            TtarnRegistry record;
            SetRootByCode(record, rcLocalMachine);
            record.SetLazyWrite(false);
            if (!record.OpenKey(key, false)) return;
            TStringList names;
            ListEntryValues(record, DryRun, names);
            const int n = names.Count();
            for (int k = 0; k < n; ++k) {
                SetProgress(k, n);
                RemoveRecordedFile(record.ReadString(names[k]));
                ForgetRecordValue(record, names[k]);
            }
            record.CloseKey();
            DeleteRecordTree(key);
        }
        TtarnRegistry probe;
        SetRootByCode(probe, rcLocalMachine);
        if (!probe.KeyExists(FilesKey(FRecordKey, index + 1))) return;
    }
}

void TForm1::RemoveRecordedFile(std::string path) {
    const auto count = SharedCount(path);
    if (count && *count >= 2) return LowerSharedCount(path, *count);
    if (count) {
        if (!ConfirmFileDelete(path)) return Report("kept " + path + ", because the answer was No");
        DeleteSharedCount(path);
    }
    DeleteRecordedFile(path);
}

void TForm1::DeleteRecordedFile(const std::string& path) {
    if (TrimBlanks(path).empty()) return;
    if (DryRun) {
        if (!FileExists(path)) return Report("skipped " + path + ", because it does not exist");
        // A file the system will not let us change (read-only, or on a read-only drive) would
        // be kept, and its folder with it.
        platform::HANDLE probe = platform::INVALID_HANDLE_VALUE;
        const platform::DWORD error = platform::Files().CreateFile(
            path, platform::GENERIC_WRITE,
            platform::FILE_SHARE_READ | platform::FILE_SHARE_WRITE | platform::FILE_SHARE_DELETE,
            platform::OPEN_EXISTING, platform::FILE_ATTRIBUTE_NORMAL, probe);
        if (error == platform::ERROR_SUCCESS) platform::Files().CloseFile(probe);
        if (error == platform::ERROR_ACCESS_DENIED)
            return Report("keep " + path + ", because it may not be deleted");
        NoteFolder(path);
        return DeleteOwnedFile(path);
    }
    // The deletion itself tells whether the file was there; only a refused one needs a look.
    const platform::DWORD error = platform::Files().DeleteFile(path);
    if (error == platform::ERROR_SUCCESS) {
        NoteFolder(path);
        Report("deleted " + path);
    } else if (error == platform::ERROR_FILE_NOT_FOUND || error == platform::ERROR_PATH_NOT_FOUND ||
               !FileExists(path)) {
        Report("skipped " + path + ", because it does not exist");
    } else {
        NoteFolder(path);
        Report("kept " + path + ", because it could not be deleted");
    }
}

void TForm1::RemoveEmptyFolders() {
    for (int i = 0; i < FRemovedDirs->Count(); ++i) {
        const std::string& folder = (*FRemovedDirs)[i];
        if (DryRun) {
            Report("remove folder " + folder + " when it is empty");
        } else if (platform::Files().RemoveDirectory(folder) == platform::ERROR_SUCCESS) {
            Report("removed folder " + folder);
        }
    }
}

} // namespace tarn::uninstall
