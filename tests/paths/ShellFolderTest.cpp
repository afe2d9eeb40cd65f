// The shell-folder lookups: values present, missing, empty, on a key the user may only read, and
// their fallbacks.
#include "paths/StandardSpecifiers.h"
#include "paths/routines_ExpandPaths.h"
#include "platform/Platform.h"
#include "platform/portable/PathMapper.h"
#include "routines/routines_Registry.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

using namespace tarn;
using namespace tarn::paths;
using tarn::test::TempMachine;

namespace {

constexpr std::uint8_t kUser = 2;
constexpr std::uint8_t kMachine = 4;

struct ShellFolders : ::testing::Test {
    TempMachine machine;
    PathSpecifierUnit unit;
    std::unique_ptr<TComponent> form = std::make_unique<TComponent>(nullptr);

    void SetUp() override {
        machine->GetPathMapper().SetCurrentDirectory("D:\\Work\\Project");
        DeleteRegistryValue(kMachine, kCurrentVersionKey, "ProgramFilesDir");
        DeleteRegistryValue(kMachine, kCurrentVersionKey, "CommonFilesDir");
    }
    void WriteShell(std::uint8_t root, const char* name, const char* value) {
        WriteRegistryString(root, kShellFoldersKey, name, value);
    }
    void WriteAllShellValues() {
        WriteShell(kUser, "Start Menu", "C:\\Documents and Settings\\Ann\\Start Menu\\");
        WriteShell(kUser, "Programs", "C:\\Documents and Settings\\Ann\\Start Menu\\Programs");
        WriteShell(kMachine, "Common Programs", "C:\\Documents and Settings\\All Users\\Programs");
        WriteShell(kUser, "Desktop", "C:\\Documents and Settings\\Ann\\Desktop");
        WriteShell(kUser, "Startup", "C:\\Documents and Settings\\Ann\\Startup\\");
        WriteRegistryString(kMachine, kCurrentVersionKey, "ProgramFilesDir", "E:\\Programs\\");
        WriteRegistryString(kMachine, kCurrentVersionKey, "CommonFilesDir", "E:\\Common");
    }
};

TEST_F(ShellFolders, WithoutValuesTheFallbacksAreUsed) {
    EXPECT_EQ(GetStartMenuPath(), "C:\\WINDOWS\\Startmen");
    EXPECT_EQ(GetProgramMenuPath(), "C:\\WINDOWS\\Startmen\\Programs");
    EXPECT_EQ(GetProgramMenuAllUsersPath(), "C:\\WINDOWS\\Startmen\\Programs");
    EXPECT_EQ(GetDesktopPath(), "C:\\WINDOWS\\Desktop");
    EXPECT_EQ(GetStartupPath(), "C:\\WINDOWS\\Startup");
    // The drive of the current folder, not that of Windows.
    EXPECT_EQ(GetProgramFilesPath(), "D:\\Program Files");
    EXPECT_EQ(GetCommonFilesPath(), "D:\\Program Files\\Common Files");
    EXPECT_EQ(Create<TpsStartMenu>(form.get())->ExpandPath(nullptr), "C:\\WINDOWS\\Startmen");
    EXPECT_EQ(Create<TpsProgramMenu>(form.get())->ExpandPath(nullptr),
              "C:\\WINDOWS\\Startmen\\Programs");
}

TEST_F(ShellFolders, ValuesAreTakenWithOneTrailingBackslashRemoved) {
    WriteAllShellValues();
    EXPECT_EQ(GetStartMenuPath(), "C:\\Documents and Settings\\Ann\\Start Menu");
    EXPECT_EQ(GetProgramMenuPath(), "C:\\Documents and Settings\\Ann\\Start Menu\\Programs");
    EXPECT_EQ(GetProgramMenuAllUsersPath(), "C:\\Documents and Settings\\All Users\\Programs");
    EXPECT_EQ(GetDesktopPath(), "C:\\Documents and Settings\\Ann\\Desktop");
    EXPECT_EQ(GetStartupPath(), "C:\\Documents and Settings\\Ann\\Startup");
    EXPECT_EQ(GetProgramFilesPath(), "E:\\Programs");
    EXPECT_EQ(GetCommonFilesPath(), "E:\\Common");
    EXPECT_EQ(Create<TpsDesktopMenu>(form.get())->ExpandPath(nullptr),
              "C:\\Documents and Settings\\Ann\\Desktop");
    EXPECT_EQ(Create<TpsStartupMenu>(form.get())->ExpandPath(nullptr),
              "C:\\Documents and Settings\\Ann\\Startup");
    EXPECT_EQ(Create<TpsProgramMenuAllUsers>(form.get())->ExpandPath(nullptr),
              "C:\\Documents and Settings\\All Users\\Programs");
    EXPECT_EQ(Create<TpsProgramFiles>(form.get())->ExpandPath(nullptr), "E:\\Programs");
    EXPECT_EQ(Create<TpsCommonFiles>(form.get())->ExpandPath(nullptr), "E:\\Common");
    // The program menu's fallback follows the start menu's value.
    DeleteRegistryValue(kUser, kShellFoldersKey, "Programs");
    EXPECT_EQ(GetProgramMenuPath(), "C:\\Documents and Settings\\Ann\\Start Menu\\Programs");
}

TEST_F(ShellFolders, AnEmptyValueGivesAnEmptyPath) {
    WriteShell(kUser, "Start Menu", "");
    EXPECT_EQ(GetStartMenuPath(), "");
    EXPECT_EQ(Create<TpsStartMenu>(form.get())->ExpandPath(nullptr), "");
    // Appending to an empty start menu still gives a separator.
    EXPECT_EQ(GetProgramMenuPath(), "\\Programs");
}

TEST_F(ShellFolders, AKeyTheUserMayReadButNotWriteGivesTheFallback) {
    WriteAllShellValues();
    machine->GetFaults().denyWriteKeys.push_back(
        "HKEY_CURRENT_USER\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders");
    machine->GetFaults().denyWriteKeys.push_back(
        "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
    EXPECT_EQ(GetStartMenuPath(), "C:\\WINDOWS\\Startmen");
    EXPECT_EQ(GetDesktopPath(), "C:\\WINDOWS\\Desktop");
    EXPECT_EQ(GetProgramMenuAllUsersPath(), "C:\\WINDOWS\\Startmen\\Programs");
    EXPECT_EQ(GetProgramFilesPath(), "D:\\Program Files");
    EXPECT_EQ(Create<TpsBDEDLL>(form.get())->ExpandPath(nullptr),
              "D:\\Program Files\\Borland\\Common Files\\BDE");
}

TEST(FileDrive, DriveLettersAndShares) {
    EXPECT_EQ(ExtractFileDrive("C:\\Windows"), "C:");
    EXPECT_EQ(ExtractFileDrive("\\\\server\\share\\dir"), "\\\\server\\share");
    EXPECT_EQ(ExtractFileDrive("\\\\server"), "\\\\server");
    EXPECT_EQ(ExtractFileDrive("relative"), "");
}

} // namespace
