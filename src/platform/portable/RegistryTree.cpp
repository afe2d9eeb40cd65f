#include "platform/portable/RegistryTree.h"

#include <algorithm>

namespace tarn::platform::portable {
namespace {

unsigned char Upper(char c) {
    auto u = static_cast<unsigned char>(c);
    return (u >= 'a' && u <= 'z') ? static_cast<unsigned char>(u - ('a' - 'A')) : u;
}

} // namespace

int CompareNames(std::string_view a, std::string_view b) {
    std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        unsigned char x = Upper(a[i]), y = Upper(b[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareNames(a, b) == 0;
}

std::string UpperName(std::string_view name) {
    std::string upper(name);
    for (char& c : upper)
        c = static_cast<char>(Upper(c));
    return upper;
}

std::string RegKey::FullPath() const {
    std::vector<const RegKey*> chain;
    for (const RegKey* k = this; k; k = k->parent_)
        chain.push_back(k);
    std::string path;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!path.empty()) path += '\\';
        path += (*it)->name_;
    }
    return path;
}

std::size_t RegKey::LowerBound(std::string_view name) const {
    auto it = std::lower_bound(subKeys_.begin(), subKeys_.end(), name,
                               [](const std::shared_ptr<RegKey>& key, std::string_view n) {
                                   return CompareNames(key->name_, n) < 0;
                               });
    return static_cast<std::size_t>(it - subKeys_.begin());
}

std::shared_ptr<RegKey> RegKey::FindSubKey(std::string_view name) const {
    std::size_t i = LowerBound(name);
    if (i < subKeys_.size() && SameName(subKeys_[i]->name_, name)) return subKeys_[i];
    return nullptr;
}

std::shared_ptr<RegKey> RegKey::AddSubKey(std::string_view name) {
    std::size_t i = LowerBound(name);
    if (i < subKeys_.size() && SameName(subKeys_[i]->name_, name)) return subKeys_[i];
    auto key = std::make_shared<RegKey>(std::string(name));
    key->parent_ = this;
    subKeys_.insert(subKeys_.begin() + static_cast<std::ptrdiff_t>(i), key);
    return key;
}

bool RegKey::RemoveSubKey(std::string_view name) {
    std::size_t i = LowerBound(name);
    if (i >= subKeys_.size() || !SameName(subKeys_[i]->name_, name)) return false;
    subKeys_[i]->MarkDeleted();
    subKeys_.erase(subKeys_.begin() + static_cast<std::ptrdiff_t>(i));
    return true;
}

void RegKey::MarkDeleted() {
    // Children go first so that no parent pointer outlives its key's membership of the tree.
    for (auto& sub : subKeys_)
        sub->MarkDeleted();
    subKeys_.clear();
    parent_ = nullptr;
    deleted_ = true;
}

const RegValue* RegKey::FindValue(std::string_view name) const {
    auto it = valueIndex_.find(UpperName(name));
    return it == valueIndex_.end() ? nullptr : &values_[it->second];
}

void RegKey::SetValue(std::string_view name, DWORD type, std::vector<std::uint8_t> data) {
    std::string upper = UpperName(name);
    auto it = valueIndex_.find(upper);
    if (it != valueIndex_.end()) {
        RegValue& v = values_[it->second];
        v.type = type;
        v.data = std::move(data);
        return;
    }
    valueIndex_.emplace(std::move(upper), values_.size());
    values_.push_back(RegValue{std::string(name), type, std::move(data)});
}

namespace {
// The type a deleted value's place carries until the key is compacted.
constexpr DWORD kDeletedValue = 0xFFFFFFFFu;
} // namespace

bool RegKey::DeleteValue(std::string_view name) {
    auto it = valueIndex_.find(UpperName(name));
    if (it == valueIndex_.end()) return false;
    RegValue& place = values_[it->second];
    place = RegValue{};
    place.type = kDeletedValue;
    valueIndex_.erase(it);
    ++deletedValues_;
    return true;
}

void RegKey::Compact() const {
    if (deletedValues_ == 0) return;
    std::erase_if(values_, [](const RegValue& v) { return v.type == kDeletedValue; });
    deletedValues_ = 0;
    valueIndex_.clear();
    for (std::size_t i = 0; i < values_.size(); ++i)
        valueIndex_.emplace(UpperName(values_[i].name), i);
}

bool operator==(const RegKey& a, const RegKey& b) {
    a.Compact();
    b.Compact();
    if (a.name_ != b.name_ || a.values_ != b.values_ || a.subKeys_.size() != b.subKeys_.size())
        return false;
    for (std::size_t i = 0; i < a.subKeys_.size(); ++i)
        if (!(*a.subKeys_[i] == *b.subKeys_[i])) return false;
    return true;
}

RegistryTree::RegistryTree() {
    for (RootKey root : kRootKeys)
        roots_[Index(root)] = std::make_shared<RegKey>(RootName(root));
}

bool operator==(const RegistryTree& a, const RegistryTree& b) {
    for (RootKey root : kRootKeys)
        if (!(a.Root(root) == b.Root(root))) return false;
    return true;
}

const char* RootName(RootKey root) {
    switch (root) {
    case RootKey::LocalMachine:
        return "HKEY_LOCAL_MACHINE";
    case RootKey::CurrentUser:
        return "HKEY_CURRENT_USER";
    case RootKey::Users:
        return "HKEY_USERS";
    }
    return "";
}

} // namespace tarn::platform::portable
