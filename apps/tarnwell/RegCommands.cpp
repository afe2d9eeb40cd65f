// tarnwell reg query|add|delete|export: reg.exe's conventions over the machine's registry.
#include "Commands.h"

namespace tarn::tool {

void AddRegCommands(CLI::App&, Context&, int&) {}

} // namespace tarn::tool
