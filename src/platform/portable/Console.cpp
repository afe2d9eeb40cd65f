#include "platform/Console.h"

#include <unistd.h>

namespace tarn::platform {

bool IsTerminal(StandardStream stream) {
    return isatty(stream == StandardStream::Input ? STDIN_FILENO : STDOUT_FILENO) != 0;
}

} // namespace tarn::platform
