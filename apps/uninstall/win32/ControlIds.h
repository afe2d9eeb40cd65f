// Control identifiers of the uninstall window. The UI driver finds the controls by them.
#pragma once

namespace tarn::uninstall::win32 {

enum ControlId : int {
    idPanel1 = 100,
    idThemeBitmap,
    idBevel1,
    idLabel1,
    idAliasesCB,
    idLblAliases,
    idActiveXCB,
    idLblActiveX,
    idFilesCB,
    idLblFiles,
    idINIFilesCB,
    idLabel2,
    idBDECB,
    idLabel4,
    idRegistryCB,
    idLabel3,
    idProgressBar1,
    idStartBtn,
    idCloseBtn,
};

// The class names the window registers for itself.
inline constexpr const char* kFormClass = "TForm1";
inline constexpr const char* kPanelClass = "TPanel";
inline constexpr const char* kImageClass = "TImage";
inline constexpr const char* kBevelClass = "TBevel";

} // namespace tarn::uninstall::win32
