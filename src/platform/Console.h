// The program's standard streams: whether one is a terminal (a console window on Windows), for
// the text front ends that draw progress and ask questions only when someone is there to see
// them, and the text that crosses between the machine and the host. Each backend provides an
// IConsole for its own system among its services; the free functions use the one in force.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::platform {

enum class StandardStream { Input, Output };

class IConsole {
public:
    virtual ~IConsole() = default;

    virtual bool IsTerminal(StandardStream stream) = 0;
    // Machine text (ANSI, in the code page of the machine in force) as the host's programs take
    // it: UTF-8 on the embedded machine, unchanged on Windows, whose consoles speak ANSI.
    virtual std::string ToHost(std::string_view ansi) = 0;
    // Host text as machine text; nothing when the machine's code page has no place for one of
    // its characters (or it is not valid UTF-8).
    virtual std::optional<std::string> FromHost(std::string_view host) = 0;
};

bool IsTerminal(StandardStream stream);

// IConsole::ToHost of the console in force. Never fails. ASCII reads the same in every ANSI code
// page and in the host's text, so it passes unchanged without asking: a program may print it
// before it has put a machine in force.
std::string ToHostText(std::string_view ansi);

// IConsole::FromHost of the console in force, ASCII passing unchanged as above. Host text
// (arguments, names typed in a terminal) that the code page cannot hold is refused, never
// silently changed.
std::optional<std::string> FromHostText(std::string_view host);

// A program's arguments after its name, taken into the code page. One the code page cannot hold
// is refused: the message, beginning with "program: ", goes to err and nothing is returned.
std::optional<std::vector<std::string>>
ProgramArguments(int argc, char** argv, std::string_view program, std::ostream& err);

} // namespace tarn::platform
