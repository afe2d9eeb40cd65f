#include "ui/DriverOptions.h"

#include <stdexcept>

namespace tarn::ui {

std::string DriverOptions::ProductName() const {
    std::string name;
    for (const auto& word : productWords)
        name += (name.empty() ? "" : " ") + word;
    return name;
}

std::string DriverOptions::ProgramTitle() const {
    std::string name = program.substr(program.find_last_of("\\/:") + 1);
    const auto dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

std::string DriverOptions::WindowCaption() const {
    return Refused() ? "Uninstall program" : "Remove " + ProductName();
}

namespace {

Answer ParseAnswer(const std::string& word) {
    if (word == "yes") return Answer::Yes;
    if (word == "no") return Answer::No;
    if (word == "escape") return Answer::Escape;
    throw std::invalid_argument("--answer: \"" + word + "\" is not yes, no or escape");
}

int ParseSeconds(const std::string& text) {
    std::size_t used = 0;
    int seconds = 0;
    try {
        seconds = std::stoi(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used != text.size() || seconds <= 0)
        throw std::invalid_argument("--timeout: \"" + text +
                                    "\" is not a positive number of seconds");
    return seconds;
}

} // namespace

DriverOptions ParseDriverOptions(const std::vector<std::string>& arguments) {
    DriverOptions options;
    bool separator = false;
    std::size_t at = 0;
    auto value = [&](const std::string& option) -> const std::string& {
        if (at + 1 >= arguments.size()) throw std::invalid_argument(option + " needs a value");
        return arguments[++at];
    };
    for (; at < arguments.size(); ++at) {
        const std::string& argument = arguments[at];
        if (argument == "--") {
            separator = true;
            options.productWords.assign(arguments.begin() + static_cast<std::ptrdiff_t>(at) + 1,
                                        arguments.end());
            break;
        }
        if (argument == "--program") {
            options.program = value(argument);
        } else if (argument == "--answer") {
            const std::string& rule = value(argument);
            // The last '=' splits: a question's text may hold one, the answer never does.
            const auto equals = rule.rfind('=');
            if (equals == std::string::npos || equals == 0)
                throw std::invalid_argument("--answer: \"" + rule +
                                            "\" is not <substring>=<answer>");
            options.answers.push_back(
                {rule.substr(0, equals), ParseAnswer(rule.substr(equals + 1))});
        } else if (argument == "--before") {
            options.before = value(argument);
        } else if (argument == "--after") {
            options.after = value(argument);
        } else if (argument == "--timeout") {
            options.timeoutSeconds = ParseSeconds(value(argument));
        } else if (argument == "--expect-stopped") {
            options.expectStopped = true;
        } else {
            throw std::invalid_argument("unknown argument \"" + argument + "\"");
        }
    }
    if (options.program.empty()) throw std::invalid_argument("--program is required");
    if (!separator) throw std::invalid_argument("-- and the product name are missing");
    return options;
}

std::optional<Answer> ChooseAnswer(const std::vector<AnswerRule>& rules, const std::string& text) {
    for (const auto& rule : rules)
        if (text.find(rule.substring) != std::string::npos) return rule.answer;
    return std::nullopt;
}

const char* AnswerName(Answer answer) {
    switch (answer) {
    case Answer::Yes:
        return "Yes";
    case Answer::No:
        return "No";
    case Answer::Escape:
        return "Escape";
    }
    return "";
}

bool IsClosingMessage(const std::string& text) {
    return text.find("has finished removing itself") != std::string::npos ||
           text.find("will be removed after you reboot your computer.") != std::string::npos;
}

std::string BuildCommandLine(const std::string& program, const std::vector<std::string>& words) {
    std::string line = "\"" + program + "\"";
    for (const auto& word : words) {
        const bool blank = word.find_first_of(" \t") != std::string::npos;
        line += ' ';
        line += blank ? "\"" + word + "\"" : word;
    }
    return line;
}

} // namespace tarn::ui
