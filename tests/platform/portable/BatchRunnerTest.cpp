// Batch files started on the embedded machine: the commands install batch files hold act on the
// machine's files, through its rules; anything else is refused line by line.
#include "platform/Platform.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace tarn::platform;
using tarn::test::ReadHostFile;
using tarn::test::TempMachine;
using tarn::test::WriteHostFile;

namespace {

namespace fs = std::filesystem;

// Written through the machine's file service, as the install side writes its batch files.
void WriteBatch(const std::string& path, const std::string& text) {
    HANDLE file = INVALID_HANDLE_VALUE;
    ASSERT_EQ(
        Files().CreateFile(path, GENERIC_WRITE, 0, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, file),
        ERROR_SUCCESS);
    DWORD written = 0;
    ASSERT_EQ(Files().WriteFile(file, text.data(), static_cast<DWORD>(text.size()), written),
              ERROR_SUCCESS);
    ASSERT_EQ(Files().CloseFile(file), ERROR_SUCCESS);
}

struct Outcome {
    DWORD exitCode = 0xDEAD;
    std::string messages; // what went to standard error
};

// Starts the batch and checks that its handle is one of a program that has already ended.
Outcome Start(const ProcessStart& start) {
    Outcome run;
    HANDLE process = 0;
    testing::internal::CaptureStderr();
    const DWORD rc = Processes().CreateProcess(start, process);
    run.messages = testing::internal::GetCapturedStderr();
    EXPECT_EQ(rc, ERROR_SUCCESS);
    if (rc != ERROR_SUCCESS) return run;
    EXPECT_EQ(Processes().WaitForInputIdle(process, 0), ERROR_SUCCESS);
    EXPECT_EQ(Processes().WaitForExit(process, 0, run.exitCode), ERROR_SUCCESS);
    EXPECT_EQ(Processes().CloseProcess(process), ERROR_SUCCESS);
    EXPECT_EQ(Processes().CloseProcess(process), ERROR_INVALID_HANDLE);
    return run;
}

Outcome StartCommand(const std::string& commandLine) {
    ProcessStart start;
    start.commandLine = commandLine;
    return Start(start);
}

bool Exists(const std::string& path) {
    DWORD attributes = 0;
    return Files().GetAttributes(path, attributes) == ERROR_SUCCESS;
}

std::string ShortPath(const std::string& path) {
    std::string shortPath;
    EXPECT_EQ(Files().GetShortPathName(path, shortPath), ERROR_SUCCESS) << path;
    return shortPath;
}

// The Windows path of a host path on the host drive Z:.
std::string OnHostDrive(const fs::path& host) {
    std::string path = "Z:" + host.string();
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

} // namespace

TEST(BatchFiles, EraseTakesShortPathsAndWildcardsAndSparesHiddenFiles) {
    TempMachine m;
    const std::string app = "C:\\Program Files\\Acme Tools\\Application.exe";
    WriteHostFile(m.Host(app), "x");
    WriteHostFile(m.Host("C:\\Program Files\\Acme Tools\\readme.txt"), "x");
    WriteHostFile(m.Host("C:\\Work\\one.tmp"), "x");
    WriteHostFile(m.Host("C:\\Work\\Two Words.TMP"), "x");
    WriteHostFile(m.Host("C:\\Work\\hidden.tmp"), "x");
    WriteHostFile(m.Host("C:\\Work\\keep.txt"), "x");
    ASSERT_EQ(Files().SetAttributes("C:\\Work\\hidden.tmp", FILE_ATTRIBUTE_HIDDEN), ERROR_SUCCESS);
    const std::string shortApp = ShortPath(app);
    ASSERT_NE(shortApp.find("~1"), std::string::npos) << shortApp;
    WriteBatch("C:\\WINDOWS\\TEMP\\clean.Bat",
               "@echo off\r\nREM tidy up\r\n:: also a comment\r\n\r\ncls\r\n"
               "erase " +
                   shortApp + "\r\n  @Del /q \"C:\\Work\\*.tmp\"\r\n");
    Outcome run = StartCommand("c:\\windows\\temp\\CLEAN.BAT");
    EXPECT_EQ(run.exitCode, 0u) << run.messages;
    EXPECT_FALSE(Exists(app));
    EXPECT_TRUE(Exists("C:\\Program Files\\Acme Tools\\readme.txt"));
    EXPECT_FALSE(Exists("C:\\Work\\one.tmp"));
    EXPECT_FALSE(Exists("C:\\Work\\Two Words.TMP"));
    EXPECT_TRUE(Exists("C:\\Work\\hidden.tmp")) << "DEL without /A leaves hidden files";
    EXPECT_TRUE(Exists("C:\\Work\\keep.txt"));
}

TEST(BatchFiles, ReadOnlyFilesResistDelUnlessForcedAndMissingOnesAreOnlyNoted) {
    TempMachine m;
    WriteHostFile(m.Host("C:\\Work\\locked.txt"), "x");
    WriteHostFile(m.Host("C:\\Work\\forced.txt"), "x");
    WriteHostFile(m.Host("C:\\Work\\plain.txt"), "x");
    for (const char* path : {"C:\\Work\\locked.txt", "C:\\Work\\forced.txt"})
        ASSERT_EQ(Files().SetAttributes(path, FILE_ATTRIBUTE_READONLY), ERROR_SUCCESS);
    WriteBatch("C:\\Work\\missing.cmd", "del C:\\Work\\gone.txt\n");
    Outcome missing = StartCommand("C:\\Work\\missing.cmd");
    EXPECT_EQ(missing.exitCode, 0u);
    EXPECT_NE(missing.messages.find("batch: "), std::string::npos);
    EXPECT_NE(missing.messages.find("C:\\Work\\gone.txt"), std::string::npos) << missing.messages;

    // Relative names are taken in the folder the start gives, not the caller's.
    WriteBatch("C:\\Work\\ro.bat", "del locked.txt\ndel /f forced.txt\ndel plain.txt\n");
    ProcessStart start;
    start.application = "C:\\Work\\ro.bat";
    start.currentDirectory = "C:\\Work";
    Outcome run = Start(start);
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_NE(run.messages.find("Access is denied"), std::string::npos) << run.messages;
    EXPECT_TRUE(Exists("C:\\Work\\locked.txt"));
    EXPECT_FALSE(Exists("C:\\Work\\forced.txt"));
    EXPECT_FALSE(Exists("C:\\Work\\plain.txt"));
}

TEST(BatchFiles, DeltreeRemovesATreeButNoFolderALinkInItLeadsTo) {
    TempMachine m;
    WriteHostFile(m.Host("C:\\Old App\\a.txt"), "x");
    WriteHostFile(m.Host("C:\\Old App\\Sub Folder\\b.dll"), "x");
    WriteHostFile(m.Host("C:\\Old App\\Sub Folder\\Deeper\\c.txt"), "x");
    fs::create_directories(m.Host("C:\\Old App\\Empty"));
    WriteHostFile(m.Host("C:\\Old Apple\\sibling.txt"), "x");
    ASSERT_EQ(Files().SetAttributes("C:\\Old App\\Sub Folder\\b.dll",
                                    FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
              ERROR_SUCCESS);
    ASSERT_EQ(Files().SetAttributes("C:\\Old App\\Sub Folder\\Deeper", FILE_ATTRIBUTE_READONLY),
              ERROR_SUCCESS);
    const fs::path outside = m.Folder() / "outside";
    WriteHostFile(outside / "precious.txt", "keep");
    fs::create_directory_symlink(outside, m.Host("C:\\Old App\\Linked"));
    WriteBatch("C:\\tree.bat", "DELTREE /Y " + ShortPath("C:\\Old App") + "\r\n");
    Outcome run = StartCommand("C:\\tree.bat");
    EXPECT_EQ(run.exitCode, 0u) << run.messages;
    EXPECT_FALSE(Exists("C:\\Old App"));
    EXPECT_FALSE(fs::exists(fs::symlink_status(m.Host("C:\\Old App"))));
    EXPECT_TRUE(Exists("C:\\Old Apple\\sibling.txt"));
    EXPECT_EQ(ReadHostFile(outside / "precious.txt"), "keep");
}

TEST(BatchFiles, DeltreeWithoutYesIsRefusedAndTheLinesAfterItStillRun) {
    TempMachine m;
    WriteHostFile(m.Host("C:\\Old\\a.txt"), "x");
    WriteHostFile(m.Host("C:\\later.txt"), "x");
    WriteBatch("C:\\ask.bat", "deltree C:\\Old\r\nerase C:\\later.txt\r\n");
    Outcome run = StartCommand("C:\\ask.bat");
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_TRUE(Exists("C:\\Old\\a.txt"));
    EXPECT_FALSE(Exists("C:\\later.txt"));
    EXPECT_NE(run.messages.find("batch: "), std::string::npos);
    EXPECT_NE(run.messages.find("/Y"), std::string::npos) << run.messages;
    EXPECT_NE(run.messages.find("deltree C:\\Old"), std::string::npos) << run.messages;
}

TEST(BatchFiles, ARunOnceBatchMovesStagedFilesOverTheirTargets) {
    // A batch left in RunOnce, as the install side leaves one when the system keeps no delayed
    // moves, runs at the restart: the target erased, the staged file moved over it by short
    // names, and the long name kept. MOVE replaces a target without asking.
    TempMachine m;
    const std::string target = "C:\\Program Files\\Acme\\Library File.dll";
    const std::string staged = "C:\\Program Files\\Acme\\Library File.1";
    WriteHostFile(m.Host(target), "old");
    WriteHostFile(m.Host(staged), "new");
    WriteHostFile(m.Host("C:\\Stage\\Release Notes.txt"), "notes");
    WriteHostFile(m.Host("C:\\Stage\\over.txt"), "fresh");
    WriteHostFile(m.Host("C:\\Docs\\over.txt"), "stale");
    const std::string shortTarget = ShortPath(target);
    const std::string shortStaged = ShortPath(staged);
    WriteBatch("C:\\WINDOWS\\TEMP\\bat1.bat",
               "erase " + shortTarget + "\r\nmove " + shortStaged + " " + shortTarget +
                   "\r\nmove " + ShortPath("C:\\Stage\\Release Notes.txt") +
                   " C:\\Docs\r\nmove C:\\Stage\\over.txt C:\\Docs\\over.txt\r\n");
    HKEY key = 0;
    ASSERT_EQ(Registry().CreateKey(HKEY_LOCAL_MACHINE,
                                   "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                                   KEY_ALL_ACCESS, key),
              ERROR_SUCCESS);
    const std::string command = std::string("C:\\WINDOWS\\TEMP\\bat1.bat") + '\0';
    ASSERT_EQ(Registry().SetValue(key, "TarnwellBatFile", REG_SZ,
                                  reinterpret_cast<const std::uint8_t*>(command.data()),
                                  command.size()),
              ERROR_SUCCESS);
    Registry().CloseKey(key);

    testing::internal::CaptureStderr();
    auto started = m->Restart();
    const std::string messages = testing::internal::GetCapturedStderr();
    ASSERT_EQ(started.size(), 1u);
    ASSERT_EQ(started[0].error, ERROR_SUCCESS);
    DWORD exitCode = 0xDEAD;
    EXPECT_EQ(Processes().WaitForExit(started[0].process, 0, exitCode), ERROR_SUCCESS);
    EXPECT_EQ(exitCode, 0u) << messages;
    Processes().CloseProcess(started[0].process);
    EXPECT_EQ(ReadHostFile(m.Host(target)), "new");
    EXPECT_FALSE(Exists(staged));
    // Into a folder under its long name, though the batch named it by its alias.
    EXPECT_EQ(ReadHostFile(m.Host("C:\\Docs\\Release Notes.txt")), "notes");
    EXPECT_EQ(ReadHostFile(m.Host("C:\\Docs\\over.txt")), "fresh");
    EXPECT_FALSE(Exists("C:\\Stage\\over.txt"));
}

TEST(BatchFiles, ABatchThatErasesItselfRunsToItsLastLine) {
    TempMachine m;
    WriteHostFile(m.Host("C:\\App\\uninst.exe"), "x");
    WriteHostFile(m.Host("C:\\App\\after.txt"), "x");
    WriteBatch("C:\\App\\Self Clean.bat",
               "erase C:\\App\\uninst.exe\nERASE %0\ndel C:\\App\\after.txt\n");
    ProcessStart start;
    start.application = "C:\\App\\Self Clean.bat";
    Outcome run = Start(start);
    EXPECT_EQ(run.exitCode, 0u) << run.messages;
    EXPECT_FALSE(Exists("C:\\App\\Self Clean.bat"));
    EXPECT_FALSE(Exists("C:\\App\\uninst.exe"));
    EXPECT_FALSE(Exists("C:\\App\\after.txt"));
}

TEST(BatchFiles, OtherCommandsAreRefusedOneLineAtATime) {
    TempMachine m;
    WriteHostFile(m.Host("C:\\a.txt"), "x");
    WriteHostFile(m.Host("C:\\x.txt"), "x");
    WriteBatch("C:\\other.bat", "copy C:\\a.txt C:\\b.txt\r\n"
                                "echo hello> C:\\echo.txt\r\n"
                                "del %WINDIR%\\x.txt\r\n"
                                "C:\\Tools\\setup.exe /s\r\n"
                                "del C:\\x.txt\r\n");
    Outcome run = StartCommand("C:\\other.bat");
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_FALSE(Exists("C:\\b.txt"));
    EXPECT_FALSE(Exists("C:\\echo.txt"));
    EXPECT_FALSE(Exists("C:\\x.txt")) << "the last line still ran";
    for (const char* line :
         {"copy C:\\a.txt C:\\b.txt", "echo hello> C:\\echo.txt", "C:\\Tools\\setup.exe /s"})
        EXPECT_NE(run.messages.find("batch: the batch file C:\\other.bat holds a command the "
                                    "machine does not run: " +
                                    std::string(line) + "\n"),
                  std::string::npos)
            << run.messages;
}

TEST(BatchFiles, NothingOutsideTheMachineIsChanged) {
    TempMachine m;
    ASSERT_FALSE(m->HostDriveWritable());
    const fs::path host = m.Folder() / "host files";
    WriteHostFile(host / "keep.txt", "keep");
    WriteHostFile(host / "deep" / "also.txt", "keep");
    const std::string registry = ReadHostFile(m->Folder() / "registry.reg");
    WriteBatch("C:\\escape.bat", "del \"" + OnHostDrive(host / "keep.txt") + "\"\r\ndeltree /y \"" +
                                     OnHostDrive(host) + "\"\r\nmove \"" +
                                     OnHostDrive(host / "keep.txt") +
                                     "\" C:\\\r\ndel C:\\..\\..\\registry.reg\r\n");
    Outcome run = StartCommand("C:\\escape.bat");
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_EQ(ReadHostFile(host / "keep.txt"), "keep");
    EXPECT_EQ(ReadHostFile(host / "deep" / "also.txt"), "keep");
    EXPECT_FALSE(Exists("C:\\keep.txt"));
    EXPECT_EQ(ReadHostFile(m->Folder() / "registry.reg"), registry);
}
