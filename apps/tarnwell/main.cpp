// tarnwell: the command-line tool over the embedded Windows machine and the library.
#include "Commands.h"

#include "platform/Console.h"
#include "platform/portable/CodePage.h"

#include <iostream>

namespace tarn::tool {

platform::portable::Machine& Context::Open() {
    if (!machine_) {
        try {
            machine_ = std::make_unique<platform::portable::Machine>(Folder());
        } catch (const platform::portable::MachineError& e) {
            throw ToolError(e.what());
        }
        scope_ = std::make_unique<platform::ScopedPlatform>(*machine_);
    }
    return *machine_;
}

std::string Context::ArgumentText(const std::string& host) {
    Open();
    if (auto text = platform::FromHostText(host)) return *text;
    throw ArgumentTextError("the argument \"" + host +
                            "\" has characters that the machine's code page " +
                            std::to_string(platform::System().GetACP()) + " cannot hold");
}

std::string Context::ShownHostText(const std::string& host) {
    Open();
    return platform::Utf8ToAnsiLossy(host, platform::System().GetACP());
}

std::string Context::HostText(const std::string& text) const {
    return IsOpen() ? platform::ToHostText(text) : text;
}

} // namespace tarn::tool

int main(int argc, char** argv) {
    using namespace tarn::tool;
    CLI::App app{"Tarnwell: install building and uninstalling for Windows, with an embedded "
                 "Windows machine to run on."};
    app.name("tarnwell");
    app.require_subcommand(1);
    // Nothing is in force until a command opens its machine (Context::Open); commands on host
    // files alone (lang check, machine where) need none.
    Context context;
    app.add_option("--machine", context.machineFolder,
                   "Machine folder (default: $TARNWELL_MACHINE, else "
                   "$XDG_DATA_HOME/tarnwell/machine)");
    int status = 0;
    AddMachineCommands(app, context, status);
    AddRegCommands(app, context, status);
    AddVersionCommands(app, context, status);
    AddArchiveCommands(app, context, status);
    AddUninstallCommands(app, context, status);
    AddLangCommands(app, context, status);
    AddListCommands(app, context, status);
    AddBuildCommands(app, context, status);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        app.exit(e);
        return 2;
    } catch (const ArgumentTextError& e) {
        std::cerr << "tarnwell: " << e.what() << '\n';
        return 2;
    } catch (const UsageError& e) {
        std::cerr << "tarnwell: " << context.HostText(e.what()) << '\n';
        return 2;
    } catch (const ToolError& e) {
        std::cerr << "tarnwell: " << context.HostText(e.what()) << '\n';
        return 1;
    } catch (const tarn::platform::portable::MachineError& e) {
        // About the machine's folder and files on the host: host text.
        std::cerr << "tarnwell: " << e.what() << '\n';
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "tarnwell: " << context.HostText(e.what()) << '\n';
        return 1;
    }
    return status;
}
