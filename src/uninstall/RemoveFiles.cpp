// The files phase and the folder clean-up.
#include "routines/cmp_TTarnRegistry.h"
#include "uninstall/UninstallActions.h"
#include "uninstall/UninstallForm.h"
#include "uninstall/UninstallText.h"

namespace tarn::uninstall {

namespace {

std::string FilesKey(const std::string& recordKey, int index) {
    return recordKey + "\\Files" + (index > 0 ? std::to_string(index) : std::string());
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
            actions_->ForgetEntryCount(record, names);
            const int n = names.Count();
            for (int k = 0; k < n; ++k) {
                SetProgress(k, n);
                RemoveRecordedFile(record.ReadString(names[k]));
                actions_->ForgetRecordValue(record, names[k]);
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
    if (count && *count >= 2) return actions_->LowerSharedCount(path, *count);
    if (count) {
        if (!ConfirmFileDelete(path)) return Report("kept " + path + ", because the answer was No");
        actions_->DeleteSharedCount(path);
    }
    DeleteRecordedFile(path);
}

void TForm1::DeleteRecordedFile(const std::string& path) {
    if (TrimBlanks(path).empty()) return;
    // The folder of a file that was deleted, or whose deletion was refused, is tried at the end;
    // a missing file or one left alone names no folder.
    const FileFate fate = actions_->DeleteRecordedFile(path);
    if (fate == FileFate::Deleted || fate == FileFate::Refused) NoteFolder(path);
}

void TForm1::RemoveEmptyFolders() {
    for (int i = 0; i < FRemovedDirs->Count(); ++i)
        actions_->RemoveFolder((*FRemovedDirs)[i]);
}

} // namespace tarn::uninstall
