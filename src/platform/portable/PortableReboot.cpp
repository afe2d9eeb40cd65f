#include "platform/portable/PortableReboot.h"

#include <fstream>

namespace tarn::platform::portable {

PortableReboot::PortableReboot(std::filesystem::path machineFolder)
    : marker_(std::move(machineFolder) / "restart-requested") {}

DWORD PortableReboot::ExitWindows(DWORD flags) {
    if (refused_) return ERROR_PRIVILEGE_NOT_HELD;
    std::ofstream out(marker_, std::ios::trunc);
    out << flags << '\n';
    return out ? ERROR_SUCCESS : ERROR_ACCESS_DENIED;
}

bool PortableReboot::Requested() const {
    std::error_code ec;
    return std::filesystem::exists(marker_, ec);
}

void PortableReboot::ClearRequest() {
    std::error_code ec;
    std::filesystem::remove(marker_, ec);
}

} // namespace tarn::platform::portable
