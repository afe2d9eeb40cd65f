#include "ThemeBitmap.h"
#include "ControlIds.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <cmath>

namespace tarn::uninstall::win32 {
namespace {

struct Rgb {
    double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

std::uint32_t Pack(Rgb c) {
    auto channel = [](double v) {
        return static_cast<std::uint32_t>(std::lround(std::clamp(v, 0.0, 255.0)));
    };
    return channel(c.r) << 16 | channel(c.g) << 8 | channel(c.b);
}

constexpr double kHorizon = 0.56; // of the height; the lake lies below

// Ridge lines as fractions of the height, for x from 0 to 1.
double FarRidge(double x) {
    return 0.39 + 0.05 * std::sin(x * 6.3 + 1.0) + 0.025 * std::sin(x * 17.0 + 0.3);
}
double NearRidge(double x) {
    return 0.47 + 0.04 * std::sin(x * 4.1 + 2.6) + 0.015 * std::sin(x * 23.0 + 1.7);
}

// Sky, sun and the two ridges at a point above the horizon.
Rgb Land(double x, double y, double aspect) {
    const Rgb zenith{18, 32, 84}, glow{244, 190, 132};
    Rgb c = Mix(zenith, glow, std::pow(y / kHorizon, 1.6));
    const double dx = (x - 0.66) * aspect, dy = y - 0.30;
    const double sun = std::sqrt(dx * dx + dy * dy);
    if (sun < 0.045)
        c = Mix(c, Rgb{255, 236, 186}, 1.0);
    else
        c = Mix(c, Rgb{255, 214, 150}, 0.35 * std::exp(-(sun - 0.045) * 18.0));
    if (y > FarRidge(x)) c = Mix(Rgb{104, 84, 128}, Rgb{140, 110, 140}, (y - FarRidge(x)) * 6.0);
    if (y > NearRidge(x)) c = Mix(Rgb{46, 44, 78}, Rgb{30, 36, 60}, (y - NearRidge(x)) * 8.0);
    return c;
}

} // namespace

std::vector<std::uint32_t> ThemePixels(int width, int height) {
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
    const double aspect = static_cast<double>(width) / height;
    for (int row = 0; row < height; ++row) {
        const double y = (row + 0.5) / height;
        for (int col = 0; col < width; ++col) {
            const double x = (col + 0.5) / width;
            Rgb c;
            if (y < kHorizon) {
                c = Land(x, y, aspect);
            } else {
                // The lake mirrors the land, darker and bluer with depth, broken by ripples.
                const double depth = y - kHorizon;
                const double ripple = 0.006 * std::sin(depth * 260.0 + x * 9.0) * (depth * 10.0);
                const double mirrored = std::max(0.0, kHorizon - depth * 1.1 + ripple);
                c = Mix(Land(x, mirrored, aspect), Rgb{14, 30, 64}, 0.25 + depth * 1.4);
            }
            pixels[static_cast<std::size_t>(row) * width + col] = Pack(c);
        }
    }
    return pixels;
}

namespace {

LRESULT CALLBACK ImageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // the picture covers the whole client area
    case WM_PAINT: {
        static const std::vector<std::uint32_t> pixels = ThemePixels(kThemeWidth, kThemeHeight);
        PAINTSTRUCT paint;
        HDC dc = ::BeginPaint(window, &paint);
        RECT client;
        ::GetClientRect(window, &client);
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof(info.bmiHeader);
        info.bmiHeader.biWidth = kThemeWidth;
        info.bmiHeader.biHeight = -kThemeHeight; // top-down rows
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        ::SetStretchBltMode(dc, HALFTONE);
        ::SetBrushOrgEx(dc, 0, 0, nullptr);
        ::StretchDIBits(dc, 0, 0, client.right, client.bottom, 0, 0, kThemeWidth, kThemeHeight,
                        pixels.data(), &info, DIB_RGB_COLORS, SRCCOPY);
        ::EndPaint(window, &paint);
        return 0;
    }
    default:
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

} // namespace

void RegisterThemeBitmapClass(void* instance) {
    WNDCLASSA image{};
    image.lpfnWndProc = ImageProc;
    image.hInstance = static_cast<HINSTANCE>(instance);
    image.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    image.lpszClassName = kImageClass;
    ::RegisterClassA(&image);
}

} // namespace tarn::uninstall::win32
