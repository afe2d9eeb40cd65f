// Program starts on the embedded machine: host scripts stand in for Windows programs.
#include "platform/Platform.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

using namespace tarn::platform;
using tarn::test::ReadHostFile;
using tarn::test::TempMachine;
using tarn::test::WriteHostFile;

namespace {

// A script at C:\Tools\server.exe that logs its command line, show mode and arguments.
std::string MakeServer(TempMachine& m, const std::string& body = "") {
    auto host = m.Host("C:\\Tools\\server.exe");
    WriteHostFile(host, "#!/bin/sh\nout=\"$(dirname \"$0\")/log.txt\"\n"
                        "printf '%s|%s|%s\\n' \"$TARNWELL_COMMAND_LINE\" \"$TARNWELL_SHOW_WINDOW\" "
                        "\"$#:$1\" >> \"$out\"\n" +
                            body);
    std::filesystem::permissions(host, std::filesystem::perms::owner_all);
    return "C:\\Tools\\server.exe";
}

DWORD RunToEnd(const ProcessStart& start) {
    HANDLE p = 0;
    DWORD rc = Processes().CreateProcess(start, p);
    if (rc != ERROR_SUCCESS) return rc;
    DWORD code = 0;
    EXPECT_EQ(Processes().WaitForExit(p, INFINITE_WAIT, code), ERROR_SUCCESS);
    Processes().CloseProcess(p);
    return code == 0 ? ERROR_SUCCESS : 0xFFFF;
}

} // namespace

TEST(Processes, ProgramSeesItsExactCommandLineAndShowMode) {
    TempMachine m;
    std::string server = MakeServer(m);
    ProcessStart start;
    start.application = "c:\\tools\\SERVER.EXE";
    start.commandLine = "/UNREGSERVER \"two words\"";
    start.showWindow = SW_HIDE;
    ASSERT_EQ(RunToEnd(start), ERROR_SUCCESS);
    EXPECT_EQ(ReadHostFile(m.Host("C:\\Tools\\log.txt")),
              "/UNREGSERVER \"two words\"|0|2:/UNREGSERVER\n");
}

TEST(Processes, StartReturnsWhileTheProgramRuns) {
    TempMachine m;
    auto gate = m.Folder() / "gate";
    std::string server =
        MakeServer(m, "while [ ! -e " + gate.string() +
                          " ] && [ -d \"$(dirname \"$0\")\" ]; do sleep 0.01; done\n");
    ProcessStart start;
    start.application = server;
    HANDLE p = 0;
    ASSERT_EQ(Processes().CreateProcess(start, p), ERROR_SUCCESS);
    EXPECT_EQ(Processes().WaitForInputIdle(p, INFINITE_WAIT), ERROR_SUCCESS);
    DWORD code = 0;
    EXPECT_EQ(Processes().WaitForExit(p, 0, code), WAIT_TIMEOUT_CODE); // still running
    // As on Windows, the file of a running program can be neither deleted nor written.
    HANDLE file = INVALID_HANDLE_VALUE;
    EXPECT_EQ(Files().DeleteFile(server), ERROR_ACCESS_DENIED);
    EXPECT_EQ(Files().CreateFile(server, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, file),
              ERROR_SHARING_VIOLATION);
    WriteHostFile(gate, "");
    EXPECT_EQ(Processes().WaitForExit(p, INFINITE_WAIT, code), ERROR_SUCCESS);
    EXPECT_EQ(code, 0u);
    Processes().CloseProcess(p);
    EXPECT_EQ(Files().DeleteFile(server), ERROR_SUCCESS);
}

TEST(Processes, FailedStartsGiveWin32Errors) {
    TempMachine m;
    ProcessStart start;
    HANDLE p = 0;
    start.application = "C:\\Tools\\missing.exe";
    std::filesystem::create_directories(m.Host("C:\\Tools"));
    EXPECT_EQ(Processes().CreateProcess(start, p), ERROR_FILE_NOT_FOUND);
    start.application = "C:\\NoSuchFolder\\missing.exe";
    EXPECT_EQ(Processes().CreateProcess(start, p), ERROR_PATH_NOT_FOUND);
    WriteHostFile(m.Host("C:\\Tools\\data.exe"), "MZ not for this machine");
    start.application = "C:\\Tools\\data.exe";
    EXPECT_EQ(Processes().CreateProcess(start, p), ERROR_BAD_EXE_FORMAT);

    start.application = MakeServer(m);
    m->GetFaults().failedStarts["C:\\TOOLS\\server.exe"] = ERROR_ACCESS_DENIED;
    EXPECT_EQ(Processes().CreateProcess(start, p), ERROR_ACCESS_DENIED);
    m->GetFaults().failedStarts.clear();
    EXPECT_EQ(RunToEnd(start), ERROR_SUCCESS);
}

TEST(Processes, CommandLineAloneNamesTheProgram) {
    TempMachine m;
    MakeServer(m);
    ProcessStart start;
    start.commandLine = "\"C:\\Tools\\server.exe\" first second";
    ASSERT_EQ(RunToEnd(start), ERROR_SUCCESS);
    EXPECT_EQ(ReadHostFile(m.Host("C:\\Tools\\log.txt")),
              "\"C:\\Tools\\server.exe\" first second|1|2:first\n");
}
