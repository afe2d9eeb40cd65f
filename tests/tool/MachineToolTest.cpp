// tarnwell machine and tarnwell reg, run as a separate program the way scripts use them.
#include "support/TempMachine.h"
#include "support/ToolRunner.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

namespace tarn::test {
namespace {

class MachineToolTest : public testing::Test {
protected:
    ToolRun Run(const std::vector<std::string>& args, const std::string& input = "") {
        return RunTool(args, machine_, folder_.Path(), input, folder_.Path());
    }
    std::string Registry() const { return ReadHostFile(machine_ / "registry.reg"); }

    TempFolder folder_;
    std::filesystem::path machine_ = folder_.Path() / "m";
};

TEST_F(MachineToolTest, InitCreatesTheMachineOnceAndWhereFindsIt) {
    ToolRun init = Run({"machine", "init"});
    ASSERT_EQ(init.status, 0) << init.err;
    EXPECT_NE(init.out.find("Machine created"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_directory(machine_ / "drive_c" / "WINDOWS" / "SYSTEM32"));
    EXPECT_NE(Registry().find("\"CurrentVersion\"=\"5.1\""), std::string::npos);
    EXPECT_NE(Run({"machine", "init"}).out.find("Machine exists"), std::string::npos);
    EXPECT_EQ(Run({"machine", "where"}).out, machine_.string() + "\n");

    ToolRun win98 = Run({"machine", "init", "--windows", "win98"});
    ASSERT_EQ(win98.status, 0) << win98.err;
    EXPECT_NE(Registry().find("\"VersionNumber\"=\"4.10.1998\""), std::string::npos);
    EXPECT_EQ(Run({"machine", "init", "--windows", "os2"}).status, 2);
}

TEST_F(MachineToolTest, RegAddQueryDeleteFollowRegExe) {
    ToolRun add = Run({"reg", "add", "HKLM\\Software\\Tool Test", "/v", "Count", "/t", "REG_DWORD",
                       "/d", "0x10", "/f"});
    ASSERT_EQ(add.status, 0) << add.err;
    ASSERT_EQ(Run({"reg", "add", "HKLM\\Software\\Tool Test", "/ve", "/d", "default text"}).status,
              0);
    ASSERT_EQ(Run({"reg", "add", "HKLM\\Software\\Tool Test\\Sub", "/v", "List", "/t",
                   "REG_MULTI_SZ", "/s", ",", "/d", "a,b"})
                  .status,
              0);
    EXPECT_NE(Registry().find("\"Count\"=dword:00000010"), std::string::npos);
    EXPECT_NE(Registry().find("@=\"default text\""), std::string::npos);
    EXPECT_NE(Registry().find("\"List\"=hex(7):61,00,62,00,00"), std::string::npos);
    // reg.exe's default separator is the two characters \0; a trailing one ends the list.
    ASSERT_EQ(Run({"reg", "add", "HKLM\\Software\\Tool Test\\Sub", "/v", "Pair", "/t",
                   "REG_MULTI_SZ", "/d", "a,b\\0c\\0"})
                  .status,
              0);
    EXPECT_NE(Registry().find("\"Pair\"=hex(7):61,2c,62,00,63,00,00"), std::string::npos);
    // An empty string inside would end the list early for every reader.
    EXPECT_EQ(Run({"reg", "add", "HKLM\\Software\\Tool Test\\Sub", "/v", "Gap", "/t",
                   "REG_MULTI_SZ", "/d", "a\\0\\0b"})
                  .status,
              2);

    ToolRun query = Run({"reg", "query", "hklm\\software\\tool test"});
    ASSERT_EQ(query.status, 0) << query.err;
    EXPECT_NE(query.out.find("HKEY_LOCAL_MACHINE\\software\\tool test\n"), std::string::npos);
    EXPECT_NE(query.out.find("    Count    REG_DWORD    0x10\n"), std::string::npos);
    EXPECT_NE(query.out.find("    (Default)    REG_SZ    default text\n"), std::string::npos);
    EXPECT_NE(query.out.find("HKEY_LOCAL_MACHINE\\software\\tool test\\Sub\n"), std::string::npos);
    ToolRun deep = Run({"reg", "query", "HKLM\\Software\\Tool Test", "/s"});
    EXPECT_NE(deep.out.find("    List    REG_MULTI_SZ    a\\0b\n"), std::string::npos);

    // Overwriting asks; end of input answers No.
    ToolRun kept = Run(
        {"reg", "add", "HKLM\\Software\\Tool Test", "/v", "Count", "/t", "REG_DWORD", "/d", "1"});
    EXPECT_EQ(kept.status, 1);
    EXPECT_NE(Registry().find("\"Count\"=dword:00000010"), std::string::npos);
    ToolRun agreed = Run(
        {"reg", "add", "HKLM\\Software\\Tool Test", "/v", "Count", "/t", "REG_DWORD", "/d", "1"},
        "y\n");
    EXPECT_EQ(agreed.status, 0);
    EXPECT_NE(Registry().find("\"Count\"=dword:00000001"), std::string::npos);

    ASSERT_EQ(Run({"reg", "delete", "HKLM\\Software\\Tool Test", "/v", "Count", "/f"}).status, 0);
    EXPECT_EQ(Registry().find("\"Count\""), std::string::npos);
    ASSERT_EQ(Run({"reg", "delete", "HKLM\\Software\\Tool Test", "/f"}).status, 0);
    EXPECT_EQ(Registry().find("Tool Test"), std::string::npos);
    ToolRun gone = Run({"reg", "query", "HKLM\\Software\\Tool Test"});
    EXPECT_EQ(gone.status, 1);
    EXPECT_NE(gone.err.find("unable to find the specified registry key"), std::string::npos);
}

TEST_F(MachineToolTest, ExportAndImportRoundTrip) {
    ASSERT_EQ(Run({"reg", "add", "HKCU\\Software\\Round", "/v", "Path", "/d", "C:\\x \"y\"", "/f"})
                  .status,
              0);
    ToolRun exported = Run({"reg", "export", "HKCU\\Software\\Round", "round.reg"});
    ASSERT_EQ(exported.status, 0) << exported.err;
    EXPECT_EQ(
        ReadHostFile(folder_.Path() / "round.reg"),
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Round]\n\"Path\"=\"C:\\\\x \\\"y\\\"\"\n\n");
    ASSERT_EQ(Run({"reg", "delete", "HKCU\\Software\\Round", "/f"}).status, 0);
    ASSERT_EQ(Run({"reg", "import", "round.reg"}).status, 0);
    EXPECT_NE(Run({"reg", "query", "HKCU\\Software\\Round", "/v", "Path"}).out.find("C:\\x \"y\""),
              std::string::npos);

    WriteHostFile(folder_.Path() / "bad.reg",
                  "REGEDIT4\n\n[HKEY_CURRENT_USER\\X]\n\"A\"=dword:zz\n");
    std::string before = Registry();
    ToolRun bad = Run({"reg", "import", "bad.reg"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("bad.reg:4"), std::string::npos) << bad.err;
    EXPECT_EQ(Registry(), before);
}

TEST_F(MachineToolTest, UsageErrorsExitWithTwo) {
    EXPECT_EQ(Run({}).status, 2);
    EXPECT_EQ(Run({"reg", "query"}).status, 2);
    EXPECT_EQ(Run({"reg", "query", "HKXX\\Software"}).status, 2);
    EXPECT_EQ(Run({"reg", "add", "HKCU\\Software\\N", "/t", "REG_DWORD", "/d", "12x"}).status, 2);
    EXPECT_EQ(Run({"reg", "add", "HKCU\\Software\\N", "/t", "REG_BOGUS", "/d", "1"}).status, 2);
    EXPECT_EQ(Run({"machine", "fly"}).status, 2);
    EXPECT_EQ(Run({"--help"}).status, 0);
}

TEST_F(MachineToolTest, RestartRunsWhatWasLeftForIt) {
    ASSERT_EQ(Run({"machine", "init"}).status, 0);
    auto job = folder_.Path() / "job.sh";
    WriteHostFile(job, "#!/bin/sh\ntouch " + (folder_.Path() / "ran").string() + "\n");
    std::filesystem::permissions(job, std::filesystem::perms::owner_all);
    std::string windowsJob = "Z:" + job.string();
    for (char& c : windowsJob)
        if (c == '/') c = '\\';
    ASSERT_EQ(Run({"reg", "add", "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                   "/v", "Job", "/d", windowsJob, "/f"})
                  .status,
              0);
    ToolRun restart = Run({"machine", "restart"});
    ASSERT_EQ(restart.status, 0) << restart.err;
    EXPECT_NE(restart.out.find("Started: " + windowsJob), std::string::npos);
    for (int i = 0; i < 500 && !std::filesystem::exists(folder_.Path() / "ran"); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(std::filesystem::exists(folder_.Path() / "ran"));
    EXPECT_EQ(Registry().find("\"Job\""), std::string::npos);
}

} // namespace
} // namespace tarn::test
