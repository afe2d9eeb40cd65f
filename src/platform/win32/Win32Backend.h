// The Win32 backend: the running Windows itself, one instance of every platform service.
#pragma once

#include "platform/Platform.h"

#include <memory>

namespace tarn::platform::win32 {

class Win32Registry;
class Win32FileSystem;
class Win32Profile;
class Win32Processes;
class Win32Libraries;
class Win32SystemInfo;
class Win32Reboot;
class Win32UserInterface;
class Win32DatabaseEngine;
class Win32Console;
class Win32Downloads;

class Win32Backend : public Backend {
public:
    Win32Backend();
    ~Win32Backend() override;
    Win32Backend(const Win32Backend&) = delete;
    Win32Backend& operator=(const Win32Backend&) = delete;

    Services GetServices() override;

private:
    std::unique_ptr<Win32Registry> registry_;
    std::unique_ptr<Win32FileSystem> files_;
    std::unique_ptr<Win32Profile> profile_;
    std::unique_ptr<Win32Processes> processes_;
    std::unique_ptr<Win32Libraries> libraries_;
    std::unique_ptr<Win32SystemInfo> system_;
    std::unique_ptr<Win32Reboot> reboot_;
    std::unique_ptr<Win32UserInterface> ui_;
    std::unique_ptr<Win32DatabaseEngine> database_;
    std::unique_ptr<Win32Console> console_;
    std::unique_ptr<Win32Downloads> downloads_;
};

} // namespace tarn::platform::win32
