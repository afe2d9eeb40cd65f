// The uninstaller on a terminal: the phases as a check list that ticks as each one ends, and on a
// terminal a progress bar drawn on the line of the running phase. Into a pipe only the ticked
// lines are written.
#pragma once

#include "uninstall/UninstallView.h"

#include <optional>
#include <ostream>

namespace tarn::uninstall {

class TerminalUninstallView : public IUninstallView {
public:
    // interactive: draw the open line and the bar (normally: standard output is a terminal).
    TerminalUninstallView(std::ostream& out, bool interactive);
    // Standard output, interactive when it is a terminal.
    TerminalUninstallView();

    void SetCaption(const std::string& caption) override;
    void SetStartEnabled(bool) override {}
    void ShowCheckBox(TPhaseBox box) override;
    void TickCheckBox(TPhaseBox box) override;
    void ShowProgress(int position) override;
    void SetProgress(int position) override;
    void HideProgress() override;
    void Repaint() override;
    void BeforeBox() override;
    void Close() override;

private:
    void DrawLine();
    void EndLine();

    std::ostream& out_;
    bool interactive_;
    std::optional<TPhaseBox> running_;
    std::optional<int> progress_;
    bool lineOpen_ = false;
};

} // namespace tarn::uninstall
