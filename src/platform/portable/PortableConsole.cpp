#include "platform/portable/PortableConsole.h"

#include "platform/Platform.h"
#include "platform/portable/CodePage.h"

#include <unistd.h>

namespace tarn::platform::portable {

bool PortableConsole::IsTerminal(StandardStream stream) {
    return isatty(stream == StandardStream::Input ? STDIN_FILENO : STDOUT_FILENO) != 0;
}

std::string PortableConsole::ToHost(std::string_view ansi) {
    return AnsiToUtf8(ansi, System().GetACP());
}

std::optional<std::string> PortableConsole::FromHost(std::string_view host) {
    return Utf8ToAnsi(host, System().GetACP());
}

} // namespace tarn::platform::portable
