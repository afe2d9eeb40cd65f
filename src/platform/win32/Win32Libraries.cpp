#include "platform/win32/WindowsApi.h"

#include "platform/win32/Handles.h"
#include "platform/win32/Win32Libraries.h"

namespace tarn::platform::win32 {
namespace {

// The self-registration entry points: no arguments, an HRESULT back, the standard convention.
using SelfRegistration = HRESULT(STDAPICALLTYPE*)();

} // namespace

DWORD Win32Libraries::LoadLibrary(const std::string& path, HANDLE& library) {
    HMODULE module = ::LoadLibraryA(path.c_str());
    library = reinterpret_cast<HANDLE>(module);
    return module ? ERROR_SUCCESS : LastError();
}

EntryPoint Win32Libraries::GetEntryPoint(HANDLE library, const std::string& name) {
    FARPROC address = ::GetProcAddress(reinterpret_cast<HMODULE>(library), name.c_str());
    if (!address) return {};
    // Through void(*)(), the type that converts to any other function type without a warning.
    auto call = reinterpret_cast<SelfRegistration>(reinterpret_cast<void (*)()>(address));
    return [call] { return static_cast<std::int32_t>(call()); };
}

DWORD Win32Libraries::FreeLibrary(HANDLE library) {
    return ::FreeLibrary(reinterpret_cast<HMODULE>(library)) ? ERROR_SUCCESS : LastError();
}

} // namespace tarn::platform::win32
