#include "platform/portable/PortableLibraries.h"

#include "platform/portable/PathMapper.h"
#include "platform/portable/ShortNames.h"

#include <cctype>

namespace tarn::platform::portable {
namespace {

std::string FileNameOf(const std::string& path) {
    std::size_t slash = path.find_last_of("\\/:");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string PortableLibraries::Key(const std::string& path) const {
    if (path.find_first_of("\\/:") == std::string::npos) return UpperName(path);
    return UpperName(paths_.FullPath(path));
}

void PortableLibraries::Register(const std::string& path, FakeLibrary library) {
    libraries_[Key(path)] = std::move(library);
}

void PortableLibraries::Unregister(const std::string& path) {
    libraries_.erase(Key(path));
}

int PortableLibraries::LoadCount(const std::string& path) const {
    auto it = loads_.find(Key(path));
    return it == loads_.end() ? 0 : it->second;
}

DWORD PortableLibraries::LoadLibrary(const std::string& path, HANDLE& library) {
    library = 0;
    std::string key = Key(path);
    if (!libraries_.count(key)) {
        std::string bare = UpperName(FileNameOf(path));
        if (!libraries_.count(bare)) return ERROR_MOD_NOT_FOUND;
        key = bare;
    }
    ++loads_[key];
    library = next_++;
    handles_[library] = key;
    return ERROR_SUCCESS;
}

EntryPoint PortableLibraries::GetEntryPoint(HANDLE library, const std::string& name) {
    auto h = handles_.find(library);
    if (h == handles_.end()) return {};
    auto lib = libraries_.find(h->second);
    if (lib == libraries_.end()) return {};
    auto entry = lib->second.entryPoints.find(name); // export names are case-sensitive
    return entry == lib->second.entryPoints.end() ? EntryPoint{} : entry->second;
}

DWORD PortableLibraries::FreeLibrary(HANDLE library) {
    return handles_.erase(library) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

} // namespace tarn::platform::portable
