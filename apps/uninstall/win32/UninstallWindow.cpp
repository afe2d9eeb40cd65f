#include "UninstallWindow.h"

#include "Bevel.h"
#include "ControlIds.h"
#include "ThemeBitmap.h"
#include "platform/WinTypes.h"

#include <commctrl.h>

#include <stdexcept>

namespace tarn::uninstall::win32 {
namespace {

constexpr int kClientWidth = 469;
constexpr int kClientHeight = 328;
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// One control of the window: where it lies on Panel1 and how it starts.
struct ControlPlace {
    int id;
    const char* windowClass;
    const char* caption;
    int left, top, width, height;
    DWORD style;
};

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
// The phase check boxes are the program's, never the user's: hidden and disabled until shown.
constexpr DWORD kPhaseBox = WS_CHILD | WS_DISABLED | BS_CHECKBOX;
constexpr DWORD kLabel = kChild | SS_LEFTNOWORDWRAP;

const ControlPlace kControls[] = {
    {idThemeBitmap, kImageClass, "", 8, 8, 121, 265, kChild},
    {idBevel1, kBevelClass, "", -3, 272, 473, 9, kChild},
    {idLabel1, "STATIC",
     "To remove the software from your computer, click the &Start button below.", 136, 8, 289, 28,
     kChild | SS_LEFT},
    {idAliasesCB, "BUTTON", "", 144, 72, 17, 17, kPhaseBox},
    {idLblAliases, "STATIC", "Aliases", 168, 72, 36, 14, kLabel},
    {idActiveXCB, "BUTTON", "", 144, 102, 17, 17, kPhaseBox},
    {idLblActiveX, "STATIC", "ActiveX/OCX components", 168, 102, 125, 14, kLabel},
    {idFilesCB, "BUTTON", "", 144, 133, 17, 17, kPhaseBox},
    {idLblFiles, "STATIC", "Files", 168, 133, 22, 14, kLabel},
    {idINIFilesCB, "BUTTON", "", 144, 163, 17, 17, kPhaseBox},
    {idLabel2, "STATIC", "INI file entries", 168, 163, 64, 14, kLabel},
    {idBDECB, "BUTTON", "", 144, 192, 17, 17, kPhaseBox},
    {idLabel4, "STATIC", "BDE", 168, 192, 20, 14, kLabel},
    {idRegistryCB, "BUTTON", "", 144, 218, 17, 17, kPhaseBox},
    {idLabel3, "STATIC", "Registry entries", 168, 218, 76, 14, kLabel},
    {idProgressBar1, PROGRESS_CLASSA, "", 144, 248, 313, 16, WS_CHILD},
    {idStartBtn, "BUTTON", "&Start", 248, 288, 105, 33, kChild | WS_TABSTOP | BS_PUSHBUTTON},
    {idCloseBtn, "BUTTON", "&Close", 368, 288, 89, 33, kChild | WS_TABSTOP | BS_PUSHBUTTON},
};

int PhaseBoxId(TPhaseBox box) {
    switch (box) {
    case TPhaseBox::pbAliases:
        return idAliasesCB;
    case TPhaseBox::pbActiveX:
        return idActiveXCB;
    case TPhaseBox::pbFiles:
        return idFilesCB;
    case TPhaseBox::pbIniFiles:
        return idINIFilesCB;
    case TPhaseBox::pbBDE:
        return idBDECB;
    case TPhaseBox::pbRegistry:
        return idRegistryCB;
    }
    return 0;
}

// The window object a window procedure serves: handed over in the creation parameters and kept in
// the window's user data.
UninstallWindow* WindowOf(HWND window, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<UninstallWindow*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    return reinterpret_cast<UninstallWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Positions are pixels whatever the screen's resolution: keep Windows from scaling the window.
void KeepUnscaled() {
    using SetAware = BOOL(WINAPI*)();
    if (HMODULE user = ::GetModuleHandleA("user32.dll"))
        if (auto aware = reinterpret_cast<SetAware>(
                reinterpret_cast<void*>(::GetProcAddress(user, "SetProcessDPIAware"))))
            aware();
}

} // namespace

UninstallWindow::UninstallWindow(HINSTANCE instance) : instance_(instance), logic_(*this) {
    KeepUnscaled();
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&controls);
    RegisterClasses();

    // Arial 8 point as the window was laid out, at 96 pixels per inch: like the positions, the
    // text keeps its pixel size on any screen, so the labels fit their boxes.
    font_.reset(::CreateFontA(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                              OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                              DEFAULT_PITCH | FF_SWISS, "Arial"));

    RECT frame{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&frame, kFormStyle, FALSE, 0);
    const int width = frame.right - frame.left, outer = frame.bottom - frame.top;
    const int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (::GetSystemMetrics(SM_CYSCREEN) - outer) / 2;
    form_ = ::CreateWindowExA(0, kFormClass, "Uninstall program", kFormStyle, left, top, width,
                              outer, nullptr, nullptr, instance_, this);
    if (!form_) throw std::runtime_error("The uninstall window cannot be created");
    CreateControls();
}

UninstallWindow::~UninstallWindow() {
    if (form_) ::DestroyWindow(form_);
}

void UninstallWindow::RegisterClasses() {
    WNDCLASSA form{};
    form.lpfnWndProc = FormProc;
    form.hInstance = instance_;
    form.hIcon = ::LoadIconA(nullptr, IDI_APPLICATION);
    form.hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    form.lpszClassName = kFormClass;
    ::RegisterClassA(&form);

    WNDCLASSA panel = form;
    panel.lpfnWndProc = PanelProc;
    panel.hIcon = nullptr;
    panel.lpszClassName = kPanelClass;
    ::RegisterClassA(&panel);

    RegisterThemeBitmapClass(instance_);
    RegisterBevelClass(instance_);
}

void UninstallWindow::CreateControls() {
    panel_ =
        ::CreateWindowExA(WS_EX_CONTROLPARENT, kPanelClass, "", kChild | WS_CLIPCHILDREN, 0, 0,
                          kClientWidth, kClientHeight, form_,
                          reinterpret_cast<HMENU>(static_cast<INT_PTR>(idPanel1)), instance_, this);
    for (const ControlPlace& place : kControls) {
        HWND control = ::CreateWindowExA(0, place.windowClass, place.caption, place.style,
                                         place.left, place.top, place.width, place.height, panel_,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(place.id)),
                                         instance_, nullptr);
        ::SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    }
    ::SendMessageA(Control(idProgressBar1), PBM_SETRANGE32, 0, 100);
    ShapeBevel(Control(idBevel1));
}

int UninstallWindow::Run(const std::vector<std::string>& arguments, int show) {
    logic_.Create(arguments);
    ::ShowWindow(form_, show);
    ::UpdateWindow(form_);
    HWND start = Control(idStartBtn);
    ::SetFocus(::IsWindowEnabled(start) ? start : Control(idCloseBtn));
    MSG message;
    while (::GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (form_ && ::IsDialogMessageA(form_, &message)) continue;
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
    switch (logic_.State()) {
    case TUninstallState::usRefused:
        return 2;
    case TUninstallState::usStopped:
        return 1;
    default:
        return 0;
    }
}

LRESULT CALLBACK UninstallWindow::FormProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    UninstallWindow* self = WindowOf(window, message, lParam);
    switch (message) {
    case WM_CLOSE:
        if (self && self->running_) return 0; // Close is not reachable while the phases run
        ::DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        if (self) self->form_ = nullptr;
        ::PostQuitMessage(0);
        return 0;
    default:
        return ::DefWindowProcA(window, message, wParam, lParam);
    }
}

LRESULT CALLBACK UninstallWindow::PanelProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
    UninstallWindow* self = WindowOf(window, message, lParam);
    if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED && self) {
        self->OnCommand(LOWORD(wParam));
        return 0;
    }
    return ::DefWindowProcA(window, message, wParam, lParam);
}

void UninstallWindow::OnCommand(int id) {
    // The boxes of a running removal dispatch what was posted to the window: not its buttons.
    if (running_) return;
    if (id == idStartBtn)
        StartBtnClick();
    else if (id == idCloseBtn)
        logic_.CloseBtnClick(&logic_);
}

void UninstallWindow::StartBtnClick() {
    if (logic_.State() != TUninstallState::usReady) return;
    // The phases run here, on this thread, without a message loop: keep input away from the
    // window until they are over. The boxes they show are modal to it and leave it disabled.
    ::EnableWindow(form_, FALSE);
    running_ = true;
    logic_.Start();
    running_ = false;
    if (form_) ::EnableWindow(form_, TRUE);
}

HWND UninstallWindow::Control(int id) const {
    return ::GetDlgItem(panel_, id);
}

HWND UninstallWindow::CheckBox(TPhaseBox box) const {
    return Control(PhaseBoxId(box));
}

void UninstallWindow::SetCaption(const std::string& caption) {
    ::SetWindowTextA(form_, caption.c_str());
}

void UninstallWindow::SetStartEnabled(bool enabled) {
    ::EnableWindow(Control(idStartBtn), enabled);
}

void UninstallWindow::ShowCheckBox(TPhaseBox box) {
    ::ShowWindow(CheckBox(box), SW_SHOWNA);
}

void UninstallWindow::TickCheckBox(TPhaseBox box) {
    ::SendMessageA(CheckBox(box), BM_SETCHECK, BST_CHECKED, 0);
}

void UninstallWindow::ShowProgress(int position) {
    ::SendMessageA(Control(idProgressBar1), PBM_SETPOS, position, 0);
    ::ShowWindow(Control(idProgressBar1), SW_SHOWNA);
}

void UninstallWindow::SetProgress(int position) {
    HWND bar = Control(idProgressBar1);
    ::SendMessageA(bar, PBM_SETPOS, position, 0);
    // Paints the bar straight away; nothing else of the queue is looked at.
    ::UpdateWindow(bar);
}

void UninstallWindow::HideProgress() {
    ::ShowWindow(Control(idProgressBar1), tarn::platform::SW_HIDE);
}

void UninstallWindow::Repaint() {
    ::RedrawWindow(form_, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void UninstallWindow::BeforeBox() {
    ::UpdateWindow(form_);
}

void UninstallWindow::Close() {
    // The window goes when control is back in the message loop.
    if (form_) ::PostMessageA(form_, WM_CLOSE, 0, 0);
}

} // namespace tarn::uninstall::win32
