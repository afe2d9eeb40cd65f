// The process-wide access point to the platform services. Product code reaches Windows only
// through these services; which backend provides them is decided at link time, and tests swap
// them with ScopedPlatform.
#pragma once

#include "platform/DatabaseEngine.h"
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
};

// A complete set of services that owns what it hands out.
class Backend {
public:
    virtual ~Backend() = default;
    virtual Services GetServices() = 0;
    // Brings every pending change to stable storage.
    virtual void Flush() {}
};

// Provided by the backend linked into the program (portable or win32).
std::unique_ptr<Backend> CreateDefaultBackend();

// The services in force; the default backend is created on first use.
const Services& Current();

inline IRegistry& Registry() {
    return *Current().registry;
}
inline IFileSystem& Files() {
    return *Current().files;
}
inline IProfile& Profile() {
    return *Current().profile;
}
inline IProcesses& Processes() {
    return *Current().processes;
}
inline ILibraries& Libraries() {
    return *Current().libraries;
}
inline ISystemInfo& System() {
    return *Current().system;
}
inline IReboot& Reboot() {
    return *Current().reboot;
}
inline IUserInterface& UI() {
    return *Current().ui;
}
inline IDatabaseEngine& Database() {
    return *Current().database;
}

// Flushes and frees the default backend (also done at normal exit).
void ShutdownDefaultBackend();

// Puts a set of services in force for its lifetime, then restores the previous one. Services left
// null are taken from the set in force when the guard is made.
class ScopedPlatform {
public:
    explicit ScopedPlatform(const Services& services);
    explicit ScopedPlatform(Backend& backend) : ScopedPlatform(backend.GetServices()) {}
    ~ScopedPlatform();
    ScopedPlatform(const ScopedPlatform&) = delete;
    ScopedPlatform& operator=(const ScopedPlatform&) = delete;

private:
    Services saved_;
    bool hadOverride_;
};

} // namespace tarn::platform
