#include "platform/portable/RegistryValues.h"

#include <cstdint>
#include <vector>

namespace tarn::platform::portable {

bool ReadStringValue(IRegistry& registry, HKEY root, const std::string& key,
                     const std::string& name, std::string& out) {
    HKEY h = 0;
    if (registry.OpenKey(root, key, KEY_QUERY_VALUE, h) != ERROR_SUCCESS) return false;
    DWORD type = 0;
    std::vector<std::uint8_t> data;
    const LONG rc = registry.QueryValue(h, name, type, data);
    registry.CloseKey(h);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    out.assign(data.begin(), data.end());
    while (!out.empty() && out.back() == '\0')
        out.pop_back();
    return true;
}

} // namespace tarn::platform::portable
