#include "platform/win32/Win32Console.h"

#include <cstdio>
#include <io.h>

namespace tarn::platform::win32 {

bool Win32Console::IsTerminal(StandardStream stream) {
    return _isatty(_fileno(stream == StandardStream::Input ? stdin : stdout)) != 0;
}

std::string Win32Console::ToHost(std::string_view ansi) {
    return std::string(ansi);
}

std::optional<std::string> Win32Console::FromHost(std::string_view host) {
    return std::string(host);
}

} // namespace tarn::platform::win32
