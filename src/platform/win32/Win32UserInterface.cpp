#include "platform/win32/WindowsApi.h"

#include "platform/win32/Win32UserInterface.h"

namespace tarn::platform::win32 {
namespace {

int Show(const std::string& caption, const std::string& text, UINT style) {
    return ::MessageBoxA(::GetActiveWindow(), text.c_str(), caption.c_str(),
                         style | MB_TASKMODAL | MB_SETFOREGROUND);
}

} // namespace

void Win32UserInterface::Inform(const std::string& caption, const std::string& text) {
    Show(caption, text, MB_OK);
}

void Win32UserInterface::Error(const std::string& caption, const std::string& text) {
    Show(caption, text, MB_OK | MB_ICONERROR);
}

bool Win32UserInterface::Confirm(const std::string& caption, const std::string& text) {
    return Show(caption, text, MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1) == IDYES;
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
