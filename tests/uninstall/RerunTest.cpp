// Runs that must not touch what is not theirs: names that are not one product, runs stopped and
// started again (each shared count lowered once), engine uses out of range, and what the log and
// the dry run say.
#include "DemoMachine.h"

#include "routines/cmp_TTarnRegistry.h"
#include "support/ToolRunner.h"

#ifndef TARN_UNINSTALL_PATH
#define TARN_UNINSTALL_PATH "uninstall"
#endif

using namespace tarn;
using namespace tarn::test;

namespace {

const std::string kList = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

void DeleteValue(const std::string& key, const std::string& name) {
    TtarnRegistry reg;
    SetRootByCode(reg, rcLocalMachine);
    ASSERT_TRUE(reg.OpenKey(key, false));
    ASSERT_TRUE(reg.DeleteValue(name));
}

} // namespace

// "" would name the whole uninstall list, " " a product called "Files", "Other\Files" a part of
// another product's record.
TEST_F(DemoMachineTest, BlankNamesAndNamesWithABackslashAreRefusedByBothPrograms) {
    LayOut();
    PutString(kList + "\\Other", "DisplayName", "Other");
    PutString(kList + "\\Other\\Files", "File1", "C:\\Other\\o.txt");
    PutString(kList + "\\Files\\Files", "File1", "C:\\Other\\o.txt");
    PutFile("C:\\Other\\o.txt");
    Detach();
    const auto folder = machine.Folder() / "machine";
    for (const std::vector<std::string>& name :
         {std::vector<std::string>{""}, {" "}, {"\t", " "}, {"Other\\Files"}}) {
        ToolCall call;
        call.program = TARN_UNINSTALL_PATH;
        call.args = name;
        call.input = "y\ny\ny\ny\n";
        call.environment = {{"TARNWELL_MACHINE", folder.string()}};
        const auto run = RunTool(call, machine.Folder());
        EXPECT_EQ(run.status, 2) << run.out << run.err;
        ToolCall tool;
        tool.machine = folder;
        tool.args = {"uninstall", "--yes"};
        tool.args.insert(tool.args.end(), name.begin(), name.end());
        const auto toolRun = RunTool(tool, machine.Folder());
        EXPECT_EQ(toolRun.status, 2) << toolRun.out << toolRun.err;
    }
    Attach();
    EXPECT_TRUE(KeyExists(kList + "\\Other\\Files"));
    EXPECT_TRUE(KeyExists(kList + "\\Files\\Files"));
    EXPECT_TRUE(Exists("C:\\Other\\o.txt"));
    ExpectUntouched();
}

TEST_F(UninstallTest, StoppedFilesRunsLowerEachCountOnce) {
    PutFile("C:\\App\\a.dll");
    PutFile("C:\\App\\b.dll");
    PutFile("C:\\App\\c.txt");
    const std::string files = kRecord + "\\Files";
    RecordFiles(files, {"C:\\App\\a.dll", "C:\\App\\b.dll"});
    PutInteger(files, "File3", 7); // stops the run: not a string
    PutString(files, "File4", "C:\\App\\c.txt");
    PutInteger(uninstall::kSharedDllsKey, "C:\\App\\a.dll", 3);
    PutInteger(uninstall::kSharedDllsKey, "C:\\App\\b.dll", 2);
    for (int run = 0; run < 3; ++run) {
        Attach();
        EXPECT_FALSE(Run()) << "run " << run;
        EXPECT_EQ(SharedCount("C:\\App\\a.dll"), 2);
        EXPECT_EQ(SharedCount("C:\\App\\b.dll"), 1);
        EXPECT_TRUE(Exists("C:\\App\\c.txt"));
    }
    EXPECT_TRUE(Questions().empty());
    DeleteValue(files, "File3");
    Attach();
    EXPECT_TRUE(Run());
    // b.dll at 1 was handled by the first run: the last one does not ask about it.
    EXPECT_TRUE(Questions().empty());
    EXPECT_EQ(SharedCount("C:\\App\\a.dll"), 2);
    EXPECT_EQ(SharedCount("C:\\App\\b.dll"), 1);
    EXPECT_TRUE(Exists("C:\\App\\a.dll"));
    EXPECT_FALSE(Exists("C:\\App\\c.txt"));
    EXPECT_FALSE(KeyExists(kRecord));
}

TEST_F(UninstallTest, StoppedActiveXRunsLowerEachCountOnceAndKeepTheServerRecorded) {
    PutFile("C:\\App\\Grid.ocx");
    PutFile("C:\\App\\Server.exe", "not a program");
    RecordFiles(kRecord + "\\ActiveX", {"C:\\App\\Grid.ocx;0", "C:\\App\\Server.exe;1"});
    PutInteger(uninstall::kSharedDllsKey, "C:\\App\\Grid.ocx", 3);
    machine->GetFaults().failedStarts["*"] = platform::ERROR_BAD_FORMAT;
    ui.SetDefaultAnswer(true);
    for (int run = 0; run < 3; ++run) {
        Attach();
        EXPECT_FALSE(Run());
        EXPECT_EQ(SharedCount("C:\\App\\Grid.ocx"), 2);
        EXPECT_TRUE(ValueExists(kRecord + "\\ActiveX", "File2"));
        EXPECT_FALSE(ValueExists(kRecord + "\\ActiveX", "File1"));
    }
    EXPECT_TRUE(Exists("C:\\App\\Grid.ocx"));
    EXPECT_TRUE(Exists("C:\\App\\Server.exe"));
}

TEST_F(UninstallTest, AStoppedIniRunHasForgottenTheFilesItFinished) {
    PutFile("C:\\App\\one.ini", "[S]\r\nA=1\r\nB=2\r\n");
    PutFile("C:\\App\\two.ini", "[S]\r\nA=1\r\n");
    const std::string ini = kRecord + "\\INIFiles";
    PutString(ini + "\\1", "FilePath", "C:\\App\\one.ini");
    PutString(ini + "\\1\\Entries\\S", "A", "");
    PutString(ini + "\\2", "FilePath", "C:\\App\\two.ini");
    PutString(ini + "\\2\\Entries\\S", "A", "");
    machine->GetFaults().undeletableFiles.push_back("C:\\App\\two.ini");
    EXPECT_FALSE(Run());
    EXPECT_EQ(Errors(), (std::vector<std::string>{"Unable to write to C:\\App\\two.ini."}));
    EXPECT_EQ(Content("C:\\App\\one.ini"), "[S]\r\nB=2\r\n");
    EXPECT_FALSE(KeyExists(ini + "\\1"));
    EXPECT_TRUE(KeyExists(ini + "\\2\\Entries\\S"));
}

TEST_F(UninstallTest, EngineUsesAreGivenBackOnceAndNeverRaiseTheCount) {
    PutString(kRecord + "\\BDE", "Entries", "2");
    PutString(uninstall::kEngineKey, "UseCount", "5");
    Create();
    form->RemoveDatabaseEngine();
    form->RemoveDatabaseEngine(); // a run started again after a stop
    EXPECT_EQ(String(uninstall::kEngineKey, "UseCount"), "3");

    for (const std::string added : {"-2", "-2147483648", "4294967299", "99999999999999999999"}) {
        PutString(kRecord + "\\BDE", "Entries", added);
        PutString(uninstall::kEngineKey, "UseCount", "3");
        form->RemoveDatabaseEngine();
        EXPECT_EQ(String(uninstall::kEngineKey, "UseCount"), "3") << added;
    }
    EXPECT_TRUE(Questions().empty());
}

TEST_F(UninstallTest, ASectionRecordedWithBlanksLeavesNoEmptyHeader) {
    PutFile("C:\\App\\app.ini", "[T]\r\nA=1\r\n[U]\r\nB=2\r\n");
    PutString(kRecord + "\\INIFiles\\1", "FilePath", "C:\\App\\app.ini");
    PutString(kRecord + "\\INIFiles\\1\\Entries\\ T ", "A", "");
    EXPECT_TRUE(Run());
    EXPECT_EQ(Content("C:\\App\\app.ini"), "[U]\r\nB=2\r\n");
}

// The log names only what happened; the dry run names all that the run would remove, an INI
// file left empty and its folder included.
TEST_F(DemoMachineTest, TheLogAndTheDryRunSayWhatTheRunDoes) {
    PutFile("C:\\Solo\\solo.ini", "[S]\r\nA=1\r\n");
    PutString(kRecord + "\\INIFiles\\1", "FilePath", "C:\\Solo\\solo.ini");
    PutString(kRecord + "\\INIFiles\\1\\Entries\\S", "A", "");
    Detach();
    const auto folder = machine.Folder() / "machine";
    ToolCall dry;
    dry.machine = folder;
    dry.args = {"uninstall", "--dry-run", "--yes", "Demo", "Product"};
    const auto plan = RunTool(dry, machine.Folder());
    EXPECT_EQ(plan.status, 0) << plan.err;
    EXPECT_NE(plan.out.find("would: delete C:\\Solo\\solo.ini\n"), std::string::npos) << plan.out;
    EXPECT_NE(plan.out.find("would: remove folder C:\\Solo\\\n"), std::string::npos) << plan.out;
    EXPECT_EQ(plan.out.find("\\Files"), std::string::npos) << plan.out;

    const auto log = machine.Folder() / "run.log";
    ToolCall real;
    real.machine = folder;
    real.args = {"uninstall", "--yes", "--log", log.string(), "Demo", "Product"};
    const auto run = RunTool(real, machine.Folder());
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string text = ReadHostFile(log);
    EXPECT_NE(text.find("deleted C:\\Solo\\solo.ini\n"), std::string::npos) << text;
    EXPECT_NE(text.find("removed folder C:\\Solo\\"), std::string::npos) << text;
    // Only the INI part of the record existed.
    EXPECT_EQ(text.find("Uninstall\\Demo Product\\Files"), std::string::npos) << text;
    EXPECT_EQ(text.find("\\ActiveX"), std::string::npos) << text;
    EXPECT_NE(text.find("deleted registry key HKEY_LOCAL_MACHINE" + kRecord + "\\INIFiles"),
              std::string::npos)
        << text;
    Attach();
    EXPECT_FALSE(Exists("C:\\Solo\\solo.ini"));
}
