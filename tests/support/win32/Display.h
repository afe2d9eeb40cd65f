// Whether this session can show windows at all (under Wine: whether an X display is there). Tests
// of windows and boxes skip without one.
#pragma once

#include <windows.h>

namespace tarn::test {

inline bool DisplayAvailable() {
    if (::GetSystemMetrics(SM_CXSCREEN) <= 0) return false;
    HWND probe = ::CreateWindowExA(0, "STATIC", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                   nullptr, nullptr);
    if (!probe) return false;
    ::DestroyWindow(probe);
    return true;
}

} // namespace tarn::test
