// Restart service: enables the shutdown privilege of the process, then ExitWindowsEx.
#pragma once

#include "platform/Reboot.h"

namespace tarn::platform::win32 {

class Win32Reboot : public IReboot {
public:
    DWORD ExitWindows(DWORD flags) override;
};

} // namespace tarn::platform::win32
