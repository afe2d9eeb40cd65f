// The registry of the embedded machine with the injected key faults, which stand in for key
// ACLs: keys whose read or write rights no handle gets, and keys whose values cannot be changed
// even through a writable handle. The answers and their order are those of advapi32 with such
// ACLs: a right the faults withhold is refused where the handle's own rights are checked.
#pragma once

#include "platform/ForwardingRegistry.h"
#include "platform/portable/Faults.h"

#include <map>
#include <optional>

namespace tarn::platform::portable {

class PortableRegistry;

class FaultyRegistry : public ForwardingRegistry {
public:
    // Both must outlive this object; the faults are read on every call, and a handle keeps the
    // rights it was granted when it was opened.
    FaultyRegistry(PortableRegistry& inner, const Faults& faults);

    LONG OpenKey(HKEY parent, const std::string& subKey, REGSAM access, HKEY& result) override;
    LONG CreateKey(HKEY parent, const std::string& subKey, REGSAM access, HKEY& result,
                   bool* created = nullptr) override;
    LONG CloseKey(HKEY key) override;
    LONG DeleteKey(HKEY parent, const std::string& subKey) override;
    LONG EnumKey(HKEY key, DWORD index, std::string& name) override;
    LONG EnumValue(HKEY key, DWORD index, std::string& name, DWORD* type = nullptr) override;
    LONG QueryInfoKey(HKEY key, RegKeyInfo& info) override;
    LONG QueryValue(HKEY key, const std::string& name, DWORD& type,
                    std::vector<std::uint8_t>& data) override;
    LONG SetValue(HKEY key, const std::string& name, DWORD type, const std::uint8_t* data,
                  std::size_t size) override;
    LONG DeleteValue(HKEY key, const std::string& name) override;

private:
    bool HasKeyFaults() const;
    // The rights the faults withhold from a key, by its full path.
    REGSAM Withheld(const std::string& fullPath) const;
    // The rights the faults leave a handle; all of them unless they took some.
    REGSAM Rights(HKEY key) const;
    // ERROR_ACCESS_DENIED when the faults took one of the rights a call on the handle needs.
    LONG Check(HKEY key, REGSAM needed) const;
    // A handle just opened to an existing key: refused (and closed) when the faults withhold a
    // right it asked for, otherwise left with what they do not withhold.
    LONG Admit(HKEY& key, REGSAM access);
    // Whether the key behind a live handle lies where value writes are refused.
    bool ValueWritesRefused(HKEY key) const;
    // What opening subKey below parent answers (the handle is closed again).
    LONG Probe(HKEY parent, const std::string& subKey);

    PortableRegistry& registry_;
    const Faults& faults_;
    std::map<HKEY, REGSAM> limited_; // open handles the faults took rights from
};

} // namespace tarn::platform::portable
