// Looking at another program's windows from outside: its top-level windows, the controls under a
// window, their texts, classes, styles and places.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace tarn::ui {

// The visible top-level windows of a process.
std::vector<HWND> ProcessWindows(DWORD processId);

// Every window below root, at any depth.
std::vector<HWND> Descendants(HWND root);
// The descendant with the control identifier; null when there is none.
HWND FindControl(HWND root, int id);

std::string WindowText(HWND window);
std::string ClassName(HWND window);
// The window's rectangle in the client coordinates of reference.
RECT RectIn(HWND window, HWND reference);

// Sends a message and waits for the answer at most two seconds; nullopt when none came.
std::optional<LRESULT> Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// A message box: its caption, text, buttons by identifier and whether it shows an icon.
struct MessageBoxView {
    HWND window = nullptr;
    std::string caption;
    std::string text;
    std::vector<int> buttons;
    bool icon = false;
};
std::optional<MessageBoxView> ReadMessageBox(HWND window);

} // namespace tarn::ui
