// Library service: LoadLibrary/GetProcAddress/FreeLibrary for entry points without arguments that
// return an HRESULT (the COM self-registration convention).
#pragma once

#include "platform/WinTypes.h"

#include <cstdint>
#include <functional>
#include <string>

namespace tarn::platform {

using EntryPoint = std::function<std::int32_t()>;

class ILibraries {
public:
    virtual ~ILibraries() = default;

    virtual DWORD LoadLibrary(const std::string& path, HANDLE& library) = 0;
    // An empty function when the library exports no such entry point.
    virtual EntryPoint GetEntryPoint(HANDLE library, const std::string& name) = 0;
    virtual DWORD FreeLibrary(HANDLE library) = 0;
};

} // namespace tarn::platform
