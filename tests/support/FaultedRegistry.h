// The embedded registry as the machine hands it out, the faults in front of the backend, for
// tests that also look at the backend's open handles.
#pragma once

#include "platform/portable/FaultyRegistry.h"
#include "platform/portable/PortableRegistry.h"

#include <cstddef>

namespace tarn::test {

class FaultedRegistry : public platform::portable::FaultyRegistry {
public:
    FaultedRegistry(platform::portable::PortableRegistry& backend,
                    const platform::portable::Faults& faults)
        : FaultyRegistry(backend, faults), backend_(backend) {}

    std::size_t OpenHandleCount() const { return backend_.OpenHandleCount(); }

private:
    platform::portable::PortableRegistry& backend_;
};

} // namespace tarn::test
