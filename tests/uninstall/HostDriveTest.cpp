// An install record that names host files through drive Z:: the host is not the machine's to
// change, so the run and its dry run keep the file and its folder and say so.
#include "DemoMachine.h"

#include "support/ToolRunner.h"

#include <algorithm>

using namespace tarn;
using namespace tarn::test;

TEST_F(DemoMachineTest, HostFilesNamedByARecordStayWithTheirFolder) {
    TempFolder host;
    WriteHostFile(host.Path() / "notes" / "notes.txt", "mine");
    std::string notes = "Z:" + (host.Path() / "notes" / "notes.txt").string();
    std::replace(notes.begin(), notes.end(), '/', '\\');
    PutString(kRecord + "\\Files", "File1", notes);
    PutString(kRecord + "\\Files", "Entries", "1");
    Detach();
    const auto folder = machine.Folder() / "machine";

    ToolCall dry;
    dry.machine = folder;
    dry.args = {"uninstall", "--dry-run", "--yes", "Demo", "Product"};
    const auto plan = RunTool(dry, machine.Folder());
    EXPECT_EQ(plan.status, 0) << plan.err;
    EXPECT_NE(plan.out.find("would: keep " + notes + ", because it may not be deleted\n"),
              std::string::npos)
        << plan.out;
    EXPECT_EQ(plan.out.find("remove folder Z:"), std::string::npos) << plan.out;

    const auto log = machine.Folder() / "run.log";
    ToolCall real;
    real.machine = folder;
    real.args = {"uninstall", "--yes", "--log", log.string(), "Demo", "Product"};
    const auto run = RunTool(real, machine.Folder());
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string text = ReadHostFile(log);
    EXPECT_NE(text.find("kept " + notes + ", because it could not be deleted\n"), std::string::npos)
        << text;
    EXPECT_EQ(ReadHostFile(host.Path() / "notes" / "notes.txt"), "mine");
    EXPECT_TRUE(std::filesystem::is_directory(host.Path() / "notes"));
}
