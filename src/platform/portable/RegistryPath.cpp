#include "platform/portable/RegistryPath.h"

namespace tarn::platform::portable {
namespace {

struct RootNames {
    const char* full;
    const char* abbreviation;
    HKEY handle;
};

constexpr RootNames kRoots[] = {
    {"HKEY_LOCAL_MACHINE", "HKLM", HKEY_LOCAL_MACHINE},
    {"HKEY_CURRENT_USER", "HKCU", HKEY_CURRENT_USER},
    {"HKEY_USERS", "HKU", HKEY_USERS},
    {"HKEY_CLASSES_ROOT", "HKCR", HKEY_CLASSES_ROOT},
    {"HKEY_CURRENT_CONFIG", "HKCC", HKEY_CURRENT_CONFIG},
};

} // namespace

std::optional<HKEY> RootHandleByName(std::string_view name, bool abbreviations) {
    for (const RootNames& r : kRoots)
        if (SameName(name, r.full) || (abbreviations && SameName(name, r.abbreviation)))
            return r.handle;
    return std::nullopt;
}

std::optional<StoredKeyPath> StoredPlace(HKEY root) {
    switch (root) {
    case HKEY_LOCAL_MACHINE:
        return StoredKeyPath{RootKey::LocalMachine, {}};
    case HKEY_CURRENT_USER:
        return StoredKeyPath{RootKey::CurrentUser, {}};
    case HKEY_USERS:
        return StoredKeyPath{RootKey::Users, {}};
    case HKEY_CLASSES_ROOT:
        return StoredKeyPath{RootKey::LocalMachine, {"Software", "Classes"}};
    case HKEY_CURRENT_CONFIG:
        return StoredKeyPath{RootKey::LocalMachine,
                             {"System", "CurrentControlSet", "Hardware Profiles", "Current"}};
    default:
        return std::nullopt;
    }
}

std::vector<std::string> SplitKeyNames(std::string_view subKey) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start <= subKey.size()) {
        std::size_t end = subKey.find('\\', start);
        if (end == std::string_view::npos) end = subKey.size();
        if (end > start) names.emplace_back(subKey.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

std::optional<KeyPath> ParseKeyPath(std::string_view fullPath) {
    std::size_t sep = fullPath.find('\\');
    std::string_view rootName = fullPath.substr(0, sep);
    auto root = RootHandleByName(rootName, true);
    if (!root) return std::nullopt;
    KeyPath path{*root, {}};
    for (const std::string& name : SplitKeyNames(fullPath.substr(rootName.size()))) {
        if (!path.subKey.empty()) path.subKey += '\\';
        path.subKey += name;
    }
    return path;
}

std::optional<StoredKeyPath> ToStoredPath(std::string_view fullPath, bool abbreviations) {
    std::size_t sep = fullPath.find('\\');
    std::string_view rootName = fullPath.substr(0, sep);
    auto root = RootHandleByName(rootName, abbreviations);
    if (!root) return std::nullopt;
    auto stored = StoredPlace(*root);
    for (std::string& name : SplitKeyNames(fullPath.substr(rootName.size())))
        stored->names.push_back(std::move(name));
    return stored;
}

} // namespace tarn::platform::portable
