// The in-memory registry of the embedded machine: keys with case-insensitive, case-preserving
// names; subkeys kept in case-insensitive name order (the order RegEnumKeyEx gives), values in
// creation order (the order RegEnumValue gives).
#pragma once

#include "platform/WinTypes.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace tarn::platform::portable {

// Registry names compare by their ASCII upper case, as the Windows registry does.
int CompareNames(std::string_view a, std::string_view b);
bool SameName(std::string_view a, std::string_view b);
std::string UpperName(std::string_view name);

struct RegValue {
    std::string name; // empty for the default value
    DWORD type = REG_NONE;
    std::vector<std::uint8_t> data;

    friend bool operator==(const RegValue&, const RegValue&) = default;
};

class RegKey {
public:
    explicit RegKey(std::string name) : name_(std::move(name)) {}
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    const std::string& Name() const { return name_; }
    // The key above, null for a root and for a key that has been deleted.
    RegKey* Parent() const { return parent_; }
    bool Deleted() const { return deleted_; }
    // "HKEY_LOCAL_MACHINE\Software\X": the names from the root down.
    std::string FullPath() const;

    std::size_t SubKeyCount() const { return subKeys_.size(); }
    const std::shared_ptr<RegKey>& SubKeyAt(std::size_t index) const { return subKeys_[index]; }
    std::shared_ptr<RegKey> FindSubKey(std::string_view name) const;
    // The subkey of that name, added when missing.
    std::shared_ptr<RegKey> AddSubKey(std::string_view name);
    // Detaches the subkey with everything below it and marks them all deleted, so that open
    // handles to them see ERROR_KEY_DELETED. False when there is no such subkey.
    bool RemoveSubKey(std::string_view name);

    std::size_t ValueCount() const {
        Compact();
        return values_.size();
    }
    const RegValue& ValueAt(std::size_t index) const {
        Compact();
        return values_[index];
    }
    const RegValue* FindValue(std::string_view name) const;
    // Replacing a value keeps its name and place; a new one goes last.
    void SetValue(std::string_view name, DWORD type, std::vector<std::uint8_t> data);
    bool DeleteValue(std::string_view name);

    // Same names (exactly), values in the same order and subkeys, recursively.
    friend bool operator==(const RegKey& a, const RegKey& b);

private:
    std::size_t LowerBound(std::string_view name) const;
    void MarkDeleted();
    // Drops the places of deleted values and renumbers the index.
    void Compact() const;

    std::string name_;
    RegKey* parent_ = nullptr;
    bool deleted_ = false;
    std::vector<std::shared_ptr<RegKey>> subKeys_;
    // A deleted value leaves an empty place (type kDeletedValue) until the next listing compacts
    // them all at once: deleting every value of a large key one by one stays linear.
    mutable std::vector<RegValue> values_;
    mutable std::size_t deletedValues_ = 0;
    // Upper-cased value name -> index in values_, so large keys stay fast to load and update.
    mutable std::unordered_map<std::string, std::size_t> valueIndex_;
};

// The roots the machine stores; HKEY_CLASSES_ROOT and HKEY_CURRENT_CONFIG live below the first.
enum class RootKey { LocalMachine, CurrentUser, Users };
constexpr std::array<RootKey, 3> kRootKeys = {RootKey::LocalMachine, RootKey::CurrentUser,
                                              RootKey::Users};

class RegistryTree {
public:
    RegistryTree(); // the three roots, empty
    // Moving only: a copy would share its keys with the original.
    RegistryTree(RegistryTree&&) = default;
    RegistryTree& operator=(RegistryTree&&) = default;

    RegKey& Root(RootKey root) { return *roots_[Index(root)]; }
    const RegKey& Root(RootKey root) const { return *roots_[Index(root)]; }
    const std::shared_ptr<RegKey>& RootPtr(RootKey root) const { return roots_[Index(root)]; }

    friend bool operator==(const RegistryTree& a, const RegistryTree& b);

private:
    static std::size_t Index(RootKey root) { return static_cast<std::size_t>(root); }
    std::array<std::shared_ptr<RegKey>, 3> roots_;
};

// "HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_USERS".
const char* RootName(RootKey root);

} // namespace tarn::platform::portable
