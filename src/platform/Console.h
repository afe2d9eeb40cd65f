// The program's standard streams: whether one is a terminal (a console window on Windows), for
// the text front ends that draw progress and ask questions only when someone is there to see
// them, and the text that crosses between the machine and the host. Each backend provides them
// for its own system.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tarn::platform {

enum class StandardStream { Input, Output };

bool IsTerminal(StandardStream stream);

// Machine text (ANSI, in the code page of the machine in force) as the host's programs take it:
// UTF-8 on the embedded machine, unchanged on Windows, whose consoles speak ANSI. Never fails.
std::string ToHostText(std::string_view ansi);

// Host text (arguments, names typed in a terminal) as machine text; nothing when the machine's
// code page has no place for one of its characters (or it is not valid UTF-8): such text is
// refused, never silently changed.
std::optional<std::string> FromHostText(std::string_view host);

} // namespace tarn::platform
