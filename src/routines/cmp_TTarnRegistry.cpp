#include "routines/cmp_TTarnRegistry.h"

#include "platform/Platform.h"

#include <vector>

namespace tarn {

using namespace tarn::platform;

namespace {
const HKEY kRoots[] = {HKEY_CLASSES_ROOT, HKEY_CURRENT_CONFIG, HKEY_CURRENT_USER,
                       HKEY_DYN_DATA,     HKEY_LOCAL_MACHINE,  HKEY_USERS};
}

bool TtarnRegistry::OpenKey(const std::string& key, bool canCreate) {
    bool relative = IsRelative(key);
    std::string s = WithoutLeadingBackslash(key);
    HKEY base = BaseKey(relative);
    HKEY h = 0;
    LONG rc;
    if (!canCreate || s.empty())
        rc = Registry().OpenKey(base, s, kRegReadWrite, h);
    else if (KeyExists(s))
        rc = Registry().OpenKey(base, s, kRegReadWrite, h);
    else
        rc = Registry().CreateKey(base, s, KEY_ALL_ACCESS, h);
    if (rc != ERROR_SUCCESS) return false;
    ChangeKey(h, relative && CurrentKey() ? CurrentPath() + "\\" + s : s);
    return true;
}

bool TtarnRegistry::KeyExists(const std::string& key) {
    HKEY h = 0;
    if (Registry().OpenKey(BaseKey(IsRelative(key)), WithoutLeadingBackslash(key), KEY_READ, h) !=
        ERROR_SUCCESS)
        return false;
    Registry().CloseKey(h);
    return true;
}

HKEY TtarnRegistry::GetKey(const std::string& key) {
    HKEY h = 0;
    if (Registry().OpenKey(BaseKey(IsRelative(key)), WithoutLeadingBackslash(key), KEY_ALL_ACCESS,
                           h) != ERROR_SUCCESS)
        return 0;
    return h;
}

bool TtarnRegistry::DeleteKey(const std::string& key) {
    HKEY saved = CurrentKey();
    if (HKEY h = GetKey(key)) {
        // Below the opened key, subkey names are relative paths.
        SetCurrentKeyRaw(h);
        std::vector<std::string> names;
        std::string name;
        for (DWORD i = 0; Registry().EnumKey(h, i, name) == ERROR_SUCCESS; ++i)
            names.push_back(name);
        for (const std::string& n : names)
            DeleteKey(n);
        SetCurrentKeyRaw(saved);
        Registry().CloseKey(h);
    }
    return Registry().DeleteKey(BaseKey(IsRelative(key)), WithoutLeadingBackslash(key)) ==
           ERROR_SUCCESS;
}

void SetRootByCode(TtarnRegistry& registry, std::uint8_t code) {
    code &= 0x7F;
    if (code < std::size(kRoots)) registry.SetRootKey(kRoots[code]);
}

std::uint8_t RootCodeOfKey(HKEY key, std::uint8_t defaultCode) {
    for (std::uint8_t code = 0; code < std::size(kRoots); ++code)
        if (kRoots[code] == key) return code;
    return defaultCode;
}

} // namespace tarn
