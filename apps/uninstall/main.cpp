// uninstall: removes one installed product from this Windows (the embedded machine in the Linux
// build). Every argument is part of the product name, as in the uninstall command that
// Add/Remove Programs runs.
// Exit status: 0 finished, 1 a phase stopped the run, 2 refused for want of arguments.
#include "platform/Platform.h"
#include "uninstall/TerminalUninstallView.h"
#include "uninstall/UninstallForm.h"

#include <iostream>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    using namespace tarn;
    std::unique_ptr<platform::Backend> machine;
    try {
        machine = platform::CreateDefaultBackend();
    } catch (const std::exception& e) {
        std::cerr << "uninstall: " << e.what() << '\n';
        return 1;
    }
    platform::ScopedPlatform scope(*machine);
    const std::vector<std::string> arguments(argv + 1, argv + argc);
    uninstall::TerminalUninstallView view;
    uninstall::TForm1 form(view);
    if (!form.Create(arguments)) return 2;
    return form.Start() ? 0 : 1;
}
