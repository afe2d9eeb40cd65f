// String values the embedded machine keeps about itself in its registry (its version, code page,
// folders and settings), read through the registry service.
#pragma once

#include "platform/Registry.h"

#include <string>

namespace tarn::platform::portable {

// A REG_SZ or REG_EXPAND_SZ value without its terminating zeros; false when the key or value is
// missing or of another type.
bool ReadStringValue(IRegistry& registry, HKEY root, const std::string& key,
                     const std::string& name, std::string& out);

} // namespace tarn::platform::portable
