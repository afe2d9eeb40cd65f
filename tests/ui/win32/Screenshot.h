// Pictures of what the screen shows.
#pragma once

#include "WindowProbe.h"
#include "ui/Png.h"

namespace tarn::ui {

// The screen's pixels inside the rectangle (screen coordinates), clipped to the screen. Throws
// std::runtime_error when nothing of it is on the screen or the copy fails.
RgbImage CaptureScreen(RECT rect);

// The window with its frame as the screen shows it.
RgbImage CaptureWindow(HWND window);

} // namespace tarn::ui
