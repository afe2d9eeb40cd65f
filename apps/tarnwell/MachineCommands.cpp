// tarnwell machine init|restart|run|where
#include "Commands.h"

#include "platform/CommandLine.h"
#include "platform/Console.h"
#include "platform/WinTypes.h"

#include <iostream>
#include <map>

namespace tarn::tool {
namespace {

struct WindowsRelease {
    platform::DWORD platform, major, minor, build;
};

const std::map<std::string, WindowsRelease>& Releases() {
    using namespace tarn::platform;
    static const std::map<std::string, WindowsRelease> releases = {
        {"win95", {VER_PLATFORM_WIN32_WINDOWS, 4, 0, 950}},
        {"win98", {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 1998}},
        {"winme", {VER_PLATFORM_WIN32_WINDOWS, 4, 90, 3000}},
        {"nt351", {VER_PLATFORM_WIN32_NT, 3, 51, 1057}},
        {"nt40", {VER_PLATFORM_WIN32_NT, 4, 0, 1381}},
        {"win2000", {VER_PLATFORM_WIN32_NT, 5, 0, 2195}},
        {"winxp", {VER_PLATFORM_WIN32_NT, 5, 1, 2600}},
        {"vista", {VER_PLATFORM_WIN32_NT, 6, 0, 6000}},
    };
    return releases;
}

} // namespace

void AddMachineCommands(CLI::App& app, Context& context, int& status) {
    CLI::App* machine = app.add_subcommand("machine", "Create, restart or locate the machine");
    machine->require_subcommand(1);

    CLI::App* init = machine->add_subcommand(
        "init", "Create the machine folder (Windows XP, US English) unless it exists");
    static std::string windows;
    static std::string hostDrive;
    std::string names;
    for (const auto& [name, release] : Releases())
        names += (names.empty() ? "" : ", ") + name;
    init->add_option("--windows", windows, "Windows release the machine reports: " + names);
    init->add_option("--host-drive", hostDrive,
                     "Whether programs on the machine may change the host's files through drive "
                     "Z:: read-only (the default) or writable (as under Wine)")
        ->check(CLI::IsMember({"read-only", "writable"}));
    init->callback([&context, &status] {
        const WindowsRelease* release = nullptr;
        if (!windows.empty()) {
            auto it = Releases().find(windows);
            if (it == Releases().end()) throw UsageError("unknown Windows release: " + windows);
            release = &it->second;
        }
        bool existed = std::filesystem::exists(context.Folder() / "registry.reg");
        platform::portable::Machine& m = context.Open();
        if (release) {
            m.SetWindowsVersion(release->platform, release->major, release->minor, release->build);
        }
        if (!hostDrive.empty()) m.SetHostDriveWritable(hostDrive == "writable");
        m.Flush();
        std::cout << (existed ? "Machine exists: " : "Machine created: ") << m.Folder().string()
                  << '\n';
        if (m.HostDriveWritable())
            std::cout << "Drive Z: (the host's root folder) is writable to the machine; "
                         "--host-drive read-only protects the host's files.\n";
        else
            std::cout << "Drive Z: (the host's root folder) is read-only to the machine; "
                         "--host-drive writable lets its programs change the host's files.\n";
        status = 0;
    });

    CLI::App* restart = machine->add_subcommand(
        "restart", "Restart the machine: pending renames and deletes, WININIT.INI, RunOnce");
    restart->callback([&context, &status] {
        platform::portable::Machine& m = context.Open();
        bool requested = m.RestartRequested();
        auto started = m.Restart();
        if (requested) std::cout << "A program had asked for this restart.\n";
        status = 0;
        for (const auto& s : started) {
            if (s.error == platform::ERROR_SUCCESS) {
                std::cout << "Started: " << s.command << '\n';
            } else {
                std::cerr << "tarnwell: could not start \"" << s.command << "\" (error " << s.error
                          << ")\n";
                status = 1;
            }
        }
        // Windows runs the machine's RunOnce programs to their end before the desktop starts;
        // they open the machine themselves, so it is let go while they run.
        m.ReleaseLock();
        platform::IProcesses& processes = *m.GetServices().processes;
        for (const auto& s : started) {
            if (s.error != platform::ERROR_SUCCESS) continue;
            platform::DWORD code = 0;
            processes.WaitForExit(s.process, platform::INFINITE_WAIT, code);
            processes.CloseProcess(s.process);
            std::cout << "Ended: " << s.command << " (exit status " << code << ")\n";
        }
        std::cout << "Machine restarted.\n";
    });

    // A program started as the machine starts it (an uninstall string, say), waited for; its
    // exit status is the tool's.
    CLI::App* run = machine->add_subcommand(
        "run", "Run a command line on the machine (e.g. an uninstall string) and wait for it");
    static std::vector<std::string> command;
    run->add_option("command", command, "The command line: the program and its arguments")
        ->required();
    run->callback([&context, &status] {
        platform::portable::Machine& m = context.Open();
        std::string line;
        for (const std::string& word : command) {
            auto text = platform::FromHostText(word);
            if (!text) {
                std::cerr << "tarnwell: the argument \"" << word
                          << "\" has characters the machine's code page cannot hold\n";
                status = 2;
                return;
            }
            // A single word is taken as a whole command line, as Add/Remove Programs runs one.
            line += (line.empty() ? "" : " ") +
                    (command.size() == 1 ? *text : platform::QuoteArgument(*text));
        }
        platform::IProcesses& processes = *m.GetServices().processes;
        platform::ProcessStart start;
        start.commandLine = line;
        platform::HANDLE process = 0;
        if (const auto rc = processes.CreateProcess(start, process);
            rc != platform::ERROR_SUCCESS) {
            std::cerr << "tarnwell: could not start \"" << platform::ToHostText(line)
                      << "\" (error " << rc << ")\n";
            status = 1;
            return;
        }
        // The program opens the machine itself.
        m.ReleaseLock();
        platform::DWORD code = 0;
        processes.WaitForExit(process, platform::INFINITE_WAIT, code);
        processes.CloseProcess(process);
        status = static_cast<int>(code > 255 ? 255 : code);
    });

    CLI::App* where = machine->add_subcommand("where", "Print the machine folder");
    where->callback([&context, &status] {
        std::cout << context.Folder().string() << '\n';
        status = 0;
    });
}

} // namespace tarn::tool
