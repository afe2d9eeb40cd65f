// uninstall.exe, the Windows program: the product name is the whole command line after the
// program's own name, as in the uninstall command that Add/Remove Programs runs.
// Exit status: 0 finished (or closed before Start), 1 a phase stopped the run, 2 refused for want
// of arguments.
#include "ProgramArguments.h"
#include "UninstallWindow.h"

#include "platform/Platform.h"
#include "platform/win32/Win32Backend.h"

#include <exception>
#include <string>
#include <vector>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
    using namespace tarn;
    std::unique_ptr<platform::Backend> machine;
    try {
        machine = std::make_unique<platform::win32::Win32Backend>();
        platform::ScopedPlatform scope(*machine);
        uninstall::win32::UninstallWindow window(instance);
        return window.Run(uninstall::win32::ProgramArguments(::GetCommandLineA()), show);
    } catch (const std::exception& e) {
        ::MessageBoxA(nullptr, e.what(), "uninstall", MB_OK | MB_ICONERROR);
        return 1;
    }
}
