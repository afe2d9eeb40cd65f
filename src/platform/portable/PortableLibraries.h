// Library loading on the embedded machine: no PE file is ever loaded. A test registers an
// in-process fake library with named entry points; loading anything else fails as it does on a
// machine without that library.
#pragma once

#include "platform/Libraries.h"

#include <functional>
#include <map>
#include <string>

namespace tarn::platform::portable {

class PathMapper;

struct FakeLibrary {
    std::map<std::string, EntryPoint> entryPoints;
};

class PortableLibraries : public ILibraries {
public:
    explicit PortableLibraries(PathMapper& paths) : paths_(paths) {}

    // path is a full Windows path, or a bare file name that matches the library in any folder.
    void Register(const std::string& path, FakeLibrary library);
    void Unregister(const std::string& path);
    // How often a registered library was loaded and freed (for tests).
    int LoadCount(const std::string& path) const;
    int OpenCount() const { return static_cast<int>(handles_.size()); }

    DWORD LoadLibrary(const std::string& path, HANDLE& library) override;
    EntryPoint GetEntryPoint(HANDLE library, const std::string& name) override;
    DWORD FreeLibrary(HANDLE library) override;

private:
    std::string Key(const std::string& path) const;

    PathMapper& paths_;
    std::map<std::string, FakeLibrary> libraries_; // by upper-case key
    std::map<std::string, int> loads_;
    std::map<HANDLE, std::string> handles_;
    HANDLE next_ = 0x10000;
};

} // namespace tarn::platform::portable
