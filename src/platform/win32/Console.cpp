#include "platform/Console.h"

#include <cstdio>
#include <io.h>

namespace tarn::platform {

bool IsTerminal(StandardStream stream) {
    return _isatty(_fileno(stream == StandardStream::Input ? stdin : stdout)) != 0;
}

// A Windows program's arguments and console output are ANSI already.
std::string ToHostText(std::string_view ansi) {
    return std::string(ansi);
}

std::optional<std::string> FromHostText(std::string_view host) {
    return std::string(host);
}

} // namespace tarn::platform
