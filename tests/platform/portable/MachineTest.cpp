// The embedded machine as a whole: a fresh machine, system information from its registry, the
// simulated restart, and the default-machine rules.
#include "platform/portable/Machine.h"
#include "platform/Platform.h"
#include "platform/portable/PortableLibraries.h"
#include "support/TempMachine.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace tarn::platform;
using tarn::test::ReadHostFile;
using tarn::test::TempMachine;
using tarn::test::WriteHostFile;

namespace {

std::string ReadString(HKEY root, const std::string& key, const std::string& name) {
    HKEY h = 0;
    if (Registry().OpenKey(root, key, KEY_READ, h) != ERROR_SUCCESS) return "<no key>";
    DWORD type = 0;
    std::vector<std::uint8_t> data;
    LONG rc = Registry().QueryValue(h, name, type, data);
    Registry().CloseKey(h);
    if (rc != ERROR_SUCCESS) return "<no value>";
    std::string s(data.begin(), data.end());
    while (!s.empty() && s.back() == '\0')
        s.pop_back();
    return s;
}

void WriteString(HKEY root, const std::string& key, const std::string& name,
                 const std::string& value) {
    HKEY h = 0;
    ASSERT_EQ(Registry().CreateKey(root, key, KEY_ALL_ACCESS, h), ERROR_SUCCESS);
    std::string data = value + '\0';
    ASSERT_EQ(Registry().SetValue(h, name, REG_SZ,
                                  reinterpret_cast<const std::uint8_t*>(data.data()), data.size()),
              ERROR_SUCCESS);
    Registry().CloseKey(h);
}

bool Exists(const std::string& path) {
    DWORD attrs = 0;
    return Files().GetAttributes(path, attrs) == ERROR_SUCCESS;
}

} // namespace

TEST(Machine, FreshMachineIsWindowsXpInUsEnglish) {
    TempMachine m;
    OsVersion v;
    ASSERT_TRUE(System().GetVersion(v));
    EXPECT_EQ(v.platformId, VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(v.major, 5u);
    EXPECT_EQ(v.minor, 1u);
    std::string windows, system, temp;
    System().GetWindowsDirectory(windows);
    System().GetSystemDirectory(system);
    System().GetTempPath(temp);
    EXPECT_EQ(windows, "C:\\WINDOWS");
    EXPECT_EQ(system, "C:\\WINDOWS\\SYSTEM32");
    EXPECT_EQ(temp, "C:\\WINDOWS\\TEMP\\");
    EXPECT_EQ(System().GetUserDefaultLangID(), 0x0409);
    for (const char* dir :
         {"C:\\WINDOWS\\SYSTEM32", "C:\\WINDOWS\\TEMP", "C:\\Program Files\\Common Files"})
        EXPECT_TRUE(Exists(dir)) << dir;
    // Opening it again keeps what it holds.
    WriteString(HKEY_LOCAL_MACHINE, "Software\\Kept", "A", "1");
    m.Reopen();
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, "Software\\Kept", "A"), "1");
}

TEST(Machine, VersionFollowsTheRegistry) {
    TempMachine m;
    m->SetWindowsVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 10, 1998);
    OsVersion v;
    ASSERT_TRUE(System().GetVersion(v));
    EXPECT_EQ(v.platformId, VER_PLATFORM_WIN32_WINDOWS);
    EXPECT_EQ(v.minor, 10u);
    EXPECT_EQ(v.build, 1998u);
    std::string system;
    System().GetSystemDirectory(system);
    EXPECT_EQ(system, "C:\\WINDOWS\\SYSTEM");

    m->SetWindowsVersion(VER_PLATFORM_WIN32_NT, 4, 0, 1381);
    ASSERT_TRUE(System().GetVersion(v));
    EXPECT_EQ(v.platformId, VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(v.major, 4u);

    // Without either version value the machine is Windows XP.
    HKEY h = 0;
    ASSERT_EQ(Registry().OpenKey(HKEY_LOCAL_MACHINE,
                                 "Software\\Microsoft\\Windows NT\\CurrentVersion", KEY_ALL_ACCESS,
                                 h),
              ERROR_SUCCESS);
    Registry().DeleteValue(h, "CurrentVersion");
    Registry().CloseKey(h);
    ASSERT_TRUE(System().GetVersion(v));
    EXPECT_EQ(v.platformId, VER_PLATFORM_WIN32_NT);
    EXPECT_EQ(v.major, 5u);
    EXPECT_EQ(v.minor, 1u);

    m->GetFaults().versionQueryFails = true;
    EXPECT_FALSE(System().GetVersion(v));
}

TEST(Machine, FoldersAndLanguageComeFromTheirRegistryValues) {
    TempMachine m;
    WriteString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows NT\\CurrentVersion", "SystemRoot",
                "D:\\WINNT");
    WriteString(HKEY_CURRENT_USER, "Environment", "TEMP", "%SystemRoot%\\Scratch");
    WriteString(HKEY_CURRENT_USER, "Control Panel\\International", "Locale", "00000407");
    std::string windows, temp;
    System().GetWindowsDirectory(windows);
    System().GetTempPath(temp);
    EXPECT_EQ(windows, "D:\\WINNT");
    EXPECT_EQ(temp, "D:\\WINNT\\Scratch\\");
    EXPECT_EQ(System().GetUserDefaultLangID(), 0x0407);
    m->SetUserLanguage(0x040C);
    EXPECT_EQ(System().GetUserDefaultLangID(), 0x040C);
}

// A version the faults report instead of the registry's also decides, by its family, where the
// Windows, system and temporary folders are; without it the registry's family does again.
TEST(Machine, ReportedVersionPlacesTheFoldersByItsFamily) {
    TempMachine m;
    WriteString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "SystemRoot",
                "C:\\WIN95");
    OsVersion windows95;
    windows95.platformId = VER_PLATFORM_WIN32_WINDOWS;
    windows95.major = 4;
    windows95.minor = 0;
    windows95.build = 950;
    m->GetFaults().version = windows95;
    std::string windows, system, temp;
    System().GetWindowsDirectory(windows);
    System().GetSystemDirectory(system);
    System().GetTempPath(temp);
    EXPECT_EQ(windows, "C:\\WIN95");
    EXPECT_EQ(system, "C:\\WIN95\\SYSTEM");
    EXPECT_EQ(temp, "C:\\WIN95\\TEMP\\");
    OsVersion v;
    ASSERT_TRUE(System().GetVersion(v));
    EXPECT_EQ(v.build, 950u);

    m->GetFaults().version.reset();
    System().GetSystemDirectory(system);
    System().GetTempPath(temp);
    EXPECT_EQ(system, "C:\\WINDOWS\\SYSTEM32");
    EXPECT_EQ(temp, "C:\\WINDOWS\\TEMP\\");
}

TEST(Machine, OwnProgramIsOnDriveZAndInUse) {
    TempMachine m;
    std::string self = System().GetModuleFileName();
    ASSERT_GE(self.size(), 3u);
    EXPECT_EQ(self.substr(0, 3), "Z:\\");
    EXPECT_TRUE(Exists(self));
    EXPECT_EQ(Files().DeleteFile(self), ERROR_ACCESS_DENIED);
}

TEST(Machine, RestartCarriesOutDelayedMovesAndDeletes) {
    TempMachine m;
    WriteHostFile(m.Host("C:\\Old\\gone.txt"), "x");
    WriteHostFile(m.Host("C:\\Old\\new.dll"), "new");
    WriteHostFile(m.Host("C:\\Old\\target.dll"), "old");
    ASSERT_EQ(Files().MoveFile("C:\\Old\\gone.txt", "", MOVEFILE_DELAY_UNTIL_REBOOT),
              ERROR_SUCCESS);
    ASSERT_EQ(Files().MoveFile("C:\\Old\\new.dll", "C:\\Old\\target.dll",
                               MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING),
              ERROR_SUCCESS);
    EXPECT_TRUE(Exists("C:\\Old\\gone.txt")); // nothing happens before the restart
    m->Restart();
    EXPECT_FALSE(Exists("C:\\Old\\gone.txt"));
    EXPECT_FALSE(Exists("C:\\Old\\new.dll"));
    EXPECT_EQ(ReadHostFile(m.Host("C:\\Old\\target.dll")), "new");
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\Session Manager",
                         "PendingFileRenameOperations"),
              "<no value>");
}

TEST(Machine, RestartOfA95FamilyMachineRunsWininit) {
    TempMachine m;
    m->SetWindowsVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 10, 1998);
    WriteHostFile(m.Host("C:\\Program Files\\Old App\\old.exe"), "x");
    WriteHostFile(m.Host("C:\\staged.dll"), "new");
    std::string shortPath;
    ASSERT_EQ(Files().GetShortPathName("C:\\Program Files\\Old App\\old.exe", shortPath),
              ERROR_SUCCESS);
    WriteHostFile(m.Host("C:\\WINDOWS\\WININIT.INI"),
                  "[rename]\r\nNUL=" + shortPath +
                      "\r\nC:\\WINDOWS\\SYSTEM\\lib.dll=C:\\staged.dll\r\n");
    m->Restart();
    EXPECT_FALSE(Exists("C:\\Program Files\\Old App\\old.exe"));
    EXPECT_EQ(ReadHostFile(m.Host("C:\\WINDOWS\\SYSTEM\\lib.dll")), "new");
    EXPECT_FALSE(Exists("C:\\WINDOWS\\WININIT.INI"));
    EXPECT_TRUE(Exists("C:\\WINDOWS\\WININIT.BAK"));
}

TEST(Machine, RestartRunsRunOnceCommandsAfterDeletingThem) {
    TempMachine m;
    std::filesystem::path marker = m.Folder() / "ran.txt";
    std::filesystem::path script = m.Folder() / "job.sh";
    WriteHostFile(script, "#!/bin/sh\nprintf '%s\\n' \"$TARNWELL_COMMAND_LINE\" >> " +
                              marker.string() + "\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    std::string windowsScript = "Z:" + script.string();
    for (char& c : windowsScript)
        if (c == '/') c = '\\';
    WriteString(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                "First", windowsScript + " machine-job");
    WriteString(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                "Second", windowsScript + " user-job");
    auto started = m->Restart();
    ASSERT_EQ(started.size(), 2u);
    for (const auto& s : started) {
        ASSERT_EQ(s.error, ERROR_SUCCESS) << s.command;
        DWORD exitCode = 1;
        ASSERT_EQ(Processes().WaitForExit(s.process, INFINITE_WAIT, exitCode), ERROR_SUCCESS);
        EXPECT_EQ(exitCode, 0u);
        Processes().CloseProcess(s.process);
    }
    // Both were started without waiting for each other: either may have written first.
    std::string log = ReadHostFile(marker);
    EXPECT_NE(log.find(windowsScript + " machine-job\n"), std::string::npos) << log;
    EXPECT_NE(log.find(windowsScript + " user-job\n"), std::string::npos) << log;
    EXPECT_EQ(log.size(), 2 * windowsScript.size() + 23) << log;
    EXPECT_EQ(ReadString(HKEY_LOCAL_MACHINE,
                         "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce", "First"),
              "<no value>");
    EXPECT_TRUE(m->Restart().empty()); // run once only
}

TEST(Machine, RestartRequestsAreNotedAcrossProcesses) {
    TempMachine m;
    EXPECT_FALSE(m->RestartRequested());
    EXPECT_EQ(Reboot().ExitWindows(EWX_REBOOT), ERROR_SUCCESS);
    m.Reopen();
    EXPECT_TRUE(m->RestartRequested());
    m->Restart();
    EXPECT_FALSE(m->RestartRequested());
}

TEST(Machine, FakeLibrariesAreTheOnlyOnesThatLoad) {
    TempMachine m;
    HANDLE lib = 0;
    EXPECT_EQ(Libraries().LoadLibrary("C:\\WINDOWS\\SYSTEM32\\real.dll", lib), ERROR_MOD_NOT_FOUND);
    int calls = 0;
    portable::FakeLibrary fake;
    fake.entryPoints["DllUnregisterServer"] = [&calls] { return ++calls, 0; };
    m->GetLibraries().Register("C:\\Program Files\\App\\ctl.ocx", fake);
    ASSERT_EQ(Libraries().LoadLibrary("c:/program files/app/CTL.OCX", lib), ERROR_SUCCESS);
    EntryPoint entry = Libraries().GetEntryPoint(lib, "DllUnregisterServer");
    ASSERT_TRUE(entry);
    EXPECT_EQ(entry(), 0);
    EXPECT_EQ(calls, 1);
    EXPECT_FALSE(Libraries().GetEntryPoint(lib, "DllRegisterServer"));
    EXPECT_EQ(Libraries().FreeLibrary(lib), ERROR_SUCCESS);
    EXPECT_EQ(Libraries().FreeLibrary(lib), ERROR_INVALID_HANDLE);
    EXPECT_EQ(m->GetLibraries().LoadCount("C:\\Program Files\\App\\ctl.ocx"), 1);
}

TEST(Machine, DefaultFolderFollowsTheEnvironment) {
    const char* saved = std::getenv("TARNWELL_MACHINE");
    std::string keep = saved ? saved : "";
    const char* home = std::getenv("HOME");
    std::string keepHome = home ? home : "";
    setenv("TARNWELL_MACHINE", "/somewhere/m", 1);
    EXPECT_EQ(portable::Machine::DefaultFolder(), "/somewhere/m");
    unsetenv("TARNWELL_MACHINE");
    setenv("XDG_DATA_HOME", "/data", 1);
    EXPECT_EQ(portable::Machine::DefaultFolder(), "/data/tarnwell/machine");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", "/home/u", 1);
    EXPECT_EQ(portable::Machine::DefaultFolder(), "/home/u/.local/share/tarnwell/machine");
    if (saved) setenv("TARNWELL_MACHINE", keep.c_str(), 1);
    if (home) setenv("HOME", keepHome.c_str(), 1);
}
