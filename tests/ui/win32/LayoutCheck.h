// The uninstall window as it must look before Start: client size, place on the screen, caption,
// and every control at its place with its caption and first state.
#pragma once

#include "WindowProbe.h"

#include <string>
#include <vector>

namespace tarn::ui {

// One line for every difference; empty when the window is as it should be.
// startEnabled: whether StartBtn should be enabled (not after a refused start).
std::vector<std::string> CheckLayout(HWND form, const std::string& caption, bool startEnabled);

// The six phase check boxes in their order, for the ticks at the end.
std::vector<int> PhaseCheckBoxIds();

} // namespace tarn::ui
