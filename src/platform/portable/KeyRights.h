// Registry key rights as a handle is granted them, shared by the registry and the faults that
// withhold some of them.
#pragma once

#include "platform/WinTypes.h"

#include <string>

namespace tarn::platform::portable {

// The rights a handle gets for an access request: the generic rights stand for the key rights
// they map to (both registry views are one here), MAXIMUM_ALLOWED for every right not withheld.
REGSAM GrantedRights(REGSAM requested, REGSAM withheld = 0);

// Whether a key or value name can be kept in registry.reg, one line per entry.
bool StorableName(const std::string& name);

} // namespace tarn::platform::portable
