#include "uninstall/RecordingUninstallView.h"

#include <algorithm>

namespace tarn::uninstall {

std::vector<std::string> RecordingUninstallView::Events(const std::string& kind) const {
    std::vector<std::string> found;
    for (const auto& e : events_) {
        if (e == kind)
            found.emplace_back();
        else if (e.size() > kind.size() && e.compare(0, kind.size(), kind) == 0 &&
                 e[kind.size()] == ' ')
            found.push_back(e.substr(kind.size() + 1));
    }
    return found;
}

bool RecordingUninstallView::Ticked(TPhaseBox box) const {
    return std::find(ticked_.begin(), ticked_.end(), box) != ticked_.end();
}

void RecordingUninstallView::SetCaption(const std::string& caption) {
    caption_ = caption;
    events_.push_back("caption " + caption);
}

void RecordingUninstallView::SetStartEnabled(bool enabled) {
    startEnabled_ = enabled;
    events_.push_back(enabled ? "start on" : "start off");
}

void RecordingUninstallView::ShowCheckBox(TPhaseBox box) {
    events_.push_back(std::string("show ") + PhaseLabel(box));
}

void RecordingUninstallView::TickCheckBox(TPhaseBox box) {
    ticked_.push_back(box);
    events_.push_back(std::string("tick ") + PhaseLabel(box));
}

void RecordingUninstallView::ShowProgress(int position) {
    progressVisible_ = true;
    events_.push_back("progress " + std::to_string(position));
}

void RecordingUninstallView::SetProgress(int position) {
    events_.push_back("progress " + std::to_string(position));
}

void RecordingUninstallView::HideProgress() {
    progressVisible_ = false;
    events_.push_back("hide progress");
}

void RecordingUninstallView::Repaint() {
    events_.push_back("repaint");
}

void RecordingUninstallView::Close() {
    closed_ = true;
    events_.push_back("close");
}

} // namespace tarn::uninstall
