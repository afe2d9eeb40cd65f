#include "platform/TerminalUserInterface.h"
#include "platform/Platform.h"

#include <cctype>
#include <iostream>
#include <string>

namespace tarn::platform {

TerminalUserInterface::TerminalUserInterface() : TerminalUserInterface(Console()) {}

TerminalUserInterface::TerminalUserInterface(IConsole& console)
    : in_(std::cin), out_(std::cout), err_(std::cerr),
      interactive_(console.IsTerminal(StandardStream::Input) &&
                   console.IsTerminal(StandardStream::Output)) {}

TerminalUserInterface::TerminalUserInterface(std::istream& in, std::ostream& out, std::ostream& err)
    : in_(in), out_(out), err_(err), interactive_(false) {}

void TerminalUserInterface::Inform(const std::string& caption, const std::string& text) {
    out_ << ToHostText(caption) << ": " << ToHostText(text) << std::endl;
}

void TerminalUserInterface::Error(const std::string& caption, const std::string& text) {
    out_.flush();
    err_ << ToHostText(caption) << ": error: " << ToHostText(text) << std::endl;
}

bool TerminalUserInterface::Confirm(const std::string& caption, const std::string& text) {
    return Ask(caption, text, "[Y/n]", 'y');
}

bool TerminalUserInterface::OkCancel(const std::string& caption, const std::string& text) {
    return Ask(caption, text, "[OK/cancel]", 'o');
}

bool TerminalUserInterface::Ask(const std::string& caption, const std::string& text,
                                const char* choices, char yes) {
    out_ << ToHostText(caption) << ": " << ToHostText(text) << ' ' << choices << ' ';
    if (fixed_) {
        out_ << (*fixed_ ? "yes (given)" : "no (given)") << std::endl;
        return *fixed_;
    }
    out_.flush();
    for (;;) {
        std::string line;
        if (!std::getline(in_, line)) {
            out_ << "no (end of input)" << std::endl;
            return false;
        }
        std::size_t first = line.find_first_not_of(" \t\r");
        char c = first == std::string::npos
                     ? '\0'
                     : static_cast<char>(std::tolower(static_cast<unsigned char>(line[first])));
        if (!interactive_) {
            bool answer = c == yes || (yes == 'o' && c == 'y');
            out_ << (answer ? "yes" : "no") << std::endl;
            return answer;
        }
        // The default button is the first choice: Enter accepts it.
        if (c == '\0' || c == yes || (yes == 'o' && c == 'y')) return true;
        if (c == 'n' || c == 'c') return false;
        out_ << choices << ' ';
        out_.flush();
    }
}

} // namespace tarn::platform
