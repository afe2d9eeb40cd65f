// Conversions between the platform's integer handles and times and the Win32 ones. Include after
// WindowsApi.h.
#pragma once

#include "platform/WinTypes.h"

#include <cstdint>

namespace tarn::platform::win32 {

// The predefined roots are sign-extended LONG values in a 64-bit HKEY; the platform's are plain
// 32-bit numbers. Every other key handle passes through unchanged.
inline ::HKEY ToWin32(HKEY key) {
    if (key >= HKEY_CLASSES_ROOT && key <= HKEY_DYN_DATA) {
        return reinterpret_cast<::HKEY>(static_cast<ULONG_PTR>(
            static_cast<LONG_PTR>(static_cast<std::int32_t>(static_cast<std::uint32_t>(key)))));
    }
    return reinterpret_cast<::HKEY>(key);
}

inline HKEY FromWin32(::HKEY key) {
    return reinterpret_cast<HKEY>(key);
}

inline ::HANDLE ToWin32Handle(HANDLE handle) {
    return reinterpret_cast<::HANDLE>(handle);
}

inline HANDLE FromWin32Handle(::HANDLE handle) {
    return reinterpret_cast<HANDLE>(handle);
}

inline ::FILETIME ToWin32Time(FILETIME time) {
    ::FILETIME result;
    result.dwLowDateTime = static_cast<::DWORD>(time & 0xFFFFFFFFu);
    result.dwHighDateTime = static_cast<::DWORD>(time >> 32);
    return result;
}

inline FILETIME FromWin32Time(const ::FILETIME& time) {
    return (static_cast<FILETIME>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// GetLastError as the platform's error type.
inline DWORD LastError() {
    return static_cast<DWORD>(::GetLastError());
}

} // namespace tarn::platform::win32
