// The install's pages on a terminal: each page a few lines and a prompt that shows its default
// in brackets, Enter taking it; the end of input cancels. During the run the status captions,
// and on a terminal a progress bar on the line of the running caption. Into a pipe the bar is
// left out.
#pragma once

#include "SetupFrontEnd.h"

#include <istream>
#include <optional>
#include <ostream>
#include <string>

namespace tarn::setup {

class TerminalInstallView : public IInstallView {
public:
    // interactive: draw the bar (normally: standard output is a terminal).
    TerminalInstallView(std::istream& in, std::ostream& out, bool interactive);
    // Standard input and output, interactive when the output is a terminal.
    TerminalInstallView();

    bool Welcome(const std::string& company, const std::string& product,
                 const std::string& version) override;
    std::optional<int> AskInstallType(const std::vector<int>& types, int current) override;
    bool AskGroups(std::vector<TGroupChoice>& groups) override;
    std::optional<std::string> AskPassword(const TGroupChoice& group) override;
    std::optional<std::string> AskFolder(const std::string& folder, bool changeable) override;
    void Message(const std::string& text) override;
    void BeforeBox() override;
    bool AskRestart() override;
    void Finished(TSetupStatus status, bool restartNow) override;

    void Status(const std::string& text) override;
    void Action(const std::string&, const std::string&) override {}
    void Progress(std::int64_t done, std::int64_t total) override;

private:
    // One line of machine text; nothing at the end of input.
    std::optional<std::string> Ask(const std::string& prompt);
    std::optional<bool> AskYesNo(const std::string& question, bool defaultYes);
    void Print(const std::string& text);
    void DrawLine();
    void EndLine();

    std::istream& in_;
    std::ostream& out_;
    bool interactive_;
    std::string product_;
    std::string status_;
    std::optional<int> percent_;
    bool lineOpen_ = false;
};

} // namespace tarn::setup
