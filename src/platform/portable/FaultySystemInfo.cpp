#include "platform/portable/FaultySystemInfo.h"

#include "platform/portable/PortableSystemInfo.h"

namespace tarn::platform::portable {
namespace {

bool Windows95Family(const OsVersion& version) {
    return version.platformId == VER_PLATFORM_WIN32_WINDOWS;
}

} // namespace

FaultySystemInfo::FaultySystemInfo(PortableSystemInfo& inner, const Faults& faults)
    : ForwardingSystemInfo(inner), system_(inner), faults_(faults) {}

bool FaultySystemInfo::GetVersion(OsVersion& version) {
    if (faults_.versionQueryFails) return false;
    if (!faults_.version) return ForwardingSystemInfo::GetVersion(version);
    version = *faults_.version;
    return true;
}

DWORD FaultySystemInfo::GetWindowsDirectory(std::string& path) {
    if (!faults_.version) return ForwardingSystemInfo::GetWindowsDirectory(path);
    return system_.WindowsDirectoryFor(Windows95Family(*faults_.version), path);
}

DWORD FaultySystemInfo::GetSystemDirectory(std::string& path) {
    if (!faults_.version) return ForwardingSystemInfo::GetSystemDirectory(path);
    return system_.SystemDirectoryFor(Windows95Family(*faults_.version), path);
}

DWORD FaultySystemInfo::GetTempPath(std::string& path) {
    if (!faults_.version) return ForwardingSystemInfo::GetTempPath(path);
    return system_.TempPathFor(Windows95Family(*faults_.version), path);
}

} // namespace tarn::platform::portable
