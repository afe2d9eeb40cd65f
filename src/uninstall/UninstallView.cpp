#include "uninstall/UninstallView.h"

namespace tarn::uninstall {

const char* PhaseLabel(TPhaseBox box) {
    switch (box) {
    case TPhaseBox::pbAliases:
        return "Aliases";
    case TPhaseBox::pbActiveX:
        return "ActiveX/OCX components";
    case TPhaseBox::pbFiles:
        return "Files";
    case TPhaseBox::pbIniFiles:
        return "INI file entries";
    case TPhaseBox::pbBDE:
        return "BDE";
    case TPhaseBox::pbRegistry:
        return "Registry entries";
    }
    return "";
}

} // namespace tarn::uninstall
