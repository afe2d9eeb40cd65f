// The ActiveX/OCX phase: servers are unregistered the way their kind asks, then deleted.
#include "platform/Platform.h"
#include "routines/cmp_TTarnRegistry.h"
#include "routines/routines_FileSystem.h"
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
        if (!DryRun) record.DeleteValue("Entries");
        TStringList names;
        record.GetValueNames(names);
        if (DryRun && names.IndexOf("Entries") >= 0) names.Delete(names.IndexOf("Entries"));
        const int n = names.Count();
        for (int k = 0; k < n; ++k) {
            SetProgress(k, n);
            const std::string data = record.ReadString(names[k]);
            const auto semicolon = data.find(';');
            std::string path = data.substr(0, semicolon);
            std::string kind;
            if (semicolon != std::string::npos) {
                const auto next = data.find(';', semicolon + 1);
                kind = data.substr(semicolon + 1, next == std::string::npos ? std::string::npos
                                                                            : next - semicolon - 1);
            }
            const auto count = SharedCount(path);
            if (count && *count >= 2) {
                LowerSharedCount(path, *count);
                continue;
            }
            if (!ConfirmFileDelete(path)) {
                Report("kept " + path + ", because the answer was No");
                continue;
            }
            if (count) DeleteSharedCount(path);
            if (TrimBlanks(path).empty()) continue;
            if (kind == "0")
                UnregisterLibrary(path);
            else if (kind == "1")
                UnregisterServerExe(path);
            else
                Report("skipped unregistering " + path + ", because its kind is not 0 or 1");
            NoteFolder(path);
            if (FileExists(path)) DeleteOwnedFile(path);
        }
        record.CloseKey();
    }
    DeleteRecordTree(key);
}

void TForm1::UnregisterLibrary(const std::string& path) {
    if (TrimBlanks(path).empty() || !FileExists(path)) return;
    if (DryRun) {
        Report("unregister " + path + " through DllUnregisterServer");
        return;
    }
    platform::ILibraries& libraries = platform::Libraries();
    platform::HANDLE library = 0;
    if (libraries.LoadLibrary(path, library) != platform::ERROR_SUCCESS) {
        Report("skipped unregistering " + path + ", because it cannot be loaded");
        return;
    }
    try {
        if (auto entry = libraries.GetEntryPoint(library, "DllUnregisterServer")) {
            entry();
            Report("unregistered " + path);
        } else {
            Report("skipped unregistering " + path + ", because it has no DllUnregisterServer");
        }
    } catch (...) {
        // A failing entry point changes nothing here.
    }
    libraries.FreeLibrary(library);
}

void TForm1::UnregisterServerExe(const std::string& path) {
    TProgramLauncher launcher;
    if (TrimBlanks(path).empty() || !FileExists(path)) return;
    if (DryRun) {
        Report("unregister " + path + " by starting it with /UNREGSERVER");
        return;
    }
    launcher.FileName = path;
    launcher.Parameters = "/UNREGSERVER";
    launcher.Execute();
    Report("unregistered " + path + " (started with /UNREGSERVER)");
}

} // namespace tarn::uninstall
