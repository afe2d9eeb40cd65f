// ThemeBitmap: the decorative picture beside the phase list, a mountain lake at dusk drawn here
// in code, and the child window class that shows it stretched over its whole client area.
#pragma once

#include <cstdint>
#include <vector>

namespace tarn::uninstall::win32 {

// The picture's own size; the control stretches it.
inline constexpr int kThemeWidth = 96;
inline constexpr int kThemeHeight = 210;

// Top-down rows of 0x00RRGGBB pixels.
std::vector<std::uint32_t> ThemePixels(int width, int height);

// Registers the window class kImageClass for the given module.
void RegisterThemeBitmapClass(void* instance);

} // namespace tarn::uninstall::win32
