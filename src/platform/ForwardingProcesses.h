// Program starts that pass every call to another IProcesses; a decorator derives from it and
// overrides only the calls it changes (see ForwardingFileSystem.h).
#pragma once

#include "platform/Processes.h"

namespace tarn::platform {

class ForwardingProcesses : public IProcesses {
public:
    // inner must outlive this object.
    explicit ForwardingProcesses(IProcesses& inner) : inner_(inner) {}

    DWORD CreateProcess(const ProcessStart& start, HANDLE& process) override {
        return inner_.CreateProcess(start, process);
    }
    DWORD WaitForInputIdle(HANDLE process, DWORD milliseconds) override {
        return inner_.WaitForInputIdle(process, milliseconds);
    }
    DWORD WaitForExit(HANDLE process, DWORD milliseconds, DWORD& exitCode) override {
        return inner_.WaitForExit(process, milliseconds, exitCode);
    }
    DWORD CloseProcess(HANDLE process) override { return inner_.CloseProcess(process); }

protected:
    IProcesses& Inner() const { return inner_; }

private:
    IProcesses& inner_;
};

} // namespace tarn::platform
