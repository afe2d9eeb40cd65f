// Whole runs on a machine with a complete record: the uninstall program placed in the product's
// folder, a run stopped by a failing phase and finished by a second one, a run without write
// access, and the tool's run for scripts.
#include "DemoMachine.h"

#include "routines/cmp_TTarnRegistry.h"
#include "support/ToolRunner.h"

#ifndef TARN_UNINSTALL_PATH
#define TARN_UNINSTALL_PATH "uninstall"
#endif

using namespace tarn;
using namespace tarn::test;

namespace {

using ProgramRun = ToolRun;

// Runs a program on the machine in folder with the arguments and standard input given.
ProgramRun RunOnMachine(const std::filesystem::path& program, const std::filesystem::path& folder,
                        const std::vector<std::string>& args, const std::string& input,
                        const std::filesystem::path& scratch) {
    ToolCall call;
    call.args = args;
    call.input = input;
    call.program = program;
    call.environment = {{"TARNWELL_MACHINE", folder.string()}};
    return RunTool(call, scratch);
}

} // namespace

TEST_F(DemoMachineTest, TheUninstallProgramInTheProductFolderRemovesTheProduct) {
    LayOut();
    const std::string self = kFolder + "\\uninstall.exe";
    std::filesystem::copy_file(TARN_UNINSTALL_PATH, machine.Host(self));
    Detach();
    const auto run = RunOnMachine(machine.Host(self), machine.Folder() / "machine",
                                  {"Demo", "Product"}, "y\ny\nn\ny\n", machine.Folder());
    Attach();
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_NE(run.out.find("Remove Demo Product\n"), std::string::npos) << run.out;
    for (const char* line : {"[x] Aliases\n", "[x] ActiveX/OCX components\n", "[x] Files\n",
                             "[x] INI file entries\n", "[x] BDE\n", "[x] Registry entries\n"})
        EXPECT_NE(run.out.find(line), std::string::npos) << line;
    EXPECT_NE(run.out.find("uninstall: The uninstallation program for Demo Product will be "
                           "removed after you reboot your computer."),
              std::string::npos)
        << run.out;
    ExpectRemoved();
    EXPECT_EQ(ReadHostFile(Seen()), "/UNREGSERVER");
    // No engine on this machine: the alias went with the record only.
    EXPECT_EQ(String(uninstall::kEngineKey, "UseCount"), "2");
    // The program is still there and goes at the next restart.
    EXPECT_TRUE(Exists(self));
    machine->Restart();
    EXPECT_FALSE(Exists(self));
    EXPECT_TRUE(Exists(kFolder + "\\Help.hlp"));
}

TEST_F(DemoMachineTest, TheProgramRefusesToRunWithoutAProductName) {
    Detach();
    const auto run =
        RunOnMachine(TARN_UNINSTALL_PATH, machine.Folder() / "machine", {}, "", machine.Folder());
    Attach();
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find("Please remove this software from the Add/Remove Programs from the "
                           "Control Panel."),
              std::string::npos);
}

TEST_F(DemoMachineTest, ARefusedCountWriteStopsTheRunAndASecondRunFinishes) {
    LayOut();
    machine->GetFaults().refuseValueWriteKeys.push_back(std::string("HKEY_LOCAL_MACHINE") +
                                                        uninstall::kSharedDllsKey);
    ui.Answer(true);
    ui.Answer(true);
    ui.Answer(false);
    EXPECT_FALSE(Run());
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_NE(Errors()[0].find("SharedDLLs"), std::string::npos);
    EXPECT_TRUE(view.Ticked(uninstall::TPhaseBox::pbActiveX));
    EXPECT_FALSE(view.Ticked(uninstall::TPhaseBox::pbFiles));
    EXPECT_FALSE(view.ProgressVisible());
    EXPECT_EQ(Errors()[0].back(), '.');
    EXPECT_TRUE(Notices().empty());
    // The ActiveX phase is done, the files phase stopped at the shared library.
    EXPECT_FALSE(KeyExists(kRecord + "\\ActiveX"));
    EXPECT_FALSE(Exists(kFolder + "\\demo.txt"));
    EXPECT_TRUE(KeyExists(kRecord + "\\Files"));
    EXPECT_TRUE(KeyExists(kRecord + "\\Files1"));
    EXPECT_TRUE(KeyExists(kRecord + "\\INIFiles"));
    EXPECT_TRUE(KeyExists(kRecord + "\\RegistryKeys"));
    EXPECT_EQ(Content("C:\\WINDOWS\\WIN.INI"), kWinIni);
    EXPECT_EQ(String(uninstall::kEngineKey, "UseCount"), "3");

    machine->GetFaults().Clear();
    ui.ClearBoxes();
    ui.Answer(true); // the system library, the only question left
    Attach();
    EXPECT_TRUE(Run());
    EXPECT_EQ(Questions().size(), 1u);
    EXPECT_TRUE(Errors().empty());
    ExpectRemoved();
}

TEST_F(DemoMachineTest, WithHkeyLocalMachineReadOnlyNothingGoesAndTheClosingMessageComes) {
    LayOut();
    machine->GetFaults().denyWriteKeys.push_back("HKEY_LOCAL_MACHINE");
    EXPECT_TRUE(Run());
    EXPECT_TRUE(Questions().empty());
    EXPECT_TRUE(Errors().empty());
    // The alias record cannot be opened for writing: nothing is asked of the engine.
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"init 500", "exit"}));
    ASSERT_EQ(Notices().size(), 1u);
    EXPECT_NE(Notices()[0].find("will be removed after you reboot your computer."),
              std::string::npos);
    machine->GetFaults().Clear();
    ExpectUntouched();
    EXPECT_TRUE(KeyExists(kRecord + "\\Aliases\\DemoDB"));
}

TEST_F(DemoMachineTest, WithAnEngineTheAliasIsDeletedInTheFullRun) {
    LayOut();
    ui.Answer(true);
    ui.Answer(true);
    ui.Answer(false);
    ui.Answer(true);
    EXPECT_TRUE(Run());
    EXPECT_EQ(engine.calls,
              (std::vector<std::string>{"init 500", "delete DemoDB", "save 1", "exit"}));
    EXPECT_EQ(Questions().size(), 4u);
    ExpectRemoved();
}

TEST_F(DemoMachineTest, TheToolsDryRunListsThePlanAndChangesNothing) {
    LayOut();
    Detach();
    const auto before = SnapshotMachineFolder(machine.Folder() / "machine");
    const auto log = machine.Folder() / "dry.log";
    ToolCall call;
    call.machine = machine.Folder() / "machine";
    call.args = {"uninstall", "--dry-run", "--yes", "--log", log.string(), "Demo", "Product"};
    const auto run = RunTool(call, machine.Folder());
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(SnapshotMachineFolder(machine.Folder() / "machine"), before);
    EXPECT_NE(run.out.find("would: delete " + kFolder + "\\demo.txt"), std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("would: keep " + sharedShort + " with count 1"), std::string::npos);
    EXPECT_NE(run.out.find("would: ask: Uninstall has determined that the file " + kSystemLib),
              std::string::npos);
    EXPECT_NE(run.out.find("would: remove [Extensions] dmo from C:\\WINDOWS\\WIN.INI"),
              std::string::npos);
    EXPECT_NE(run.out.find("would: keep the database engine with use count 2"), std::string::npos);
    // Phase order: ActiveX before files before INI entries.
    EXPECT_LT(run.out.find("Grid.ocx"), run.out.find("demo.txt"));
    EXPECT_LT(run.out.find("demo.txt"), run.out.find("WIN.INI"));
    EXPECT_NE(ReadHostFile(log).find("delete " + kFolder + "\\demo.txt\n"), std::string::npos);
    Attach();
}

TEST_F(DemoMachineTest, TheToolRemovesTheProductAndLogsEachAction) {
    LayOut();
    Detach();
    const auto log = machine.Folder() / "run.log";
    ToolCall call;
    call.machine = machine.Folder() / "machine";
    call.args = {"uninstall", "--log", log.string(), "Demo", "Product"};
    call.input = "y\ny\nn\ny\n";
    const auto run = RunTool(call, machine.Folder());
    Attach();
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("Removed Demo Product."), std::string::npos);
    ExpectRemoved();
    const std::string text = ReadHostFile(log);
    EXPECT_NE(text.find("deleted " + kFolder + "\\demo.txt\n"), std::string::npos) << text;
    EXPECT_NE(text.find("kept " + sharedShort + " with count 1\n"), std::string::npos);
    EXPECT_NE(text.find("kept " + kFolder + "\\Help.hlp, because the answer was No\n"),
              std::string::npos);
    EXPECT_NE(text.find("unregistered " + kFolder + "\\DemoServer.exe"), std::string::npos);
    EXPECT_NE(text.find("skipped aliases, because no database engine could be initialised"),
              std::string::npos);
}

TEST_F(DemoMachineTest, TheToolWithNoKeepsEverythingAsked) {
    LayOut();
    Detach();
    ToolCall call;
    call.machine = machine.Folder() / "machine";
    call.args = {"uninstall", "--no", "Demo", "Product"};
    const auto run = RunTool(call, machine.Folder());
    Attach();
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Exists(kFolder + "\\Grid.ocx"));
    EXPECT_TRUE(Exists(kSystemLib));
    EXPECT_FALSE(Exists(kFolder + "\\demo.txt"));
    EXPECT_FALSE(KeyExists(kRecord));
}
