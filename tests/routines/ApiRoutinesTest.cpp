#include "framework/StringList.h"
#include "platform/Platform.h"
#include "routines/routines_API.h"
#include "routines/routines_Exceptions.h"
#include "routines/routines_Text.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

using namespace tarn;
using namespace tarn::platform;
using tarn::test::TempMachine;
using tarn::test::WriteHostFile;

TEST(WindowsVersionCode, ClassifiesEveryRelease) {
    TempMachine m;
    struct Case {
        DWORD platform, major, minor;
        int code;
    } cases[] = {{VER_PLATFORM_WIN32_WINDOWS, 4, 0, 7},  {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 7},
                 {VER_PLATFORM_WIN32_WINDOWS, 4, 90, 8}, {VER_PLATFORM_WIN32_NT, 3, 51, 3},
                 {VER_PLATFORM_WIN32_NT, 4, 0, 2},       {VER_PLATFORM_WIN32_NT, 5, 0, 6},
                 {VER_PLATFORM_WIN32_NT, 5, 1, 6},       {VER_PLATFORM_WIN32_NT, 6, 1, 4},
                 {VER_PLATFORM_WIN32_NT, 10, 0, 4},      {VER_PLATFORM_WIN32s, 3, 10, 0}};
    for (const Case& c : cases) {
        m->SetWindowsVersion(c.platform, c.major, c.minor);
        EXPECT_EQ(GetWindowsVersionCode(), c.code)
            << c.platform << " " << c.major << "." << c.minor;
    }
    OsVersion odd;
    odd.platformId = 3; // a platform nobody knows
    m->GetFaults().version = odd;
    EXPECT_EQ(GetWindowsVersionCode(), 4);
    m->GetFaults().versionQueryFails = true;
    try {
        GetWindowsVersionCode();
        FAIL();
    } catch (const EAPIRoutines& e) {
        EXPECT_EQ(e.Message(), "Could not get information about the current version of Windows");
    }
    EXPECT_TRUE(IsWindows95Family(1));
    EXPECT_TRUE(IsWindows95Family(8));
    EXPECT_FALSE(IsWindows95Family(6));
    EXPECT_TRUE(IsNt4To5Family(2));
    EXPECT_FALSE(IsNt4To5Family(4));
    EXPECT_FALSE(VersionCodeIn(17, {17})); // beyond the set's range
}

TEST(ApiRoutines, FoldersShortPathsAndTemporaryNames) {
    TempMachine m;
    EXPECT_EQ(GetWindowsDir(), "C:\\WINDOWS");
    EXPECT_EQ(GetSystemDir(), "C:\\WINDOWS\\SYSTEM32");
    WriteHostFile(m.Host("C:\\Program Files\\Long Folder Name\\library file.dll"), "x");
    std::string shortPath = GetShortPath("C:\\Program Files\\Long Folder Name\\library file.dll");
    EXPECT_EQ(shortPath.substr(0, 12), "C:\\PROGRA~1\\");
    EXPECT_EQ(shortPath.find(' '), std::string::npos);
    EXPECT_EQ(GetShortPath("C:\\Program Files\\missing.dll"), "");

    std::string kept = CreateTempFileName(true);
    EXPECT_EQ(kept.rfind("C:\\WINDOWS\\TEMP\\bat", 0), 0u) << kept;
    DWORD attrs = 0;
    EXPECT_EQ(Files().GetAttributes(kept, attrs), ERROR_SUCCESS);
    std::string dropped = CreateTempFileName(false);
    EXPECT_NE(dropped, kept);
    EXPECT_NE(Files().GetAttributes(dropped, attrs), ERROR_SUCCESS);

    std::filesystem::remove_all(m.Host("C:\\WINDOWS\\TEMP"));
    try {
        CreateTempFileName(false);
        FAIL();
    } catch (const EAPIRoutines& e) {
        EXPECT_EQ(e.Message(), "Cannot create a temporary file");
    }
}

TEST(TextRoutines, FieldsAndBackslashes) {
    EXPECT_EQ(CountFields("a;b;c", ';'), 3);
    EXPECT_EQ(CountFields("a;b;c;", ';'), 3);
    EXPECT_EQ(CountFields("", ';'), 0);
    EXPECT_EQ(CountFields(";", ';'), 1);
    EXPECT_EQ(GetField("a;b;c", 2, ';'), "b");
    EXPECT_EQ(GetField("a;b;c", 0, ';'), "a");
    EXPECT_EQ(GetField("a;b;c", 3, ';'), "c");
    EXPECT_EQ(GetField("a;b;c", 4, ';'), "");
    EXPECT_EQ(GetField("a;b;c", 5, ';'), "");
    EXPECT_EQ(GetField("a;;c", 2, ';'), "");
    TStringList list;
    list.Add("stale");
    SplitFields("x,y,", ',', list);
    EXPECT_EQ(list.Text(), "x\r\ny\r\n");
    EXPECT_EQ(TextAfterColon("C:\\dir"), "\\dir");
    EXPECT_EQ(TextAfterColon("none"), "");
    EXPECT_EQ(CleanFileName("a/b:c"), "a-bc");
    EXPECT_EQ(CleanFileName("\"*:;<>?\\|x\x01\xE9"), "x\x01\xE9");
    EXPECT_EQ(IncludeBackslash("C:\\Dir"), "C:\\Dir\\");
    EXPECT_EQ(IncludeBackslash("C:\\Dir\\"), "C:\\Dir\\");
    EXPECT_EQ(IncludeBackslash(""), "");
    EXPECT_EQ(ExcludeBackslash("C:\\Dir\\\\"), "C:\\Dir\\");
    EXPECT_EQ(ExcludeBackslash(""), "");
}

TEST(Exceptions, InstallErrorsTranslateBeforeFormatting) {
    EXPECT_EQ(EAIUserAbort().Message(), "Installation aborted by the user");
    ExceptionTranslator() = [](const std::string& s) {
        return s == "Cannot find %s" ? std::string("Kann %s nicht finden") : s;
    };
    IEFileContainer e("Cannot find %s", "a.dll");
    EXPECT_EQ(e.Message(), "Kann a.dll nicht finden");
    ExceptionTranslator() = nullptr;
    EXPECT_EQ(IEFileContainer("Cannot find %s", "a.dll").Message(), "Cannot find a.dll");
    // The family tree callers catch by.
    try {
        throw EtcDiskFull("full");
    } catch (const ECustomTarnwellAbnormal& caught) {
        EXPECT_STREQ(caught.what(), "full");
    }
}
