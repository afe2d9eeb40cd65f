// Process service: CreateProcess and the waits around it.
#pragma once

#include "platform/WinTypes.h"

#include <string>

namespace tarn::platform {

struct ProcessStart {
    std::string application; // Windows path of the program
    std::string commandLine; // the entire command line handed to it
    WORD showWindow = SW_SHOWNORMAL;
    std::string currentDirectory; // empty: the caller's
};

class IProcesses {
public:
    virtual ~IProcesses() = default;

    // Returns once the program has started, or the Win32 error of the failed start.
    virtual DWORD CreateProcess(const ProcessStart& start, HANDLE& process) = 0;
    // WaitForInputIdle: 0 when idle, WAIT_TIMEOUT-like nonzero otherwise.
    virtual DWORD WaitForInputIdle(HANDLE process, DWORD milliseconds) = 0;
    // Waits for the program to end; ERROR_SUCCESS and its exit code, or a timeout error.
    virtual DWORD WaitForExit(HANDLE process, DWORD milliseconds, DWORD& exitCode) = 0;
    virtual DWORD CloseProcess(HANDLE process) = 0;
};

} // namespace tarn::platform
