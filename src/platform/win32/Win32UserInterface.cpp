#include "platform/win32/WindowsApi.h"

#include "platform/win32/Win32UserInterface.h"

#include <cstring>

namespace tarn::platform::win32 {
namespace {

BOOL CALLBACK FirstVisibleWindow(HWND window, LPARAM found) {
    if (!::IsWindowVisible(window) || ::GetWindow(window, GW_OWNER)) return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

// The program's window that the box belongs to: the active one, else the first window the thread
// shows; none before the program has shown a window.
HWND BoxOwner() {
    if (HWND active = ::GetActiveWindow()) return active;
    HWND found = nullptr;
    ::EnumThreadWindows(::GetCurrentThreadId(), FirstVisibleWindow,
                        reinterpret_cast<LPARAM>(&found));
    return found;
}

int Show(const std::string& caption, const std::string& text, UINT style) {
    return ::MessageBoxA(BoxOwner(), text.c_str(), caption.c_str(),
                         style | MB_TASKMODAL | MB_SETFOREGROUND);
}

// A Yes/No box has no Cancel button, so Windows lets Escape and the close button do nothing.
// While Confirm shows its box, a hook on this thread catches the box as it is created and puts a
// window procedure in front of it that ends it with No when the dialog manager sends its cancel
// command.
struct ConfirmState {
    HHOOK hook = nullptr;
    HWND box = nullptr;
    WNDPROC boxProc = nullptr;
};
thread_local ConfirmState confirm;

LRESULT CALLBACK CancelMeansNo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && LOWORD(wParam) == IDCANCEL) {
        ::EndDialog(window, IDNO);
        return 0;
    }
    return ::CallWindowProcA(confirm.boxProc, window, message, wParam, lParam);
}

LRESULT CALLBACK CatchConfirmBox(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && !confirm.box) {
        HWND window = reinterpret_cast<HWND>(wParam);
        const CREATESTRUCTA* create = reinterpret_cast<CBT_CREATEWNDA*>(lParam)->lpcs;
        char name[16] = {};
        ::GetClassNameA(window, name, sizeof(name));
        if (!(create->style & WS_CHILD) && std::strcmp(name, "#32770") == 0) {
            confirm.box = window;
            confirm.boxProc = reinterpret_cast<WNDPROC>(::SetWindowLongPtrA(
                window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CancelMeansNo)));
        }
    }
    return ::CallNextHookEx(confirm.hook, code, wParam, lParam);
}

} // namespace

void Win32UserInterface::Inform(const std::string& caption, const std::string& text) {
    Show(caption, text, MB_OK);
}

void Win32UserInterface::Error(const std::string& caption, const std::string& text) {
    Show(caption, text, MB_OK | MB_ICONERROR);
}

bool Win32UserInterface::Confirm(const std::string& caption, const std::string& text) {
    return AskYesNo(caption, text) == IDYES;
}

int Win32UserInterface::AskYesNo(const std::string& caption, const std::string& text) {
    const ConfirmState outer = confirm; // a box inside a box keeps its own
    confirm = ConfirmState{};
    confirm.hook = ::SetWindowsHookExA(WH_CBT, CatchConfirmBox, nullptr, ::GetCurrentThreadId());
    const int answer = Show(caption, text, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1);
    if (confirm.hook) ::UnhookWindowsHookEx(confirm.hook);
    confirm = outer;
    return answer;
}

bool Win32UserInterface::OkCancel(const std::string& caption, const std::string& text) {
    return Show(caption, text, MB_OKCANCEL | MB_DEFBUTTON1) == IDOK;
}

void Win32UserInterface::ProcessMessages() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}

void Win32UserInterface::SetBusy(bool busy) {
    ::SetCursor(::LoadCursorA(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

} // namespace tarn::platform::win32
