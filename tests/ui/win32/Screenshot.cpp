#include "Screenshot.h"

#include <algorithm>
#include <memory>
#include <stdexcept>

namespace tarn::ui {

RgbImage CaptureScreen(RECT rect) {
    rect.left = std::max<LONG>(rect.left, 0);
    rect.top = std::max<LONG>(rect.top, 0);
    rect.right = std::min<LONG>(rect.right, ::GetSystemMetrics(SM_CXSCREEN));
    rect.bottom = std::min<LONG>(rect.bottom, ::GetSystemMetrics(SM_CYSCREEN));
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) throw std::runtime_error("screenshot: the window is off screen");

    struct ScreenDc {
        HDC dc = ::GetDC(nullptr);
        ~ScreenDc() { ::ReleaseDC(nullptr, dc); }
    } screen;
    std::unique_ptr<std::remove_pointer_t<HDC>, decltype(&::DeleteDC)> memory(
        ::CreateCompatibleDC(screen.dc), &::DeleteDC);

    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    std::unique_ptr<std::remove_pointer_t<HBITMAP>, decltype(&::DeleteObject)> bitmap(
        ::CreateDIBSection(screen.dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0), &::DeleteObject);
    if (!memory || !bitmap || !bits) throw std::runtime_error("screenshot: no bitmap");
    HGDIOBJ previous = ::SelectObject(memory.get(), bitmap.get());
    const BOOL copied = ::BitBlt(memory.get(), 0, 0, width, height, screen.dc, rect.left, rect.top,
                                 SRCCOPY | CAPTUREBLT);
    ::GdiFlush();
    ::SelectObject(memory.get(), previous);
    if (!copied) throw std::runtime_error("screenshot: the screen cannot be copied");

    RgbImage image;
    image.width = width;
    image.height = height;
    image.rgb.reserve(static_cast<std::size_t>(width) * height * 3);
    const auto* pixel = static_cast<const std::uint8_t*>(bits); // blue, green, red, unused
    for (int i = 0; i < width * height; ++i, pixel += 4) {
        image.rgb.push_back(pixel[2]);
        image.rgb.push_back(pixel[1]);
        image.rgb.push_back(pixel[0]);
    }
    return image;
}

RgbImage CaptureWindow(HWND window) {
    RECT rect;
    ::GetWindowRect(window, &rect);
    return CaptureScreen(rect);
}

} // namespace tarn::ui
