// The ActiveX/OCX phase: servers are unregistered the way their kind asks, then deleted.
#include "routines/cmp_TTarnRegistry.h"
#include "uninstall/UninstallActions.h"
#include "uninstall/UninstallForm.h"
#include "uninstall/UninstallText.h"

namespace tarn::uninstall {

void TForm1::RemoveActiveXComponents() {
    sharedCounts_ = SharedCountsRecorded();
    const std::string key = FRecordKey + "\\ActiveX";
    {
        TtarnRegistry record;
        SetRootByCode(record, rcLocalMachine);
        if (!record.OpenKey(key, false)) return;
        TStringList names;
        actions_->ForgetEntryCount(record, names);
        const int n = names.Count();
        for (int k = 0; k < n; ++k) {
            SetProgress(k, n);
            RemoveRecordedServer(record.ReadString(names[k]));
            actions_->ForgetRecordValue(record, names[k]);
        }
        record.CloseKey();
    }
    DeleteRecordTree(key);
}

void TForm1::RemoveRecordedServer(const std::string& data) {
    const auto semicolon = data.find(';');
    std::string path = data.substr(0, semicolon);
    std::string kind;
    if (semicolon != std::string::npos) {
        const auto next = data.find(';', semicolon + 1);
        kind = data.substr(semicolon + 1,
                           next == std::string::npos ? std::string::npos : next - semicolon - 1);
    }
    const auto count = SharedCount(path);
    if (count && *count >= 2) return actions_->LowerSharedCount(path, *count);
    if (!ConfirmFileDelete(path)) return Report("kept " + path + ", because the answer was No");
    if (count) actions_->DeleteSharedCount(path);
    if (TrimBlanks(path).empty()) return;
    if (kind == "0")
        UnregisterLibrary(path);
    else if (kind == "1")
        UnregisterServerExe(path);
    else
        Report("skipped unregistering " + path + ", because its kind is not 0 or 1");
    NoteFolder(path);
    if (FileExists(path)) actions_->DeleteOwnedFile(path);
}

void TForm1::UnregisterLibrary(const std::string& path) {
    if (TrimBlanks(path).empty() || !FileExists(path)) return;
    actions_->UnregisterLibrary(path);
}

void TForm1::UnregisterServerExe(const std::string& path) {
    if (TrimBlanks(path).empty() || !FileExists(path)) return;
    actions_->UnregisterServerProgram(path);
}

} // namespace tarn::uninstall
