#include "platform/win32/Win32Backend.h"

namespace tarn::platform {

std::unique_ptr<Backend> CreateDefaultBackend() {
    return std::make_unique<win32::Win32Backend>();
}

} // namespace tarn::platform
