#include "platform/Platform.h"
#include "routines/routines_Exceptions.h"
#include "routines/routines_FileSystem.h"
#include "support/TempMachine.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace tarn;
using namespace tarn::platform;
using tarn::test::ReadHostFile;
using tarn::test::TempMachine;
using tarn::test::WriteHostFile;

namespace {

std::string LaunchMessage(std::int32_t code, std::int32_t* gotCode = nullptr) {
    try {
        RaiseLaunchError(code);
    } catch (const EProgramLauncherFailed& e) {
        if (gotCode) *gotCode = e.ErrorCode;
        return e.Message();
    }
    return "<no exception>";
}

} // namespace

TEST(ProgramLauncher, LaunchErrorsUseTheClassicTexts) {
    std::int32_t code = -1;
    EXPECT_EQ(LaunchMessage(8, &code), "Out of memory");
    EXPECT_EQ(code, 8);
    EXPECT_EQ(LaunchMessage(0), "Out of memory");
    EXPECT_EQ(LaunchMessage(31), "File type has no association");
    EXPECT_EQ(LaunchMessage(7, &code), "Unknown error");
    EXPECT_EQ(code, 7);
    EXPECT_EQ(LaunchMessage(99), "Unknown error");
    EXPECT_EQ(LaunchMessage(13), "Invalid DOS version");
    EXPECT_EQ(LaunchMessage(21), "Application requires Win32");
}

TEST(ProgramLauncher, StartsWithTheExactCommandLineAndReturnsWhileItRuns) {
    TempMachine m;
    auto gate = m.Folder() / "gate";
    auto script = m.Host("C:\\Servers\\server.exe");
    WriteHostFile(script, "#!/bin/sh\nprintf '%s|%s' \"$TARNWELL_COMMAND_LINE\" "
                          "\"$TARNWELL_SHOW_WINDOW\" > \"$(dirname \"$0\")/seen.txt\"\n"
                          "while [ ! -e " +
                              gate.string() +
                              " ] && [ -d \"$(dirname \"$0\")\" ]; do sleep 0.01; "
                              "done\n"
                              "touch \"$(dirname \"$0\")/ended\"\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    TProgramLauncher launcher;
    EXPECT_EQ(launcher.Action, "Open");
    EXPECT_EQ(launcher.Timeout, -1);
    EXPECT_TRUE(launcher.Wait);
    launcher.FileName = "C:\\Servers\\server.exe";
    launcher.Parameters = "/UNREGSERVER";
    launcher.ShowMode = smHide;
    launcher.Execute();
    // Execute came back although the program waits for the gate.
    EXPECT_FALSE(std::filesystem::exists(m.Host("C:\\Servers\\ended")));
    for (int i = 0; i < 500 && !std::filesystem::exists(m.Host("C:\\Servers\\seen.txt")); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    tarn::test::WriteHostFile(gate, "");
    EXPECT_EQ(ReadHostFile(m.Host("C:\\Servers\\seen.txt")), "/UNREGSERVER|0");
    for (int i = 0; i < 500 && !std::filesystem::exists(m.Host("C:\\Servers\\ended")); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

TEST(ProgramLauncher, FailedStartsSayWhy) {
    TempMachine m;
    std::filesystem::create_directories(m.Host("C:\\Servers"));
    TProgramLauncher launcher;
    launcher.FileName = "C:\\Servers\\missing.exe";
    try {
        launcher.Execute();
        FAIL();
    } catch (const EProgramLauncherFailed& e) {
        EXPECT_EQ(e.Message(), "File not found");
        EXPECT_EQ(e.ErrorCode, 2);
    }
    launcher.FileName = "C:\\Nowhere\\missing.exe";
    try {
        launcher.Execute();
        FAIL();
    } catch (const EProgramLauncherFailed& e) {
        EXPECT_EQ(e.Message(), "Path not found");
    }
    WriteHostFile(m.Host("C:\\Servers\\text.exe"), "not a program");
    launcher.FileName = "C:\\Servers\\text.exe";
    try {
        launcher.Execute();
        FAIL();
    } catch (const EProgramLauncherFailed& e) {
        EXPECT_EQ(e.Message(), "Invalid file");
    }
}

TEST(FileAttributeSet, SetsExactlyTheMappedAttributes) {
    TempMachine m;
    WriteHostFile(m.Host("C:\\f.txt"), "x");
    SetFileAttributeSet("C:\\f.txt", TFileAttributeSet{faArchive, faReadOnly});
    DWORD attrs = 0;
    ASSERT_EQ(Files().GetAttributes("C:\\f.txt", attrs), ERROR_SUCCESS);
    EXPECT_EQ(attrs, FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_READONLY);
    TFileAttributeSet got;
    GetFileAttributeSet("C:\\f.txt", got);
    EXPECT_EQ(got, TFileAttributeSet{faReadOnly});

    SetFileAttributeSet("C:\\f.txt", TFileAttributeSet{faIgnored});
    ASSERT_EQ(Files().GetAttributes("C:\\f.txt", attrs), ERROR_SUCCESS);
    EXPECT_EQ(attrs & ~FILE_ATTRIBUTE_NORMAL, 0u);
    GetFileAttributeSet("C:\\f.txt", got);
    EXPECT_TRUE(got.Empty());

    got = TFileAttributeSet{faHidden};
    GetFileAttributeSet("C:\\missing.txt", got); // unchanged when the file cannot be opened
    EXPECT_EQ(got, TFileAttributeSet{faHidden});
    try {
        SetFileAttributeSet("C:\\missing.txt", TFileAttributeSet{faArchive});
        FAIL();
    } catch (const IEfcSetAttributes& e) {
        EXPECT_EQ(e.Message(), "Cannot set file attributes. Error : The system cannot find the "
                               "file specified.");
    }
}
