#include "uninstall/TerminalUninstallView.h"
#include "platform/Console.h"

#include <iostream>
#include <string>

namespace tarn::uninstall {

namespace {
constexpr int kBarWidth = 30;
}

TerminalUninstallView::TerminalUninstallView(std::ostream& out, bool interactive)
    : out_(out), interactive_(interactive) {}

TerminalUninstallView::TerminalUninstallView()
    : TerminalUninstallView(std::cout, platform::IsTerminal(platform::StandardStream::Output)) {}

void TerminalUninstallView::SetCaption(const std::string& caption) {
    out_ << platform::ToHostText(caption) << '\n';
}

void TerminalUninstallView::ShowCheckBox(TPhaseBox box) {
    EndLine();
    running_ = box;
    if (interactive_) DrawLine();
}

void TerminalUninstallView::TickCheckBox(TPhaseBox box) {
    if (interactive_ && lineOpen_)
        out_ << '\r';
    else
        EndLine();
    out_ << "[x] " << PhaseLabel(box);
    if (interactive_) out_ << "\x1b[K";
    out_ << std::endl;
    lineOpen_ = false;
    running_.reset();
}

void TerminalUninstallView::ShowProgress(int position) {
    progress_ = position;
    if (interactive_ && running_) DrawLine();
}

void TerminalUninstallView::SetProgress(int position) {
    if (progress_ == position) return;
    progress_ = position;
    if (interactive_ && running_) DrawLine();
}

void TerminalUninstallView::HideProgress() {
    progress_.reset();
    if (interactive_ && running_ && lineOpen_) DrawLine();
}

void TerminalUninstallView::Repaint() {
    out_.flush();
}

void TerminalUninstallView::BeforeBox() {
    EndLine();
}

void TerminalUninstallView::Close() {
    EndLine();
    out_.flush();
}

void TerminalUninstallView::DrawLine() {
    out_ << '\r' << "[ ] " << PhaseLabel(*running_);
    if (progress_) {
        const int filled = *progress_ * kBarWidth / 100;
        out_ << "  [" << std::string(filled, '#') << std::string(kBarWidth - filled, ' ') << "] "
             << *progress_ << '%';
    }
    out_ << "\x1b[K" << std::flush;
    lineOpen_ = true;
}

void TerminalUninstallView::EndLine() {
    if (lineOpen_) out_ << '\n';
    lineOpen_ = false;
}

} // namespace tarn::uninstall
