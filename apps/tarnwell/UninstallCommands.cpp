// tarnwell uninstall: the uninstaller's run for scripts. Every phase runs and the record goes,
// but the tool's own program file stays. --dry-run reports what the run would do and changes
// nothing.
#include "Commands.h"

#include "platform/TerminalUserInterface.h"
#include "uninstall/TerminalUninstallView.h"
#include "uninstall/UninstallForm.h"

#include <fstream>
#include <iostream>
#include <optional>

namespace tarn::tool {

namespace {

struct UninstallOptions {
    bool yes = false;
    bool no = false;
    bool dryRun = false;
    std::string log;
    std::vector<std::string> product;
};

int RunUninstall(Context& context, const UninstallOptions& options) {
    platform::portable::Machine& machine = context.Open();
    platform::TerminalUserInterface ui;
    if (options.yes || options.no) ui.SetFixedAnswer(options.yes);
    platform::Services services = machine.GetServices();
    services.ui = &ui;
    platform::ScopedPlatform scope(services);

    std::ofstream log;
    if (!options.log.empty()) {
        log.open(options.log, std::ios::trunc);
        if (!log) throw ToolError("cannot write the log " + options.log);
    }
    uninstall::TerminalUninstallView view;
    uninstall::TForm1 form(view);
    form.RemoveOwnProgram = false;
    form.DryRun = options.dryRun;
    form.DryRunAnswer = options.yes;
    form.OnAction = [&](const std::string& line) {
        if (options.dryRun) std::cout << "would: " << line << '\n';
        if (log.is_open()) log << line << '\n';
    };
    if (!form.Create(options.product)) return 2;
    const bool finished = form.Start();
    if (options.dryRun)
        std::cout << "Dry run: nothing was changed.\n";
    else if (finished)
        std::cout << "Removed " << form.ProductName() << ".\n";
    return finished ? 0 : 1;
}

} // namespace

void AddUninstallCommands(CLI::App& app, Context& context, int& status) {
    static UninstallOptions options;
    CLI::App* command =
        app.add_subcommand("uninstall", "Remove an installed product as its uninstaller would");
    command->fallthrough(); // --machine may also follow the subcommand
    auto* yes = command->add_flag("--yes", options.yes, "Answer Yes to every question");
    auto* no = command->add_flag("--no", options.no, "Answer No to every question");
    yes->excludes(no);
    command->add_flag("--dry-run", options.dryRun,
                      "List what would be removed, kept and asked; change nothing");
    command->add_option("--log", options.log, "Write one line per action taken to FILE");
    command->add_option("product", options.product, "Product name (the words are joined)")
        ->required();
    command->callback([&context, &status] { status = RunUninstall(context, options); });
}

} // namespace tarn::tool
