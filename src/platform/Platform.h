// The process-wide access point to the platform services. Product code reaches Windows only
// through these services. Nothing is in force until a program's main puts its backend in force
// with ScopedPlatform (a test puts its own machine or stand-ins); tests swap them the same way.
#pragma once

#include "platform/Console.h"
#include "platform/DatabaseEngine.h"
#include "platform/Downloads.h"
#include "platform/FileSystem.h"
#include "platform/Libraries.h"
#include "platform/Processes.h"
#include "platform/Profile.h"
#include "platform/Reboot.h"
#include "platform/Registry.h"
#include "platform/SystemInfo.h"
#include "platform/UserInterface.h"

#include <memory>

namespace tarn::platform {

struct Services {
    IRegistry* registry = nullptr;
    IFileSystem* files = nullptr;
    IProfile* profile = nullptr;
    IProcesses* processes = nullptr;
    ILibraries* libraries = nullptr;
    ISystemInfo* system = nullptr;
    IReboot* reboot = nullptr;
    IUserInterface* ui = nullptr;
    IDatabaseEngine* database = nullptr;
    IConsole* console = nullptr;
    IDownloads* downloads = nullptr;
};

// A complete set of services that owns what it hands out.
class Backend {
public:
    virtual ~Backend() = default;
    virtual Services GetServices() = 0;
    // Brings every pending change to stable storage.
    virtual void Flush() {}
};

// Writes "no platform backend installed" to standard error and aborts: a service was asked for
// while none is in force, a programming error that no caller could handle.
[[noreturn]] void NoBackendInstalled();

// The services in force; stops the program (NoBackendInstalled) when nothing is.
const Services& Current();

namespace detail {
template <class Service> Service& InForce(Service* service) {
    if (!service) NoBackendInstalled();
    return *service;
}
} // namespace detail

inline IRegistry& Registry() {
    return detail::InForce(Current().registry);
}
inline IFileSystem& Files() {
    return detail::InForce(Current().files);
}
inline IProfile& Profile() {
    return detail::InForce(Current().profile);
}
inline IProcesses& Processes() {
    return detail::InForce(Current().processes);
}
inline ILibraries& Libraries() {
    return detail::InForce(Current().libraries);
}
inline ISystemInfo& System() {
    return detail::InForce(Current().system);
}
inline IReboot& Reboot() {
    return detail::InForce(Current().reboot);
}
inline IUserInterface& UI() {
    return detail::InForce(Current().ui);
}
inline IDatabaseEngine& Database() {
    return detail::InForce(Current().database);
}
inline IConsole& Console() {
    return detail::InForce(Current().console);
}
inline IDownloads& Downloads() {
    return detail::InForce(Current().downloads);
}

// Puts a set of services in force for its lifetime, then restores the previous one. Services left
// null are taken from the set in force when the guard is made; with nothing in force they stay
// null, and asking for one stops the program as above.
class ScopedPlatform {
public:
    explicit ScopedPlatform(const Services& services);
    explicit ScopedPlatform(Backend& backend) : ScopedPlatform(backend.GetServices()) {}
    ~ScopedPlatform();
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

private:
    Services saved_;
    bool hadServices_;
};

} // namespace tarn::platform
