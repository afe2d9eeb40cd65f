// tarnwell uninstall: the uninstaller's run for scripts. Every phase runs and the record goes,
// but the tool's own program file stays. --dry-run reports what the run would do and changes
// nothing. A product without an install record is its own answer (status 3): a script learns
// that nothing was there to remove, where the product's uninstaller just finishes as usual.
#include "Commands.h"

#include "platform/Console.h"
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

constexpr int kNotInstalled = 3;

int RunUninstall(Context& context, const UninstallOptions& options) {
    platform::portable::Machine& machine = context.Open();
    std::vector<std::string> product;
    for (const std::string& word : options.product)
        product.push_back(context.ArgumentText(word));
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
        if (options.dryRun) std::cout << "would: " << platform::ToHostText(line) << '\n';
        if (log.is_open()) log << platform::ToHostText(line) << '\n';
    };
    if (!form.Create(product)) return 2;
    // The phases read the record under the trimmed name, its final deletion takes the name as
    // given: either key counts.
    const bool installed = form.RecordFound();
    const bool finished = form.Start();
    const std::string name = platform::ToHostText(form.ProductName());
    if (options.dryRun) std::cout << "Dry run: nothing was changed.\n";
    if (!finished) return 1;
    if (!installed) {
        std::cout << "No install record for " << name << " was found; nothing was removed\n";
        return kNotInstalled;
    }
    if (!options.dryRun) std::cout << "Removed " << name << ".\n";
    return 0;
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
