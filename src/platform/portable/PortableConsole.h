// The embedded machine's console is the host's terminal: the host speaks UTF-8, the machine the
// ANSI code page of the machine in force.
#pragma once

#include "platform/Console.h"

namespace tarn::platform::portable {

class PortableConsole : public IConsole {
public:
    bool IsTerminal(StandardStream stream) override;
    std::string ToHost(std::string_view ansi) override;
    std::optional<std::string> FromHost(std::string_view host) override;
};

} // namespace tarn::platform::portable
