#include "platform/portable/RegistryValues.h"

#include "platform/ScopedRegKey.h"

namespace tarn::platform::portable {

bool ReadStringValue(IRegistry& registry, HKEY root, const std::string& key,
                     const std::string& name, std::string& out) {
    ScopedRegKey k(registry);
    return k.Open(root, key, KEY_QUERY_VALUE) == ERROR_SUCCESS &&
           k.ReadString(name, out) == ERROR_SUCCESS;
}

} // namespace tarn::platform::portable
