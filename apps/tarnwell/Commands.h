// The subcommands of the tarnwell tool. Each group adds itself to the command line and runs on
// the machine the --machine option (or the environment) names.
#pragma once

#include "platform/portable/Machine.h"

#include <CLI/CLI.hpp>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

namespace tarn::tool {

// A failure the tool reports in one line, exit status 1.
class ToolError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A command line the tool cannot make sense of, exit status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Context {
    std::string machineFolder; // from --machine; empty for the default

    std::filesystem::path Folder() const {
        return machineFolder.empty() ? platform::portable::Machine::DefaultFolder()
                                     : std::filesystem::path(machineFolder);
    }
    // Opens the machine and puts it in force for the rest of the command.
    platform::portable::Machine& Open();

private:
    std::unique_ptr<platform::portable::Machine> machine_;
    std::unique_ptr<platform::ScopedPlatform> scope_;
};

// Each returns the exit status through *status when its subcommand ran.
void AddMachineCommands(CLI::App& app, Context& context, int& status);
void AddRegCommands(CLI::App& app, Context& context, int& status);
void AddVersionCommands(CLI::App& app, Context& context, int& status);
void AddArchiveCommands(CLI::App& app, Context& context, int& status);
void AddUninstallCommands(CLI::App& app, Context& context, int& status);
void AddLangCommands(CLI::App& app, Context& context, int& status);

} // namespace tarn::tool
