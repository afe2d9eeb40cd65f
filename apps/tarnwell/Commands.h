// The subcommands of the tarnwell tool. Each group adds itself to the command line and runs on
// the machine the --machine option (or the environment) names.
//
// Text: the host speaks UTF-8, the machine its ANSI code page. A command opens the machine, then
// takes its arguments into the code page (ArgumentText); from then on its strings, and the
// messages of the errors it throws, are machine text, which the tool turns back into UTF-8 where
// it prints (HostText). Host paths stay host text throughout.
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

// An argument the machine's code page cannot hold, exit status 2. Its message is host text.
class ArgumentTextError : public UsageError {
public:
    using UsageError::UsageError;
};

struct Context {
    std::string machineFolder; // from --machine; empty for the default

    std::filesystem::path Folder() const {
        return machineFolder.empty() ? platform::portable::Machine::DefaultFolder()
                                     : std::filesystem::path(machineFolder);
    }
    // Opens the machine and puts it in force for the rest of the command.
    platform::portable::Machine& Open();
    bool IsOpen() const { return machine_ != nullptr; }

    // A host argument as machine text; opens the machine to know its code page. Throws
    // ArgumentTextError when the code page cannot hold it: a name is never silently changed.
    std::string ArgumentText(const std::string& host);
    // Host text (a host path) to be quoted in a message or question: characters the code page
    // cannot hold show as "?".
    std::string ShownHostText(const std::string& host);
    // Machine text for printing or for a file on the host. Before the machine is open nothing
    // has been taken into its code page, so text passes unchanged.
    std::string HostText(const std::string& text) const;

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
void AddListCommands(CLI::App& app, Context& context, int& status);
void AddBuildCommands(CLI::App& app, Context& context, int& status);

} // namespace tarn::tool
