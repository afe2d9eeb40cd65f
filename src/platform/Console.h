// Whether a standard stream of the program is a terminal (a console window on Windows), for the
// text front ends that draw progress and ask questions only when someone is there to see them.
// Each backend provides the check of its own system.
#pragma once

namespace tarn::platform {

enum class StandardStream { Input, Output };

bool IsTerminal(StandardStream stream);

} // namespace tarn::platform
