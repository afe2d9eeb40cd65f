#include "WindowProbe.h"

namespace tarn::ui {

namespace {

BOOL CALLBACK CollectProcessWindow(HWND window, LPARAM context) {
    auto* found = reinterpret_cast<std::pair<DWORD, std::vector<HWND>>*>(context);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    if (owner == found->first && ::IsWindowVisible(window)) found->second.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM context) {
    reinterpret_cast<std::vector<HWND>*>(context)->push_back(window);
    return TRUE;
}

} // namespace

std::vector<HWND> ProcessWindows(DWORD processId) {
    std::pair<DWORD, std::vector<HWND>> found{processId, {}};
    ::EnumWindows(CollectProcessWindow, reinterpret_cast<LPARAM>(&found));
    return found.second;
}

std::vector<HWND> Descendants(HWND root) {
    std::vector<HWND> children;
    ::EnumChildWindows(root, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

HWND FindControl(HWND root, int id) {
    for (HWND child : Descendants(root))
        if (::GetDlgCtrlID(child) == id) return child;
    return nullptr;
}

std::string WindowText(HWND window) {
    char text[2048] = {};
    DWORD_PTR length = 0;
    if (!::SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text),
                               SMTO_ABORTIFHUNG, 2000, &length))
        ::GetWindowTextA(window, text, sizeof(text));
    return text;
}

std::string ClassName(HWND window) {
    char name[256] = {};
    ::GetClassNameA(window, name, sizeof(name));
    return name;
}

RECT RectIn(HWND window, HWND reference) {
    RECT rect;
    ::GetWindowRect(window, &rect);
    ::MapWindowPoints(HWND_DESKTOP, reference, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::optional<LRESULT> Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    if (!::SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, 2000, &result))
        return std::nullopt;
    return static_cast<LRESULT>(result);
}

std::optional<MessageBoxView> ReadMessageBox(HWND window) {
    if (ClassName(window) != "#32770") return std::nullopt;
    MessageBoxView box;
    box.window = window;
    box.caption = WindowText(window);
    for (HWND child : Descendants(window)) {
        if (!::IsWindowVisible(child)) continue;
        const std::string kind = ClassName(child);
        const LONG style = ::GetWindowLongA(child, GWL_STYLE);
        if (_stricmp(kind.c_str(), "Button") == 0) {
            box.buttons.push_back(::GetDlgCtrlID(child));
        } else if (_stricmp(kind.c_str(), "Static") == 0) {
            if ((style & SS_TYPEMASK) == SS_ICON) {
                // Some boxes keep an empty icon control: only a set icon counts.
                if (Ask(child, STM_GETICON).value_or(0) != 0) box.icon = true;
            } else {
                const std::string text = WindowText(child);
                if (!text.empty()) box.text += (box.text.empty() ? "" : "\n") + text;
            }
        }
    }
    return box;
}

} // namespace tarn::ui
