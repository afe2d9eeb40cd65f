// What the uninstaller's window shows, apart from its logic: the six phase check boxes, the
// progress bar, the caption and the Start button. Boxes (questions, notices, errors) go through
// the platform's user interface service; a view is told before one appears so that it can
// finish what it is drawing.
#pragma once

#include <string>

namespace tarn::uninstall {

enum class TPhaseBox { pbAliases, pbActiveX, pbFiles, pbIniFiles, pbBDE, pbRegistry };

// The label beside a phase's check box.
const char* PhaseLabel(TPhaseBox box);

class IUninstallView {
public:
    virtual ~IUninstallView() = default;

    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SetStartEnabled(bool enabled) = 0;
    virtual void ShowCheckBox(TPhaseBox box) = 0;
    virtual void TickCheckBox(TPhaseBox box) = 0;
    // Shows the bar at a position from 0 to 100.
    virtual void ShowProgress(int position) = 0;
    virtual void SetProgress(int position) = 0;
    virtual void HideProgress() = 0;
    virtual void Repaint() = 0;
    virtual void BeforeBox() {}
    // The program is told to terminate.
    virtual void Close() = 0;
};

} // namespace tarn::uninstall
