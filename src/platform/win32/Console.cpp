#include "platform/Console.h"

#include <cstdio>
#include <io.h>

namespace tarn::platform {

bool IsTerminal(StandardStream stream) {
    return _isatty(_fileno(stream == StandardStream::Input ? stdin : stdout)) != 0;
}

} // namespace tarn::platform
