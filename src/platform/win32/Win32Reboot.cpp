#include "platform/win32/WindowsApi.h"

#include "platform/win32/Handles.h"
#include "platform/win32/Win32Reboot.h"

namespace tarn::platform::win32 {
namespace {

// The process token, closed when done with.
class ProcessToken {
public:
    ProcessToken() {
        if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                                &token_)) {
            token_ = nullptr;
        }
    }
    ~ProcessToken() {
        if (token_) ::CloseHandle(token_);
    }
    ProcessToken(const ProcessToken&) = delete;
    ProcessToken& operator=(const ProcessToken&) = delete;

    // The 95 family has no tokens: there the privilege is not needed and the call fails.
    void EnableShutdownPrivilege() {
        if (!token_) return;
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (!::LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid)) {
            return;
        }
        ::AdjustTokenPrivileges(token_, FALSE, &privileges, 0, nullptr, nullptr);
    }

private:
    ::HANDLE token_ = nullptr;
};

} // namespace

DWORD Win32Reboot::ExitWindows(DWORD flags) {
    ProcessToken().EnableShutdownPrivilege();
    return ::ExitWindowsEx(flags, 0) ? ERROR_SUCCESS : LastError();
}

} // namespace tarn::platform::win32
