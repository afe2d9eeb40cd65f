// The UI driver's command line and the decisions that need no window: which answer a question
// gets, which closing message ends the run, and the command line that starts the uninstaller.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tarn::ui {

enum class Answer { Yes, No, Escape };

struct AnswerRule {
    std::string substring;
    Answer answer;
};

struct DriverOptions {
    std::string program;
    std::vector<AnswerRule> answers;
    std::string before; // screenshot paths; empty for none
    std::string after;
    int timeoutSeconds = 120;
    bool expectStopped = false;
    std::vector<std::string> productWords;

    // The words joined by single spaces, as the uninstaller forms its product name.
    std::string ProductName() const;
    // No words: the uninstaller refuses to run.
    bool Refused() const { return productWords.empty(); }
    // The caption of the program's notices: its file name without the extension.
    std::string ProgramTitle() const;
    // The caption the window has once started: "Remove " and the name, or the first caption.
    std::string WindowCaption() const;
};

// Parses the arguments after the program name; throws std::invalid_argument with a message
// naming what is wrong.
DriverOptions ParseDriverOptions(const std::vector<std::string>& arguments);

// The answer of the first rule whose substring occurs in the text; nullopt when none does.
std::optional<Answer> ChooseAnswer(const std::vector<AnswerRule>& rules, const std::string& text);

const char* AnswerName(Answer answer);

// Whether an information box is the uninstaller's closing message.
bool IsClosingMessage(const std::string& text);

// The quoted program path followed by the words, each quoted only when it holds a blank.
std::string BuildCommandLine(const std::string& program, const std::vector<std::string>& words);

inline constexpr const char* kDriverUsage =
    "usage: uninstall_driver --program <uninstall.exe> [--answer <substring>=yes|no|escape]...\n"
    "       [--before <png>] [--after <png>] [--timeout <seconds>] [--expect-stopped]\n"
    "       -- <product name words...>\n"
    "Without product words the program must refuse: its error box, Start disabled, Close.\n";

} // namespace tarn::ui
