#include "platform/portable/KeyRights.h"

#include <string_view>

namespace tarn::platform::portable {

REGSAM GrantedRights(REGSAM requested, REGSAM withheld) {
    REGSAM granted = requested & ~(GENERIC_READ | GENERIC_WRITE | GENERIC_EXECUTE | GENERIC_ALL |
                                   MAXIMUM_ALLOWED | KEY_WOW64_64KEY | KEY_WOW64_32KEY);
    if (requested & (GENERIC_READ | GENERIC_EXECUTE)) granted |= KEY_READ;
    if (requested & GENERIC_WRITE) granted |= KEY_WRITE;
    if (requested & GENERIC_ALL) granted |= KEY_ALL_ACCESS;
    if (requested & MAXIMUM_ALLOWED) granted |= KEY_ALL_ACCESS & ~withheld;
    return granted;
}

bool StorableName(const std::string& name) {
    return name.find_first_of(std::string_view("\0\r\n", 3)) == std::string::npos;
}

} // namespace tarn::platform::portable
