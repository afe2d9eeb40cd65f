// A view for tests: records what the window would have shown, one event a line.
#pragma once

#include "uninstall/UninstallView.h"

#include <string>
#include <vector>

namespace tarn::uninstall {

class RecordingUninstallView : public IUninstallView {
public:
    // "caption X", "start on|off", "show L", "tick L", "progress N", "hide progress", "repaint",
    // "close" (L the phase's label).
    const std::vector<std::string>& Events() const { return events_; }
    // The events of one kind only, without their first word ("progress" gives the positions).
    std::vector<std::string> Events(const std::string& kind) const;
    bool Ticked(TPhaseBox box) const;
    bool ProgressVisible() const { return progressVisible_; }
    bool StartEnabled() const { return startEnabled_; }
    const std::string& Caption() const { return caption_; }
    bool Closed() const { return closed_; }

    void SetCaption(const std::string& caption) override;
    void SetStartEnabled(bool enabled) override;
    void ShowCheckBox(TPhaseBox box) override;
    void TickCheckBox(TPhaseBox box) override;
    void ShowProgress(int position) override;
    void SetProgress(int position) override;
    void HideProgress() override;
    void Repaint() override;
    void Close() override;

private:
    std::vector<std::string> events_;
    std::vector<TPhaseBox> ticked_;
    bool progressVisible_ = false;
    bool startEnabled_ = true;
    bool closed_ = false;
    std::string caption_ = "Uninstall program";
};

} // namespace tarn::uninstall
