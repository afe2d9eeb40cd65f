// The install program and the uninstaller as a user runs them, on a fresh machine: a project's
// files packed into files.1, tarnwell-setup installing them, the product in the uninstall list,
// its uninstall string removing it, and the machine as it was. Also with a file in use, which
// takes a restart and the continuation it starts.
#include "framework/Application.h"
#include "framework/FormReader.h"
#include "install/TreeFixture.h"
#include "install/cmp_TInstall.h"
#include "install/cmp_TInstall_Stored.h"
#include "platform/CommandLine.h"
#include "routines/cmp_TTarnRegistry.h"
#include "support/ToolRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <iterator>
#include <set>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#ifndef TARN_SETUP_PATH
#define TARN_SETUP_PATH "tarnwell-setup"
#endif
#ifndef TARN_UNINSTALL_PATH
#define TARN_UNINSTALL_PATH "uninstall"
#endif

namespace tarn::test {
namespace {

const std::string kDist = "C:\\Dist";
const std::string kProduct = "C:\\Program Files\\Acme Tools";

// One file of the install component's main folder.
std::string FileBlock(const std::string& name, const std::string& sources, const std::string& file,
                      const std::string& more = "") {
    return "  object " + name + ": TInstallFile\n    Container = Install1\n" +
           "    DestinationSpecifier = psContainerDestDir\n" +
           "    ArchiveSpecifier = psContainerArchiveFile\n    SourceDirectory = '" + sources +
           "'\n    SourceFileName = '" + file + "'\n" + more + "  end\n";
}

// The project: a program server, a shared library and a readme in the main folder, and extra
// files (every third one shared).
std::string Project(const std::string& sources, int extra = 0) {
    std::string files = FileBlock("AppExe", sources, "App.exe", "    RegisterActiveX = True\n") +
                        FileBlock("UtilDll", sources, "Util.dll", "    SharedFile = True\n") +
                        FileBlock("Readme", sources, "Readme.txt");
    for (int i = 0; i < extra; ++i)
        files +=
            FileBlock("Extra" + std::to_string(i), sources, "Extra" + std::to_string(i) + ".dat",
                      i % 3 == 0 ? "    SharedFile = True\n" : "");
    return R"(object SetupForm: TForm
  object Install1: TInstall
    UseLoadingProgram = False
    SubPath = '\Acme Tools'
    InstallInformation.CompanyName = 'Acme'
    InstallInformation.ProductName = 'Acme Tools'
    InstallInformation.Version = '2.1'
  end
)" + files +
           "end\n";
}

std::string OnHostDrive(const std::filesystem::path& host) {
    std::string path = "Z:" + host.string();
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

struct SetupRoad : ::testing::Test {
    TempMachine machine;
    TempFolder sources;
    std::filesystem::path machineFolder = machine.Folder() / "machine";

    // Lays out C:\Dist as a built setup: the install program, its form, files.1 and the
    // uninstall program.
    void Build(int extra = 0) {
        // A program server: it notes its registrations in the test's log.
        WriteHostFile(sources.Path() / "App.exe",
                      "#!/bin/sh\ncase \"$1\" in /REGSERVER|/UNREGSERVER) echo \"$1\" >> "
                      "\"$SERVER_LOG\"; exit 0;; esac\nsleep \"${1:-0}\"\n");
        WriteHostFile(sources.Path() / "Util.dll", std::string(3000, 'u'));
        WriteHostFile(sources.Path() / "Readme.txt", "Read me.\r\n");
        for (int i = 0; i < extra; ++i)
            WriteHostFile(sources.Path() / ("Extra" + std::to_string(i) + ".dat"),
                          std::string(20000 + i, static_cast<char>('a' + i % 26)));
        const std::string project = Project(OnHostDrive(sources.Path()), extra);
        std::filesystem::create_directories(machine.Host(kDist));
        std::filesystem::copy_file(TARN_SETUP_PATH, machine.Host(kDist + "\\setup.exe"));
        std::filesystem::copy_file(TARN_UNINSTALL_PATH, machine.Host(kDist + "\\uninstall.exe"));
        WriteHostFile(machine.Host(kDist + "\\setup.frm"), project);
        {
            paths::PathSpecifierUnit specifiers;
            install::NetInstallLocationUnit locations;
            install::InstallContainerUnit containers;
            TApplication app;
            app.ExeName = kDist + "\\setup.exe";
            ScopedApplication scope(app);
            TClassRegistry registry;
            install::RegisterInstallDriverClasses(registry);
            auto form = ReadForm(project, "setup.frm", registry);
            install::InstallComponent()->Compress(install::DriverCompressOptions(0));
        }
        ASSERT_TRUE(std::filesystem::exists(machine.Host(kDist + "\\files.1")));
    }
    std::map<std::string, std::string> Snapshot() {
        machine.Close();
        auto all = SnapshotMachineFolder(machineFolder);
        std::map<std::string, std::string> kept;
        const std::string dist = (machineFolder / "drive_c" / "Dist").string();
        for (auto& [path, content] : all)
            if (path.rfind(dist, 0) != 0 && path.find("machine.lock") == std::string::npos)
                kept[path] = content;
        return kept;
    }
    ToolRun Run(const std::filesystem::path& program, std::vector<std::string> args,
                const std::string& input = "") {
        ToolCall call;
        call.args = std::move(args);
        call.program = program;
        call.input = input;
        call.environment = {{"TARNWELL_MACHINE", machineFolder.string()},
                            {"SERVER_LOG", ServerLog().string()}};
        return RunTool(call, sources.Path());
    }
    std::filesystem::path ServerLog() const { return sources.Path() / "server.log"; }
    std::string Registrations() const {
        std::error_code ec;
        return std::filesystem::exists(ServerLog(), ec) ? ReadHostFile(ServerLog()) : "";
    }
    ToolRun Setup(std::vector<std::string> args) {
        return Run(machine.Host(kDist + "\\setup.exe"), std::move(args));
    }
    ToolRun Restart() {
        ToolCall call;
        call.args = {"machine", "restart"};
        call.machine = machineFolder;
        call.environment = {{"SERVER_LOG", ServerLog().string()}};
        return RunTool(call, sources.Path());
    }
    std::string Value(const std::string& key, const std::string& name) {
        machine.Reopen();
        TtarnRegistry reg;
        reg.SetRootKey(platform::HKEY_LOCAL_MACHINE);
        if (!reg.OpenKey(key, false) || !reg.ValueExists(name)) return "(none)";
        return reg.ReadString(name);
    }
    bool HasKey(const std::string& key) {
        machine.Reopen();
        TtarnRegistry reg;
        reg.SetRootKey(platform::HKEY_LOCAL_MACHINE);
        return reg.KeyExists(key);
    }
    // Runs the uninstall string the list holds, as Add/Remove Programs would.
    ToolRun Uninstall() {
        const std::string command =
            Value(std::string(install::kUninstallKey) + "Acme Tools", "UninstallString");
        EXPECT_GE(platform::SplitCommandLine(command).size(), 2u) << command;
        machine.Close();
        ToolCall call;
        call.args = {"machine", "run", command};
        call.machine = machineFolder;
        call.environment = {{"SERVER_LOG", ServerLog().string()}};
        for (int i = 0; i < 80; ++i)
            call.input += "y\n";
        return RunTool(call, sources.Path());
    }
};

// The lines only one side has, marked < (before) and > (after).
std::string LineDiff(const std::string& before, const std::string& after) {
    auto lines = [](const std::string& text) {
        std::multiset<std::string> set;
        std::size_t start = 0;
        for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
            set.insert(text.substr(start, end - start));
        return set;
    };
    std::multiset<std::string> a = lines(before), b = lines(after), onlyA, onlyB;
    std::set_difference(a.begin(), a.end(), b.begin(), b.end(), std::inserter(onlyA, onlyA.end()));
    std::set_difference(b.begin(), b.end(), a.begin(), a.end(), std::inserter(onlyB, onlyB.end()));
    std::string out;
    for (const auto& line : onlyA)
        out += "  < " + line + "\n";
    for (const auto& line : onlyB)
        out += "  > " + line + "\n";
    return out;
}

std::string Diff(const std::map<std::string, std::string>& before,
                 const std::map<std::string, std::string>& after) {
    std::string out;
    for (const auto& [path, content] : after) {
        auto it = before.find(path);
        if (it == before.end())
            out += "+ " + path + "\n";
        else if (it->second != content)
            out += "~ " + path + "\n" + LineDiff(it->second, content);
    }
    for (const auto& [path, content] : before)
        if (!after.count(path)) out += "- " + path + "\n";
    return out;
}

TEST_F(SetupRoad, AQuietInstallIsListedAndItsUninstallStringLeavesTheMachineAsItWas) {
    Build();
    const auto before = Snapshot();
    const auto run = Setup({"*QUIET", "*LOG=" + kDist + "\\setup.log"});
    ASSERT_EQ(run.status, 0) << run.out << run.err;

    machine.Reopen();
    EXPECT_EQ(ReadHostFile(machine.Host(kProduct + "\\Readme.txt")), "Read me.\r\n");
    EXPECT_EQ(ReadHostFile(machine.Host(kProduct + "\\Util.dll")), std::string(3000, 'u'));
    const std::string record = std::string(install::kUninstallKey) + "Acme Tools";
    EXPECT_EQ(Value(record, "DisplayName"), "Acme Tools");
    EXPECT_EQ(Value(record, "UninstallString"), "\"" + kProduct + "\\uninstall.exe\" Acme Tools");
    EXPECT_EQ(Value(record, "DisplayVersion"), "2.1");
    EXPECT_EQ(Value(record, "Publisher"), "Acme");
    EXPECT_FALSE(HasKey("\\Software\\Tarnwell")); // the run's record is gone
    const std::string log = ReadHostFile(machine.Host(kDist + "\\setup.log"));
    EXPECT_NE(log.find("installed\t" + kProduct + "\\App.exe"), std::string::npos) << log;
    EXPECT_NE(log.find("count raised\t" + kProduct + "\\Util.dll"), std::string::npos) << log;

    // The installed program runs on the machine.
    {
        platform::ProcessStart start;
        start.commandLine = "\"" + kProduct + "\\App.exe\"";
        platform::HANDLE process = 0;
        ASSERT_EQ(platform::Processes().CreateProcess(start, process), platform::ERROR_SUCCESS);
        platform::DWORD code = 1;
        EXPECT_EQ(platform::Processes().WaitForExit(process, 10000, code), platform::ERROR_SUCCESS);
        EXPECT_EQ(code, 0u);
        platform::Processes().CloseProcess(process);
    }

    const auto removal = Uninstall();
    EXPECT_EQ(removal.status, 0) << removal.out << removal.err;
    EXPECT_EQ(Restart().status, 0); // the uninstaller's own file goes at the restart
    EXPECT_EQ(Diff(before, Snapshot()), "");
}

TEST_F(SetupRoad, AFileInUseIsFinishedByTheContinuationAfterTheRestart) {
    Build();
    const auto before = Snapshot();
    // A first install, then the program runs while the same setup installs again.
    ASSERT_EQ(Setup({"*QUIET"}).status, 0);
    const std::string app = machine.Host(kProduct + "\\App.exe").string();
    machine.Reopen();
    platform::HANDLE running = 0;
    platform::ProcessStart start;
    start.commandLine = "\"" + kProduct + "\\App.exe\" 30";
    ASSERT_EQ(platform::Processes().CreateProcess(start, running), platform::ERROR_SUCCESS);
    machine.Close();

    EXPECT_EQ(Registrations(), "/REGSERVER\n");
    const auto again = Setup({"*QUIET"});
    EXPECT_EQ(again.status, 3) << again.out << again.err; // installed, a restart needed
    // The server in use is registered once it is in place, after the restart.
    EXPECT_EQ(Registrations(), "/REGSERVER\n");
    EXPECT_TRUE(HasKey(std::string(install::kInstallRunsKey)));
    {
        // An NT machine keeps the user's run-once list.
        TtarnRegistry reg;
        reg.SetRootKey(platform::HKEY_CURRENT_USER);
        ASSERT_TRUE(reg.OpenKey("\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", false));
        EXPECT_TRUE(reg.ValueExists("TarnwellUnfinished"));
    }
    machine.Close();
    // The program ends before the machine restarts.
    std::system(("pkill -f " + ShellQuote(app) + " >/dev/null 2>&1").c_str());

    const auto restart = Restart();
    EXPECT_EQ(restart.status, 0) << restart.out << restart.err;
    EXPECT_NE(restart.out.find("(exit status 0)"), std::string::npos) << restart.out << restart.err;
    EXPECT_EQ(Registrations(), "/REGSERVER\n/REGSERVER\n");
    EXPECT_FALSE(HasKey("\\Software\\Tarnwell")) << restart.out;
    machine.Reopen();
    EXPECT_EQ(ReadHostFile(machine.Host(kProduct + "\\App.exe")).substr(0, 2), "#!");
    EXPECT_FALSE(std::filesystem::exists(machine.Host(kProduct + "\\App.1")));

    const auto removal = Uninstall();
    EXPECT_EQ(removal.status, 0) << removal.out << removal.err;
    EXPECT_EQ(Restart().status, 0);
    EXPECT_EQ(Diff(before, Snapshot()), "");
}

// Starts the setup and kills it once its log holds at least `lines` lines (or it ended).
int SetupKilledAfter(const std::filesystem::path& program, const std::filesystem::path& machine,
                     const std::filesystem::path& log, int lines) {
    const std::string env = "TARNWELL_MACHINE=" + machine.string();
    std::vector<std::string> words = {program.string(), "*QUIET", "*LOG=C:\\Dist\\setup.log"};
    std::vector<char*> argv;
    for (auto& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);
    std::vector<std::string> envs;
    for (char** e = environ; *e; ++e)
        if (std::string(*e).rfind("TARNWELL_MACHINE=", 0) != 0) envs.push_back(*e);
    envs.push_back(env);
    std::vector<char*> envp;
    for (auto& e : envs)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    pid_t pid = 0;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) return -1;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    for (int waited = 0; waited < 20000; ++waited) {
        if (waitpid(pid, &status, WNOHANG) == pid) return 0; // ended on its own
        std::error_code ec;
        if (std::filesystem::exists(log, ec)) {
            const std::string text = ReadHostFile(log);
            if (std::count(text.begin(), text.end(), '\n') >= lines) break;
        }
        usleep(200);
    }
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return 1;
}

TEST_F(SetupRoad, AnInstallKilledAtAnyMomentIsFinishedByTheNextRunAndRemovedCleanly) {
    Build(24);
    const auto before = Snapshot();
    const std::filesystem::path log = machine.Host(kDist + "\\setup.log");
    int killed = 0;
    for (int lines : {3, 20, 45}) {
        std::filesystem::remove(log);
        killed += SetupKilledAfter(machine.Host(kDist + "\\setup.exe"), machineFolder, log, lines);
    }
    EXPECT_GT(killed, 0) << "no run was stopped";
    const auto run = Setup({"*QUIET"});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_FALSE(HasKey("\\Software\\Tarnwell"));
    const auto removal = Uninstall();
    EXPECT_EQ(removal.status, 0) << removal.out << removal.err;
    EXPECT_EQ(Restart().status, 0);
    EXPECT_EQ(Diff(before, Snapshot()), "") << removal.out;
}

} // namespace
} // namespace tarn::test

namespace tarn::test {
namespace {

#ifndef TARN_TOOL_PATH
#define TARN_TOOL_PATH "tarnwell"
#endif

// The user's whole road with the example project: tarnwell build, the stand-alone setup.exe run
// quietly, the product in the list, its uninstall string run on the machine, the restart.
TEST(WholeRoad, TheExampleBuildsInstallsIsListedAndIsRemovedLeavingTheMachineAsItWas) {
    TempFolder work;
    const std::filesystem::path machine = work.Path() / "machine";
    const std::filesystem::path out = work.Path() / "out";
    auto tool = [&](std::vector<std::string> args, const std::string& input = "") {
        ToolCall call;
        call.args = std::move(args);
        call.machine = machine;
        call.input = input;
        return RunTool(call, work.Path());
    };
    ASSERT_EQ(tool({"machine", "init"}).status, 0);
    const auto before = SnapshotMachineFolder(machine);
    const auto build = tool({"build", std::string(TARN_SOURCE_DIR) + "/examples/acme/acme.tfm",
                             "-o", out.string(), "--standalone"});
    ASSERT_EQ(build.status, 0) << build.out << build.err;
    EXPECT_FALSE(std::filesystem::exists(out / "setup.1.tmp"));

    ToolCall setup;
    setup.program = out / "setup.exe";
    setup.args = {"*QUIET"};
    setup.environment = {{"TARNWELL_MACHINE", machine.string()}};
    const auto installed = RunTool(setup, work.Path());
    ASSERT_EQ(installed.status, 0) << installed.out << installed.err;

    const auto list = tool({"list"});
    EXPECT_NE(list.out.find("UninstallString: \"C:\\Program Files\\Acme Tools\\uninstall.exe\" "
                            "Acme Tools"),
              std::string::npos)
        << list.out;
    // Nothing of the run is left: its record and the temporary copy of the install program.
    EXPECT_EQ(tool({"reg", "query", "HKLM\\Software\\Tarnwell"}).status, 1);
    EXPECT_TRUE(std::filesystem::is_empty(machine / "drive_c" / "WINDOWS" / "TEMP"));

    std::string yes;
    for (int i = 0; i < 20; ++i)
        yes += "y\n";
    const auto removed = tool(
        {"machine", "run", "\"C:\\Program Files\\Acme Tools\\uninstall.exe\" Acme Tools"}, yes);
    EXPECT_EQ(removed.status, 0) << removed.out << removed.err;
    EXPECT_EQ(tool({"machine", "restart"}).status, 0);
    auto after = SnapshotMachineFolder(machine);
    after.erase((machine / "machine.lock").string());
    auto expected = before;
    expected.erase((machine / "machine.lock").string());
    EXPECT_EQ(after, expected);
}

} // namespace
} // namespace tarn::test

namespace tarn::test {
namespace {

// The same road through a stand-alone setup.exe with a program server in use: the setup asks for
// the restart, the restart runs the continuation from the setup's temporary copy, and the
// uninstall string then leaves the machine as it was.
TEST_F(SetupRoad, AStandAloneSetupWithAFileInUseFinishesAfterTheRestart) {
    Build();
    const std::filesystem::path out = sources.Path() / "out";
    const std::filesystem::path project = sources.Path() / "project.tfm";
    std::string text = ReadHostFile(machine.Host(kDist + "\\setup.frm"));
    text.erase(text.find("    UseLoadingProgram = False\n"), 30); // started by the loader
    WriteHostFile(project, text);
    machine.Close();
    auto tool = [&](std::vector<std::string> args) {
        ToolCall call;
        call.args = std::move(args);
        call.machine = machineFolder;
        call.environment = {{"SERVER_LOG", ServerLog().string()}};
        return RunTool(call, sources.Path());
    };
    const auto built = tool({"build", project.string(), "-o", out.string(), "--standalone"});
    ASSERT_EQ(built.status, 0) << built.out << built.err;
    std::filesystem::remove_all(machine.Host(kDist));
    const auto before = Snapshot();
    auto setup = [&] { return Run(out / "setup.exe", {"*QUIET"}); };
    ASSERT_EQ(setup().status, 0);

    machine.Reopen();
    platform::HANDLE running = 0;
    platform::ProcessStart start;
    start.commandLine = "\"" + kProduct + "\\App.exe\" 30";
    ASSERT_EQ(platform::Processes().CreateProcess(start, running), platform::ERROR_SUCCESS);
    const std::string app = machine.Host(kProduct + "\\App.exe").string();
    machine.Close();
    const auto again = setup();
    EXPECT_EQ(again.status, 3) << again.out << again.err;
    std::system(("pkill -f " + ShellQuote(app) + " >/dev/null 2>&1").c_str());

    const auto restart = Restart();
    EXPECT_NE(restart.out.find("(exit status 0)"), std::string::npos) << restart.out << restart.err;
    EXPECT_EQ(Registrations(), "/REGSERVER\n/REGSERVER\n");
    EXPECT_FALSE(HasKey("\\Software\\Tarnwell"));
    machine.Close();
    EXPECT_TRUE(std::filesystem::is_empty(machineFolder / "drive_c" / "WINDOWS" / "TEMP"));

    const auto removal = Uninstall();
    EXPECT_EQ(removal.status, 0) << removal.out << removal.err;
    EXPECT_EQ(Restart().status, 0);
    EXPECT_EQ(Diff(before, Snapshot()), "");
}

} // namespace
} // namespace tarn::test
