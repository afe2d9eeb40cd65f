#include "platform/win32/WindowsApi.h"

#include "platform/win32/Handles.h"
#include "platform/win32/Win32Processes.h"

#include <vector>

namespace tarn::platform::win32 {

DWORD Win32Processes::CreateProcess(const ProcessStart& start, HANDLE& process) {
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = start.showWindow;
    PROCESS_INFORMATION info{};
    // CreateProcessA may write into the command line.
    std::vector<char> commandLine(start.commandLine.begin(), start.commandLine.end());
    commandLine.push_back('\0');
    const char* application = start.application.empty() ? nullptr : start.application.c_str();
    const char* folder = start.currentDirectory.empty() ? nullptr : start.currentDirectory.c_str();
    if (!::CreateProcessA(application, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder, &startup, &info)) {
        process = 0;
        return LastError();
    }
    ::CloseHandle(info.hThread);
    process = FromWin32Handle(info.hProcess);
    return ERROR_SUCCESS;
}

DWORD Win32Processes::WaitForInputIdle(HANDLE process, DWORD milliseconds) {
    return ::WaitForInputIdle(ToWin32Handle(process), milliseconds);
}

DWORD Win32Processes::WaitForExit(HANDLE process, DWORD milliseconds, DWORD& exitCode) {
    switch (::WaitForSingleObject(ToWin32Handle(process), milliseconds)) {
    case WAIT_OBJECT_0: {
        ::DWORD code = 0;
        if (!::GetExitCodeProcess(ToWin32Handle(process), &code)) return LastError();
        exitCode = code;
        return ERROR_SUCCESS;
    }
    case WAIT_TIMEOUT:
        return WAIT_TIMEOUT_CODE;
    default:
        return LastError();
    }
}

DWORD Win32Processes::CloseProcess(HANDLE process) {
    return ::CloseHandle(ToWin32Handle(process)) ? ERROR_SUCCESS : LastError();
}

} // namespace tarn::platform::win32
