// uninstall: removes one installed product from this Windows (the embedded machine in the Linux
// build). Every argument is part of the product name, as in the uninstall command that
// Add/Remove Programs runs.
// The arguments come in the host's UTF-8 and are taken into the machine's code page, in which
// the record is written; what the program prints goes back to UTF-8.
// Exit status: 0 finished, 1 a phase stopped the run, 2 refused for want of arguments or for an
// argument the machine's code page cannot hold.
#include "platform/Console.h"
#include "platform/Platform.h"
#include "platform/portable/Machine.h"
#include "uninstall/TerminalUninstallView.h"
#include "uninstall/UninstallForm.h"

#include <iostream>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace tarn;
    // The embedded machine the environment names (TARNWELL_MACHINE, else the user's own).
    std::unique_ptr<platform::Backend> machine;
    try {
        machine = std::make_unique<platform::portable::Machine>(
            platform::portable::Machine::DefaultFolder());
    } catch (const std::exception& e) {
        std::cerr << "uninstall: " << e.what() << '\n';
        return 1;
    }
    platform::ScopedPlatform scope(*machine);
    auto converted = platform::ProgramArguments(argc, argv, "uninstall", std::cerr);
    if (!converted) return 2;
    std::vector<std::string> arguments = std::move(*converted);
    uninstall::TerminalUninstallView view;
    uninstall::TForm1 form(view);
    if (!form.Create(arguments)) return 2;
    return form.Start() ? 0 : 1;
}
