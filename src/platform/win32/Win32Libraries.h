// Library service: LoadLibraryA, GetProcAddress and FreeLibrary.
#pragma once

#include "platform/Libraries.h"

namespace tarn::platform::win32 {

class Win32Libraries : public ILibraries {
public:
    DWORD LoadLibrary(const std::string& path, HANDLE& library) override;
    EntryPoint GetEntryPoint(HANDLE library, const std::string& name) override;
    DWORD FreeLibrary(HANDLE library) override;
};

} // namespace tarn::platform::win32
