// Restart service: ExitWindowsEx with the shutdown privilege enabled first.
#pragma once

#include "platform/WinTypes.h"

namespace tarn::platform {

class IReboot {
public:
    virtual ~IReboot() = default;
    // ERROR_SUCCESS when the system accepted the request.
    virtual DWORD ExitWindows(DWORD flags) = 0;
};

} // namespace tarn::platform
