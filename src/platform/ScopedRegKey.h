// An open registry key that closes itself: the handle of a successful open or create belongs to
// the wrapper, which closes it exactly once, on Close(), on destruction or when another key
// replaces it. Works with any IRegistry; the embedded machine passes its own registry, not the
// process-wide one.
#pragma once

#include "platform/Registry.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarn::platform {

class ScopedRegKey {
public:
    explicit ScopedRegKey(IRegistry& registry) : registry_(&registry) {}
    ~ScopedRegKey() { Close(); }

    ScopedRegKey(const ScopedRegKey&) = delete;
    ScopedRegKey& operator=(const ScopedRegKey&) = delete;
    // The moved-from wrapper holds no key and can open another with the same registry.
    ScopedRegKey(ScopedRegKey&& other) noexcept;
    ScopedRegKey& operator=(ScopedRegKey&& other) noexcept;

    // RegOpenKeyEx / RegCreateKeyEx. On success the new key replaces (and closes) the one held;
    // on failure the wrapper keeps what it held, so a fresh wrapper stays invalid. parent may be
    // this wrapper's own Handle().
    [[nodiscard]] LONG Open(HKEY parent, const std::string& subKey, REGSAM access);
    [[nodiscard]] LONG Create(HKEY parent, const std::string& subKey, REGSAM access,
                              bool* created = nullptr);
    void Close();

    bool Valid() const { return valid_; }
    // The key for calls the wrapper does not cover; 0 when it holds none.
    HKEY Handle() const { return valid_ ? key_ : 0; }

    [[nodiscard]] LONG ReadValue(const std::string& name, DWORD& type,
                                 std::vector<std::uint8_t>& data) const;
    // A REG_SZ or REG_EXPAND_SZ value without its terminating zeros; ERROR_CANTREAD for a value
    // of another type (out is then untouched).
    [[nodiscard]] LONG ReadString(const std::string& name, std::string& out) const;
    LONG WriteValue(const std::string& name, DWORD type, const std::vector<std::uint8_t>& data);
    // REG_SZ, with its terminating zero.
    LONG WriteString(const std::string& name, const std::string& value);
    LONG DeleteValue(const std::string& name);

    // RegEnumKeyEx / RegEnumValue: ERROR_NO_MORE_ITEMS past the end.
    [[nodiscard]] LONG EnumKey(DWORD index, std::string& name) const;
    [[nodiscard]] LONG EnumValue(DWORD index, std::string& name) const;
    // The names up to the first index that cannot be read, as a loop over Enum* would collect
    // them before changing the key.
    std::vector<std::string> SubKeyNames() const;
    std::vector<std::string> ValueNames() const;

private:
    void Adopt(HKEY key);

    IRegistry* registry_;
    HKEY key_ = 0;
    bool valid_ = false;
};

} // namespace tarn::platform
