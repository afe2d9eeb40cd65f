#include "Bevel.h"
#include "ControlIds.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace tarn::uninstall::win32 {
namespace {

LRESULT CALLBACK BevelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(window, &paint);
        RECT client;
        ::GetClientRect(window, &client);
        RECT shadow{0, client.bottom - 2, client.right, client.bottom - 1};
        RECT highlight{0, client.bottom - 1, client.right, client.bottom};
        ::FillRect(dc, &shadow, ::GetSysColorBrush(COLOR_BTNSHADOW));
        ::FillRect(dc, &highlight, ::GetSysColorBrush(COLOR_BTNHIGHLIGHT));
        ::EndPaint(window, &paint);
        return 0;
    }
    case WM_NCHITTEST:
        return HTTRANSPARENT;
    default:
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

void RegisterBevelClass(void* instance) {
    WNDCLASSA bevel{};
    bevel.lpfnWndProc = BevelProc;
    bevel.hInstance = static_cast<HINSTANCE>(instance);
    bevel.lpszClassName = kBevelClass;
    ::RegisterClassA(&bevel);
}

void ShapeBevel(void* window) {
    HWND bevel = static_cast<HWND>(window);
    RECT client;
    ::GetClientRect(bevel, &client);
    // The window owns the region from here on.
    ::SetWindowRgn(bevel, ::CreateRectRgn(0, client.bottom - 2, client.right, client.bottom),
                   FALSE);
}

} // namespace tarn::uninstall::win32
