// A real run's unregistering of ActiveX servers, the way their kind asks.
#include "platform/Platform.h"
#include "platform/Processes.h"
#include "routines/routines_FileSystem.h"
#include "uninstall/RealRunActions.h"
#include "uninstall/UninstallForm.h"

namespace tarn::uninstall {

void RealRunActions::UnregisterLibrary(const std::string& path) {
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

void RealRunActions::UnregisterServerProgram(const std::string& path) {
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
