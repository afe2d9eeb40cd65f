// Process service: CreateProcessA, WaitForInputIdle and the waits on the process handle.
#pragma once

#include "platform/Processes.h"

namespace tarn::platform::win32 {

class Win32Processes : public IProcesses {
public:
    DWORD CreateProcess(const ProcessStart& start, HANDLE& process) override;
    DWORD WaitForInputIdle(HANDLE process, DWORD milliseconds) override;
    DWORD WaitForExit(HANDLE process, DWORD milliseconds, DWORD& exitCode) override;
    DWORD CloseProcess(HANDLE process) override;
};

} // namespace tarn::platform::win32
