#include "routines/routines_Registry.h"

#include "framework/StringList.h"
#include "routines/cmp_TTarnRegistry.h"
#include "routines/routines_API.h"
#include "routines/routines_Exceptions.h"

namespace tarn {

void WriteRegistryString(std::uint8_t root, const std::string& key, const std::string& name,
                         const std::string& text) {
    TtarnRegistry reg;
    SetRootByCode(reg, root);
    if (!reg.OpenKey(key, true))
        throw EIRCannotWriteValue("Cannot install into registry. Key: %s Ident: %s Value %s", key,
                                  name, text);
    try {
        reg.WriteString(name, text);
    } catch (const ERegistryException&) {
        throw EIRCannotWriteValue("Cannot install into registry. Key: %s Ident: %s Value %s", key,
                                  name, text);
    }
}

void WriteRegistryInteger(std::uint8_t root, const std::string& key, const std::string& name,
                          std::int32_t value) {
    TtarnRegistry reg;
    SetRootByCode(reg, root);
    if (!reg.OpenKey(key, true)) throw EIRCannotWriteValue(key);
    try {
        reg.WriteInteger(name, value);
    } catch (const ERegistryException&) {
        throw EIRCannotWriteValue(key);
    }
}

void ReadRegistryString(std::uint8_t root, const std::string& key, const std::string& name,
                        std::string& result, const std::string& defaultText) {
    result = defaultText;
    TtarnRegistry reg;
    SetRootByCode(reg, root);
    if (!reg.KeyExists(key) || !reg.OpenKey(key, false) || !reg.ValueExists(name)) return;
    try {
        result = reg.ReadString(name);
    } catch (const Exception&) {
        result = defaultText;
    }
}

std::int32_t ReadRegistryInteger(std::uint8_t root, const std::string& key, const std::string& name,
                                 std::int32_t defaultValue) {
    TtarnRegistry reg;
    SetRootByCode(reg, root);
    if (!reg.KeyExists(key) || !reg.OpenKey(key, false) || !reg.ValueExists(name))
        return defaultValue;
    try {
        return reg.ReadInteger(name);
    } catch (const Exception&) {
        return defaultValue;
    }
}

void DeleteRegistryKeyTree(std::uint8_t root, const std::string& key) {
    try {
        TStringList names;
        {
            TtarnRegistry reg;
            SetRootByCode(reg, root);
            if (!reg.OpenKey(key, false)) return;
            reg.GetKeyNames(names);
            reg.CloseKey();
        }
        std::string prefix = !key.empty() && key.back() == '\\' ? key : key + "\\";
        for (int i = 0; i < names.Count(); ++i)
            DeleteRegistryKeyTree(root, prefix + names[i]);
        TtarnRegistry reg;
        SetRootByCode(reg, root);
        reg.DeleteKey(key);
    } catch (const std::exception&) {
        // Clean-up is silent: what cannot be deleted stays.
    }
}

void DeleteRegistryValue(std::uint8_t root, const std::string& key, const std::string& name) {
    TtarnRegistry reg;
    SetRootByCode(reg, root);
    if (reg.KeyExists(key) && reg.OpenKey(key, false)) reg.DeleteValue(name);
}

void GetRegistrySubKeyNames(std::uint8_t root, const std::string& key, TStringList& list) {
    list.Clear();
    TtarnRegistry reg;
    SetRootByCode(reg, root);
    if (reg.KeyExists(key) && reg.OpenKey(key, false)) reg.GetKeyNames(list);
}

bool AddRunOnceEntry(const std::string& name, const std::string& command, bool unique) {
    WindowsVersionCode code;
    try {
        code = GetWindowsVersionCode();
    } catch (const EAPIRoutines&) {
        return false; // the routine reports failure only through its result
    }
    TtarnRegistry reg;
    SetRootByCode(reg, IsNt4To5Family(code) ? rcCurrentUser : rcLocalMachine);
    if (!reg.OpenKey(kRunOnceKey, true)) return false;
    std::string entry = name;
    for (int n = 1; unique && reg.ValueExists(entry); ++n)
        entry = name + std::to_string(n);
    try {
        reg.WriteString(entry, command);
    } catch (const ERegistryException&) {
        return false;
    }
    reg.SetLazyWrite(false);
    reg.CloseKey();
    return true;
}

} // namespace tarn
