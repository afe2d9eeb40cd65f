// setup-loader: the loading program, the first part of every setup.exe a build writes (in the
// library folder as TarnwellLoadProgram.exe). It finds setup.1 through its own trailer, inside
// itself or beside it, extracts it into a fresh folder below the machine's temporary folder and
// runs the install application from there with -s, -e (self-extracting), -c and the *-parameters
// it was given (*TODISK as -f). On Linux it runs on the embedded machine the environment names.
// Exit status: the install application's; 1 setup.1 could not be extracted or its program
// started; 2 a damaged or truncated setup.exe, or members that would leave their folder.
#include "SetupLoader.h"

#include "platform/Console.h"
#include "platform/Platform.h"
#include "platform/portable/Machine.h"

#include <iostream>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace tarn;
    // The embedded machine the environment names (TARNWELL_MACHINE, else the user's own).
    std::unique_ptr<platform::portable::Machine> machine;
    try {
        machine = std::make_unique<platform::portable::Machine>(
            platform::portable::Machine::DefaultFolder());
    } catch (const std::exception& e) {
        std::cerr << "setup: " << e.what() << '\n';
        return loader::lsNotStarted;
    }
    platform::ScopedPlatform scope(*machine);
    auto converted = platform::ProgramArguments(argc, argv, "setup", std::cerr);
    if (!converted) return loader::lsNotStarted;
    std::vector<std::string> arguments = std::move(*converted);
    // The machine is one process at a time: it is let go while the install application runs.
    return loader::RunLoader(platform::System().GetModuleFileName(), arguments, std::cerr,
                             [&machine] { machine->ReleaseLock(); });
}
