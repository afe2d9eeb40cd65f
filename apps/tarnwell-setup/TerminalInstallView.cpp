#include "TerminalInstallView.h"

#include "framework/TextCase.h"
#include "platform/Console.h"

#include <algorithm>
#include <cctype>
#include <iostream>

namespace tarn::setup {

namespace {

constexpr int kBarWidth = 30;

std::string Trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

} // namespace

TerminalInstallView::TerminalInstallView(std::istream& in, std::ostream& out, bool interactive)
    : in_(in), out_(out), interactive_(interactive) {}

TerminalInstallView::TerminalInstallView()
    : TerminalInstallView(std::cin, std::cout,
                          platform::IsTerminal(platform::StandardStream::Output)) {}

void TerminalInstallView::Print(const std::string& text) {
    EndLine();
    out_ << platform::ToHostText(text) << '\n';
}

std::optional<std::string> TerminalInstallView::Ask(const std::string& prompt) {
    EndLine();
    for (;;) {
        out_ << platform::ToHostText(prompt) << std::flush;
        std::string line;
        if (!std::getline(in_, line)) {
            out_ << '\n';
            return std::nullopt;
        }
        if (auto text = platform::FromHostText(Trim(line))) return text;
        out_ << "The machine's code page cannot hold that text.\n";
    }
}

std::optional<bool> TerminalInstallView::AskYesNo(const std::string& question, bool defaultYes) {
    const std::string prompt = question + (defaultYes ? " [Y/n] " : " [y/N] ");
    for (;;) {
        const std::optional<std::string> answer = Ask(prompt);
        if (!answer) return std::nullopt;
        if (answer->empty()) return defaultYes;
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>((*answer)[0])));
        if (c == 'y') return true;
        if (c == 'n') return false;
    }
}

bool TerminalInstallView::Welcome(const std::string& company, const std::string& product,
                                  const std::string& version) {
    product_ = product;
    Print("Install " + product + " " + version + " from " + company);
    return AskYesNo("Continue?", true).value_or(false);
}

std::optional<int> TerminalInstallView::AskInstallType(const std::vector<int>& types, int current) {
    Print("Install types:");
    for (std::size_t i = 0; i < types.size(); ++i)
        Print("  " + std::to_string(i + 1) + ") " + InstallTypeCaption(types[i]));
    const std::string prompt = "Install type [" + InstallTypeCaption(current) + "]: ";
    for (;;) {
        const std::optional<std::string> answer = Ask(prompt);
        if (!answer) return std::nullopt;
        if (answer->empty()) return current;
        for (std::size_t i = 0; i < types.size(); ++i)
            if (*answer == std::to_string(i + 1) ||
                SameTextAscii(*answer, InstallTypeCaption(types[i])))
                return types[i];
        Print("Give a number from 1 to " + std::to_string(types.size()) + " or a type's name.");
    }
}

bool TerminalInstallView::AskGroups(std::vector<TGroupChoice>& groups) {
    Print("Groups:");
    for (const TGroupChoice& group : groups) {
        std::string line = std::string("  [") + (group.include ? 'x' : ' ') + "] " + group.caption;
        if (!group.changeable) line += group.include ? " (always installed)" : " (not offered)";
        if (group.hasPassword) line += " (needs a password)";
        Print(line);
        for (const std::string& description : group.description)
            Print("      " + description);
    }
    for (TGroupChoice& group : groups) {
        if (!group.changeable) continue;
        const std::optional<bool> answer =
            AskYesNo("Install " + group.caption + "?", group.include);
        if (!answer) return false;
        group.include = *answer;
    }
    return true;
}

std::optional<std::string> TerminalInstallView::AskPassword(const TGroupChoice& group) {
    return Ask("Password for " + group.caption + ": ");
}

std::optional<std::string> TerminalInstallView::AskFolder(const std::string& folder,
                                                          bool changeable) {
    if (!changeable) {
        Print("Install folder: " + folder);
        return folder;
    }
    return Ask("Install folder [" + folder + "]: ");
}

void TerminalInstallView::Message(const std::string& text) {
    Print(text);
}

void TerminalInstallView::BeforeBox() {
    EndLine();
    out_.flush();
}

bool TerminalInstallView::AskRestart() {
    // The end of input leaves the restart for later, as No does.
    return AskYesNo("A restart is needed to finish the install. Restart now?", true)
        .value_or(false);
}

void TerminalInstallView::Finished(TSetupStatus status, bool restartNow) {
    switch (status) {
    case ssInstalled:
        Print((product_.empty() ? std::string("The product") : product_) + " is installed.");
        break;
    case ssRestartNeeded:
        // On the embedded machine a restart is only recorded; the tool carries it out.
        Print(restartNow ? "The machine restarts when you run `tarnwell machine restart`."
                         : "The install finishes at the machine's next restart "
                           "(`tarnwell machine restart`).");
        break;
    case ssFailed:
        Print("The install did not finish.");
        break;
    case ssCancelled:
        Print("Nothing was installed.");
        break;
    case ssRefused:
        break;
    }
    out_.flush();
}

void TerminalInstallView::Status(const std::string& text) {
    if (text == status_) return;
    EndLine();
    status_ = text;
    if (text.empty()) return;
    if (interactive_)
        DrawLine();
    else
        out_ << platform::ToHostText(text) << '\n';
}

void TerminalInstallView::Progress(std::int64_t done, std::int64_t total) {
    if (!interactive_) return;
    const int percent =
        total > 0 ? static_cast<int>(std::clamp<std::int64_t>(done * 100 / total, 0, 100)) : 0;
    if (percent_ == percent && lineOpen_) return;
    percent_ = percent;
    DrawLine();
}

void TerminalInstallView::DrawLine() {
    out_ << '\r' << platform::ToHostText(status_.empty() ? "Installing files" : status_);
    if (percent_) {
        const int filled = *percent_ * kBarWidth / 100;
        out_ << "  [" << std::string(filled, '#') << std::string(kBarWidth - filled, ' ') << "] "
             << *percent_ << '%';
    }
    out_ << "\x1b[K" << std::flush;
    lineOpen_ = true;
}

void TerminalInstallView::EndLine() {
    if (lineOpen_) out_ << '\n';
    lineOpen_ = false;
}

} // namespace tarn::setup
