#include "platform/portable/Machine.h"

namespace tarn::platform {

std::unique_ptr<Backend> CreateDefaultBackend() {
    return std::make_unique<portable::Machine>(portable::Machine::DefaultFolder());
}

} // namespace tarn::platform
