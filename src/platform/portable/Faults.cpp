#include "platform/portable/Faults.h"

#include "platform/portable/RegistryPath.h"

namespace tarn::platform::portable {
namespace {

// The path's names in upper case, with derived roots (HKEY_CLASSES_ROOT, HKCU...) replaced by
// their stored place so that every spelling of a key gives the same list.
std::vector<std::string> CanonicalNames(const std::string& path) {
    std::vector<std::string> names;
    if (auto stored = ToStoredPath(path)) {
        names.push_back(RootName(stored->root));
        for (const std::string& n : stored->names)
            names.push_back(UpperName(n));
    } else {
        for (const std::string& n : SplitKeyNames(path))
            names.push_back(UpperName(n));
    }
    return names;
}

} // namespace

bool KeyPathWithin(const std::string& path, const std::string& key) {
    std::vector<std::string> p = CanonicalNames(path), k = CanonicalNames(key);
    if (k.empty() || k.size() > p.size()) return false;
    for (std::size_t i = 0; i < k.size(); ++i)
        if (p[i] != k[i]) return false;
    return true;
}

} // namespace tarn::platform::portable
