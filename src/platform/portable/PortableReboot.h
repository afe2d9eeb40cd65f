// Restart requests on the embedded machine are noted in the machine folder ("restart-requested")
// so that a later simulated restart, in any process, can see that one was asked for.
#pragma once

#include "platform/Reboot.h"

#include <filesystem>

namespace tarn::platform::portable {

class PortableReboot : public IReboot {
public:
    explicit PortableReboot(std::filesystem::path machineFolder);

    DWORD ExitWindows(DWORD flags) override;

    bool Requested() const;
    void ClearRequest();
    // Refuse requests as a user without the shutdown privilege would be refused.
    void SetRefused(bool refused) { refused_ = refused; }

private:
    std::filesystem::path marker_;
    bool refused_ = false;
};

} // namespace tarn::platform::portable
