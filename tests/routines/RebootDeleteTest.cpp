#include "platform/Platform.h"
#include "routines/routines_API.h"
#include "routines/routines_INIFiles.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

using namespace tarn;
using namespace tarn::platform;
using tarn::test::ReadHostFile;
using tarn::test::TempMachine;
using tarn::test::WriteHostFile;

namespace {

bool Exists(const std::string& path) {
    DWORD attrs = 0;
    return Files().GetAttributes(path, attrs) == ERROR_SUCCESS;
}

} // namespace

TEST(DeleteFileOnReboot, Windows95FamilyWritesWininitAndTheRestartDeletes) {
    TempMachine m;
    m->SetWindowsVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 10, 1998);
    WriteHostFile(m.Host("C:\\Program Files\\My App\\uninstall.exe"), "x");
    WriteHostFile(m.Host("C:\\Program Files\\My App\\second.dll"), "x");
    DeleteFileOnReboot("C:\\Program Files\\My App\\uninstall.exe");
    DeleteFileOnReboot("C:\\Program Files\\My App\\second.dll");
    std::string first = GetShortPath("C:\\Program Files\\My App\\uninstall.exe");
    std::string second = GetShortPath("C:\\Program Files\\My App\\second.dll");
    ASSERT_FALSE(first.empty());
    EXPECT_EQ(ReadHostFile(m.Host("C:\\WINDOWS\\WININIT.INI")),
              "[RENAME]\r\nNul=" + second + "\r\nNul=" + first + "\r\n");
    EXPECT_TRUE(Exists("C:\\Program Files\\My App\\uninstall.exe"));
    m->Restart();
    EXPECT_FALSE(Exists("C:\\Program Files\\My App\\uninstall.exe"));
    EXPECT_FALSE(Exists("C:\\Program Files\\My App\\second.dll"));
    EXPECT_FALSE(Exists("C:\\WINDOWS\\WININIT.INI"));
}

TEST(DeleteFileOnReboot, WininitSectionIsFoundOrAppended) {
    TempMachine m;
    m->SetWindowsVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 90, 3000);
    WriteHostFile(m.Host("C:\\a.txt"), "x");
    WriteHostFile(m.Host("C:\\WINDOWS\\WININIT.INI"), "[other]\r\nk=v\r\n");
    DeleteFileOnReboot("C:\\a.txt");
    EXPECT_EQ(ReadHostFile(m.Host("C:\\WINDOWS\\WININIT.INI")),
              "[other]\r\nk=v\r\n[RENAME]\r\nNul=C:\\a.txt\r\n");
    WriteHostFile(m.Host("C:\\WINDOWS\\WININIT.INI"), "[Rename]\r\nNUL=C:\\old.txt\r\n");
    DeleteFileOnReboot("C:\\a.txt");
    EXPECT_EQ(ReadHostFile(m.Host("C:\\WINDOWS\\WININIT.INI")),
              "[Rename]\r\nNul=C:\\a.txt\r\nNUL=C:\\old.txt\r\n");
}

TEST(DeleteFileOnReboot, WindowsNtUsesTheDelayedDelete) {
    TempMachine m;
    WriteHostFile(m.Host("C:\\Program Files\\My App\\uninstall.exe"), "x");
    DeleteFileOnReboot("C:\\Program Files\\My App\\uninstall.exe");
    EXPECT_FALSE(Exists("C:\\WINDOWS\\WININIT.INI"));
    EXPECT_TRUE(Exists("C:\\Program Files\\My App\\uninstall.exe"));
    m->Restart();
    EXPECT_FALSE(Exists("C:\\Program Files\\My App\\uninstall.exe"));
    EXPECT_FALSE(Exists("C:\\WINDOWS\\WININIT.INI"));

    m->GetFaults().versionQueryFails = true; // silent, whatever goes wrong
    DeleteFileOnReboot("C:\\whatever.txt");
}
