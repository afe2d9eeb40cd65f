// The ActiveX/OCX phase: servers are unregistered the way their kind asks, then deleted.
#include "platform/Platform.h"
#include "routines/cmp_TTarnRegistry.h"
#include "routines/routines_FileSystem.h"
#include "platform/Processes.h"
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
            RemoveRecordedServer(record.ReadString(names[k]));
            ForgetRecordValue(record, names[k]);
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
    if (count && *count >= 2) return LowerSharedCount(path, *count);
    if (!ConfirmFileDelete(path)) return Report("kept " + path + ", because the answer was No");
    if (count) DeleteSharedCount(path);
    if (TrimBlanks(path).empty()) return;
    if (kind == "0")
        UnregisterLibrary(path);
    else if (kind == "1")
        UnregisterServerExe(path);
    else
        Report("skipped unregistering " + path + ", because its kind is not 0 or 1");
    NoteFolder(path);
    if (FileExists(path)) DeleteOwnedFile(path);
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
    if (TrimBlanks(path).empty() || !FileExists(path)) return;
    if (DryRun) {
        Report("unregister " + path + " by starting it with /UNREGSERVER");
        return;
    }
    // Started as the program launcher starts it, but waited for: a server still running holds
    // its file, which would then stay behind after the run.
    platform::IProcesses& processes = platform::Processes();
    platform::ProcessStart start;
    start.application = path;
    start.commandLine = "/UNREGSERVER";
    start.showWindow = platform::SW_SHOWNORMAL;
    platform::HANDLE process = 0;
    if (const platform::DWORD rc = processes.CreateProcess(start, process);
        rc != platform::ERROR_SUCCESS)
        RaiseLaunchError(LaunchErrorCodeOf(rc));
    processes.WaitForInputIdle(process, platform::INFINITE_WAIT);
    platform::DWORD exitCode = 0;
    const platform::DWORD waited = processes.WaitForExit(process, kServerWaitMs, exitCode);
    processes.CloseProcess(process);
    if (waited == platform::ERROR_SUCCESS)
        Report("unregistered " + path + " (started with /UNREGSERVER, exit code " +
               std::to_string(exitCode) + ")");
    else
        Report("started " + path + " with /UNREGSERVER; it was still running after " +
               std::to_string(kServerWaitMs / 1000) + " s");
}

} // namespace tarn::uninstall
