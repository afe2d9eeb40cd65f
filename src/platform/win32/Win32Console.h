// Console service: the process's own console; a Windows program's arguments and console output
// are ANSI already, so text crosses unchanged.
#pragma once

#include "platform/Console.h"

namespace tarn::platform::win32 {

class Win32Console : public IConsole {
public:
    bool IsTerminal(StandardStream stream) override;
    std::string ToHost(std::string_view ansi) override;
    std::optional<std::string> FromHost(std::string_view host) override;
};

} // namespace tarn::platform::win32
