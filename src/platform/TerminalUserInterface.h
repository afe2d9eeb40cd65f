// The boxes as terminal lines: notices on standard output, errors on standard error, questions
// as prompts. On a terminal a question waits for y/n; from other input each question takes one
// line, and the end of input answers No.
#pragma once

#include "platform/Console.h"
#include "platform/UserInterface.h"

#include <cstdio>
#include <istream>
#include <optional>
#include <ostream>

namespace tarn::platform {

class TerminalUserInterface : public IUserInterface {
public:
    // The process's standard streams, interactive when both are a terminal of the console in
    // force.
    TerminalUserInterface();
    // The same, asking the given console (a backend's own, made before anything is in force).
    explicit TerminalUserInterface(IConsole& console);
    // For tests: streams instead of the process's standard ones; input is treated as a pipe.
    TerminalUserInterface(std::istream& in, std::ostream& out, std::ostream& err);

    // Answers every question without asking (the --yes/--no of scripts); nullopt asks again.
    void SetFixedAnswer(std::optional<bool> answer) { fixed_ = answer; }

    void Inform(const std::string& caption, const std::string& text) override;
    void Error(const std::string& caption, const std::string& text) override;
    bool Confirm(const std::string& caption, const std::string& text) override;
    bool OkCancel(const std::string& caption, const std::string& text) override;

private:
    bool Ask(const std::string& caption, const std::string& text, const char* choices, char yes);

    std::istream& in_;
    std::ostream& out_;
    std::ostream& err_;
    bool interactive_;
    std::optional<bool> fixed_;
};

} // namespace tarn::platform
