// System information of the embedded machine with the injected version faults: a version query
// that fails, or a version that no registry value can describe (Win32s), whose family then also
// decides where the Windows, system and temporary folders are.
#pragma once

#include "platform/ForwardingSystemInfo.h"
#include "platform/portable/Faults.h"

namespace tarn::platform::portable {

class PortableSystemInfo;

class FaultySystemInfo : public ForwardingSystemInfo {
public:
    // Both must outlive this object; the faults are read on every call.
    FaultySystemInfo(PortableSystemInfo& inner, const Faults& faults);

    bool GetVersion(OsVersion& version) override;
    DWORD GetWindowsDirectory(std::string& path) override;
    DWORD GetSystemDirectory(std::string& path) override;
    DWORD GetTempPath(std::string& path) override;

private:
    PortableSystemInfo& system_;
    const Faults& faults_;
};

} // namespace tarn::platform::portable
