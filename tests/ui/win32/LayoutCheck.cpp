#include "LayoutCheck.h"

#include "ControlIds.h" // the uninstall window's control identifiers

#include <commctrl.h>

#include <cstdlib>
#include <sstream>

namespace tarn::ui {
namespace {

using namespace tarn::uninstall::win32;

enum Kind { kPicture, kBevel, kLabel, kWrappedLabel, kCheckBox, kProgressBar, kButton };

struct Expected {
    int id;
    const char* name;
    Kind kind;
    int left, top, width, height;
    const char* caption;
    bool visible;
    bool enabled;
};

// The window's table: left, top, width, height on Panel1, caption, visible, enabled.
const Expected kTable[] = {
    {idThemeBitmap, "ThemeBitmap", kPicture, 8, 8, 121, 265, "", true, true},
    {idBevel1, "Bevel1", kBevel, -3, 272, 473, 9, "", true, true},
    {idLabel1, "Label1", kWrappedLabel, 136, 8, 289, 28,
     "To remove the software from your computer, click the &Start button below.", true, true},
    {idAliasesCB, "AliasesCB", kCheckBox, 144, 72, 17, 17, "", false, false},
    {idLblAliases, "lblAliases", kLabel, 168, 72, 36, 14, "Aliases", true, true},
    {idActiveXCB, "ActiveXCB", kCheckBox, 144, 102, 17, 17, "", false, false},
    {idLblActiveX, "lblActiveX", kLabel, 168, 102, 125, 14, "ActiveX/OCX components", true, true},
    {idFilesCB, "FilesCB", kCheckBox, 144, 133, 17, 17, "", false, false},
    {idLblFiles, "lblFiles", kLabel, 168, 133, 22, 14, "Files", true, true},
    {idINIFilesCB, "INIFilesCB", kCheckBox, 144, 163, 17, 17, "", false, false},
    {idLabel2, "Label2", kLabel, 168, 163, 64, 14, "INI file entries", true, true},
    {idBDECB, "BDECB", kCheckBox, 144, 192, 17, 17, "", false, false},
    {idLabel4, "Label4", kLabel, 168, 192, 20, 14, "BDE", true, true},
    {idRegistryCB, "RegistryCB", kCheckBox, 144, 218, 17, 17, "", false, false},
    {idLabel3, "Label3", kLabel, 168, 218, 76, 14, "Registry entries", true, true},
    {idProgressBar1, "ProgressBar1", kProgressBar, 144, 248, 313, 16, "", false, true},
    {idStartBtn, "StartBtn", kButton, 248, 288, 105, 33, "&Start", true, true},
    {idCloseBtn, "CloseBtn", kButton, 368, 288, 89, 33, "&Close", true, true},
};

const char* ClassOf(Kind kind) {
    switch (kind) {
    case kPicture:
        return kImageClass;
    case kBevel:
        return kBevelClass;
    case kLabel:
    case kWrappedLabel:
        return "Static";
    case kCheckBox:
    case kButton:
        return "Button";
    case kProgressBar:
        return PROGRESS_CLASSA;
    }
    return "";
}

std::string Describe(const RECT& r) {
    std::ostringstream text;
    text << r.left << ',' << r.top << ',' << r.right - r.left << ',' << r.bottom - r.top;
    return text.str();
}

void CheckKind(const Expected& expected, HWND control, std::vector<std::string>& problems) {
    const LONG style = ::GetWindowLongA(control, GWL_STYLE);
    const std::string name = expected.name;
    switch (expected.kind) {
    case kWrappedLabel:
        if ((style & SS_TYPEMASK) != SS_LEFT) problems.push_back(name + " does not wrap its words");
        break;
    case kCheckBox: {
        const LONG type = style & BS_TYPEMASK;
        if (type != BS_CHECKBOX && type != BS_AUTOCHECKBOX)
            problems.push_back(name + " is not a check box");
        if (Ask(control, BM_GETCHECK).value_or(-1) != BST_UNCHECKED)
            problems.push_back(name + " is ticked");
        break;
    }
    case kButton: {
        const LONG type = style & BS_TYPEMASK;
        if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON)
            problems.push_back(name + " is not a push button");
        break;
    }
    case kProgressBar: {
        const auto low = Ask(control, PBM_GETRANGE, TRUE, 0);
        const auto high = Ask(control, PBM_GETRANGE, FALSE, 0);
        const auto position = Ask(control, PBM_GETPOS);
        if (low.value_or(-1) != 0 || high.value_or(-1) != 100)
            problems.push_back(name + " range is " + std::to_string(low.value_or(-1)) + " to " +
                               std::to_string(high.value_or(-1)) + ", not 0 to 100");
        if (position.value_or(-1) != 0) problems.push_back(name + " does not start at 0");
        break;
    }
    default:
        break;
    }
}

} // namespace

std::vector<int> PhaseCheckBoxIds() {
    return {idAliasesCB, idActiveXCB, idFilesCB, idINIFilesCB, idBDECB, idRegistryCB};
}

std::vector<std::string> CheckLayout(HWND form, const std::string& caption, bool startEnabled) {
    std::vector<std::string> problems;
    if (WindowText(form) != caption)
        problems.push_back("caption is \"" + WindowText(form) + "\", not \"" + caption + "\"");

    RECT client;
    ::GetClientRect(form, &client);
    if (client.right != 469 || client.bottom != 328)
        problems.push_back("client area is " + std::to_string(client.right) + " x " +
                           std::to_string(client.bottom) + ", not 469 x 328");

    RECT frame;
    ::GetWindowRect(form, &frame);
    const int offsetX = (frame.left + frame.right) - ::GetSystemMetrics(SM_CXSCREEN);
    const int offsetY = (frame.top + frame.bottom) - ::GetSystemMetrics(SM_CYSCREEN);
    if (std::abs(offsetX) > 2 || std::abs(offsetY) > 2)
        problems.push_back("window " + Describe(frame) + " is not centred on the screen");

    HWND panel = FindControl(form, idPanel1);
    if (!panel) {
        problems.push_back("Panel1 is missing");
        return problems;
    }
    const RECT panelRect = RectIn(panel, form);
    if (::GetParent(panel) != form || panelRect.left != 0 || panelRect.top != 0 ||
        panelRect.right != client.right || panelRect.bottom != client.bottom)
        problems.push_back("Panel1 at " + Describe(panelRect) + " does not fill the client area");

    for (Expected expected : kTable) {
        if (expected.id == idStartBtn) expected.enabled = startEnabled;
        const std::string name = expected.name;
        HWND control = FindControl(form, expected.id);
        if (!control) {
            problems.push_back(name + " is missing");
            continue;
        }
        if (::GetParent(control) != panel) problems.push_back(name + " is not on Panel1");
        if (_stricmp(ClassName(control).c_str(), ClassOf(expected.kind)) != 0)
            problems.push_back(name + " is a " + ClassName(control) + ", not a " +
                               ClassOf(expected.kind));
        const RECT place = RectIn(control, panel);
        const RECT want{expected.left, expected.top, expected.left + expected.width,
                        expected.top + expected.height};
        if (!::EqualRect(&place, &want))
            problems.push_back(name + " is at " + Describe(place) + ", not " + Describe(want));
        if (WindowText(control) != expected.caption)
            problems.push_back(name + " reads \"" + WindowText(control) + "\", not \"" +
                               expected.caption + "\"");
        // The window's own visibility bit: the panel is shown with the window.
        const bool visible = (::GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
        if (visible != expected.visible)
            problems.push_back(name + (expected.visible ? " is hidden" : " is visible"));
        if ((::IsWindowEnabled(control) != FALSE) != expected.enabled)
            problems.push_back(name + (expected.enabled ? " is disabled" : " is enabled"));
        CheckKind(expected, control, problems);
    }
    return problems;
}

} // namespace tarn::ui
