#include "framework/StringList.h"
#include "platform/Platform.h"
#include "routines/cmp_TTarnRegistry.h"
#include "routines/routines_Exceptions.h"
#include "routines/routines_Registry.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

using namespace tarn;
using namespace tarn::platform;
using tarn::test::ReadHostFile;
using tarn::test::TempMachine;
using tarn::test::WriteHostFile;

TEST(RegistryRoutines, ReadsFallBackToTheirDefaults) {
    TempMachine m;
    WriteRegistryString(4, "\\Software\\Vendor", "Name", "Tarn");
    WriteRegistryInteger(4, "\\Software\\Vendor", "Count", 7);
    std::string s;
    ReadRegistryString(4, "\\Software\\Vendor", "Name", s, "dflt");
    EXPECT_EQ(s, "Tarn");
    ReadRegistryString(4, "\\Software\\Nowhere", "Name", s, "dflt");
    EXPECT_EQ(s, "dflt");
    ReadRegistryString(4, "\\Software\\Vendor", "Count", s, "dflt"); // an integer
    EXPECT_EQ(s, "dflt");
    EXPECT_EQ(ReadRegistryInteger(4, "\\Software\\Vendor", "Count", -1), 7);
    EXPECT_EQ(ReadRegistryInteger(4, "\\Software\\Vendor", "Name", -1), -1); // a string
    EXPECT_EQ(ReadRegistryInteger(4, "\\Software\\Vendor", "Missing", -1), -1);

    // A key the user may read but not write: opened for read and write, so defaults.
    m->GetFaults().denyWriteKeys.push_back("HKLM\\Software\\Vendor");
    ReadRegistryString(4, "\\Software\\Vendor", "Name", s, "dflt");
    EXPECT_EQ(s, "dflt");
    EXPECT_EQ(ReadRegistryInteger(4, "\\Software\\Vendor", "Count", -1), -1);
    TStringList names;
    names.Add("stale");
    GetRegistrySubKeyNames(4, "\\Software\\Vendor", names);
    EXPECT_EQ(names.Count(), 0);
}

TEST(RegistryRoutines, RefusedWritesRaiseCannotWriteValue) {
    TempMachine m;
    m->GetFaults().denyWriteKeys.push_back("HKEY_LOCAL_MACHINE\\Software\\Locked");
    try {
        WriteRegistryString(4, "\\Software\\Locked\\Product", "Ident", "Value text");
        FAIL();
    } catch (const EIRCannotWriteValue& e) {
        EXPECT_EQ(e.Message(),
                  "Cannot install into registry. Key: \\Software\\Locked\\Product Ident: Ident "
                  "Value Value text");
    }
    try {
        WriteRegistryInteger(4, "\\Software\\Locked\\Product", "Ident", 3);
        FAIL();
    } catch (const EIRCannotWriteValue& e) {
        EXPECT_EQ(e.Message(), "\\Software\\Locked\\Product");
    }
    // An open that works followed by a refused write gives the same messages.
    m->GetFaults().refuseValueWriteKeys.push_back("HKEY_LOCAL_MACHINE\\Software\\Sealed");
    EXPECT_THROW(WriteRegistryString(4, "\\Software\\Sealed", "A", "b"), EIRCannotWriteValue);
    EXPECT_THROW(WriteRegistryInteger(4, "\\Software\\Sealed", "A", 1), EIRCannotWriteValue);
}

TEST(RegistryRoutines, TreeDeletionRemovesEverythingBelow) {
    TempMachine m;
    WriteRegistryString(4, "\\Software\\Tree\\One\\Two\\Three", "v", "x");
    WriteRegistryString(4, "\\Software\\Tree\\One\\Side", "v", "x");
    WriteRegistryString(4, "\\Software\\Tree\\Other", "v", "x");
    DeleteRegistryKeyTree(4, "\\Software\\Tree\\");
    TtarnRegistry reg;
    SetRootByCode(reg, 4);
    EXPECT_FALSE(reg.KeyExists("\\Software\\Tree"));
    EXPECT_TRUE(reg.KeyExists("\\Software"));
    DeleteRegistryKeyTree(4, "\\Software\\Tree"); // missing: nothing happens
    DeleteRegistryValue(4, "\\Software\\Missing", "v");

    WriteRegistryString(4, "\\Software\\Keep", "a", "1");
    WriteRegistryString(4, "\\Software\\Keep", "b", "2");
    DeleteRegistryValue(4, "\\Software\\Keep", "a");
    std::string s;
    ReadRegistryString(4, "\\Software\\Keep", "a", s, "gone");
    EXPECT_EQ(s, "gone");
    ReadRegistryString(4, "\\Software\\Keep", "b", s, "gone");
    EXPECT_EQ(s, "2");
}

TEST(RegistryRoutines, SubKeyNamesAreListed) {
    TempMachine m;
    WriteRegistryString(2, "\\Software\\List\\beta", "v", "x");
    WriteRegistryString(2, "\\Software\\List\\Alpha", "v", "x");
    TStringList names;
    GetRegistrySubKeyNames(2, "\\Software\\List", names);
    ASSERT_EQ(names.Count(), 2);
    EXPECT_EQ(names[0], "Alpha");
    EXPECT_EQ(names[1], "beta");
}

namespace {

std::string RunOnceValue(HKEY root, const std::string& name) {
    TtarnRegistry reg;
    reg.SetRootKey(root);
    if (!reg.OpenKey(kRunOnceKey, false) || !reg.ValueExists(name)) return "<none>";
    return reg.ReadString(name);
}

} // namespace

TEST(RegistryRoutines, RunOnceEntriesGoWhereTheVersionSays) {
    TempMachine m;
    struct Case {
        DWORD platform, major, minor;
        HKEY expected;
    } cases[] = {{VER_PLATFORM_WIN32_NT, 5, 1, HKEY_CURRENT_USER},         // code 6
                 {VER_PLATFORM_WIN32_NT, 4, 0, HKEY_CURRENT_USER},         // code 2
                 {VER_PLATFORM_WIN32_NT, 3, 51, HKEY_LOCAL_MACHINE},       // code 3
                 {VER_PLATFORM_WIN32_NT, 6, 0, HKEY_LOCAL_MACHINE},        // code 4
                 {VER_PLATFORM_WIN32_WINDOWS, 4, 10, HKEY_LOCAL_MACHINE},  // code 7
                 {VER_PLATFORM_WIN32_WINDOWS, 4, 90, HKEY_LOCAL_MACHINE}}; // code 8
    int n = 0;
    for (const Case& c : cases) {
        m->SetWindowsVersion(c.platform, c.major, c.minor);
        std::string name = "Job" + std::to_string(n++);
        ASSERT_TRUE(AddRunOnceEntry(name, "cmd " + name, false));
        HKEY other = c.expected == HKEY_CURRENT_USER ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
        EXPECT_EQ(RunOnceValue(c.expected, name), "cmd " + name) << c.major << "." << c.minor;
        EXPECT_EQ(RunOnceValue(other, name), "<none>");
    }
}

TEST(RegistryRoutines, UniqueRunOnceNamesCountUp) {
    TempMachine m;
    ASSERT_TRUE(AddRunOnceEntry("Setup", "first", true));
    ASSERT_TRUE(AddRunOnceEntry("Setup", "second", true));
    ASSERT_TRUE(AddRunOnceEntry("Setup", "third", true));
    EXPECT_EQ(RunOnceValue(HKEY_CURRENT_USER, "Setup"), "first");
    EXPECT_EQ(RunOnceValue(HKEY_CURRENT_USER, "Setup1"), "second");
    EXPECT_EQ(RunOnceValue(HKEY_CURRENT_USER, "Setup2"), "third");
    ASSERT_TRUE(AddRunOnceEntry("Setup", "replaced", false));
    EXPECT_EQ(RunOnceValue(HKEY_CURRENT_USER, "Setup"), "replaced");

    m->GetFaults().denyWriteKeys.push_back("HKCU\\Software\\Microsoft\\Windows\\CurrentVersion");
    EXPECT_FALSE(AddRunOnceEntry("Setup", "refused", true));
    m->GetFaults().Clear();
    m->GetFaults().versionQueryFails = true;
    EXPECT_FALSE(AddRunOnceEntry("Setup", "unknown version", true));
}

TEST(RegistryRoutines, TheRestartRunsTheRunOnceCommand) {
    TempMachine m;
    auto script = m.Host("C:\\Tools\\after.exe");
    WriteHostFile(script, "#!/bin/sh\nprintf '%s' \"$1\" > \"$(dirname \"$0\")/done.txt\"\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    ASSERT_TRUE(AddRunOnceEntry("Finish", "C:\\Tools\\after.exe resumed", true));
    auto started = m->Restart();
    ASSERT_EQ(started.size(), 1u);
    ASSERT_EQ(started[0].error, ERROR_SUCCESS);
    DWORD code = 1;
    Processes().WaitForExit(started[0].process, INFINITE_WAIT, code);
    Processes().CloseProcess(started[0].process);
    EXPECT_EQ(ReadHostFile(m.Host("C:\\Tools\\done.txt")), "resumed");
    EXPECT_EQ(RunOnceValue(HKEY_CURRENT_USER, "Finish"), "<none>");
}
