// Windows paths of the embedded machine onto host paths and back.
#include "platform/portable/PathMapper.h"
#include "platform/portable/FileMetaStore.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace tarn::test {
namespace {

namespace fs = std::filesystem;
using platform::portable::FileMetaStore;
using platform::portable::PathMapper;

class PathMapperTest : public ::testing::Test {
protected:
    PathMapperTest() : meta_(folder_.Path()), paths_(folder_.Path(), meta_) {
        fs::create_directories(C() / "Program Files" / "Common Files");
    }

    fs::path C() const { return folder_.Path() / "drive_c"; }

    TempFolder folder_;
    FileMetaStore meta_;
    PathMapper paths_;
};

TEST_F(PathMapperTest, FullPathFoldsDotsAndUsesTheCurrentFolder) {
    paths_.SetCurrentDirectory("c:/Work/Sub/");
    EXPECT_EQ(paths_.CurrentDirectory(), "C:\\Work\\Sub");
    EXPECT_EQ(paths_.FullPath("x.txt"), "C:\\Work\\Sub\\x.txt");
    EXPECT_EQ(paths_.FullPath("..\\x.txt"), "C:\\Work\\x.txt");
    EXPECT_EQ(paths_.FullPath(".\\a\\..\\b"), "C:\\Work\\Sub\\b");
    EXPECT_EQ(paths_.FullPath("\\top"), "C:\\top") << "a leading backslash is the drive root";
    EXPECT_EQ(paths_.FullPath("C:rel"), "C:\\Work\\Sub\\rel");
    EXPECT_EQ(paths_.FullPath("D:rel"), "D:\\rel")
        << "another drive's relative path starts at its root";
    EXPECT_EQ(paths_.FullPath("c:/a/./b/../c"), "C:\\a\\c");
    EXPECT_EQ(paths_.FullPath("C:\\a\\..\\..\\.."), "C:\\");
    EXPECT_EQ(paths_.FullPath("C:\\a\\\\b\\"), "C:\\a\\b\\");
    EXPECT_EQ(paths_.FullPath("C:\\a\\name. . "), "C:\\a\\name") << "trailing dots and spaces go";
    EXPECT_EQ(paths_.FullPath("\\\\?\\C:\\a"), "C:\\a");
    EXPECT_EQ(paths_.FullPath("\\\\server\\share\\x"), "");
    EXPECT_EQ(paths_.FullPath(""), "");
}

TEST_F(PathMapperTest, TheCurrentFolderStartsAtTheHostsOne) {
    EXPECT_EQ(paths_.CurrentDirectory(), paths_.FromHost(fs::current_path()));
}

TEST_F(PathMapperTest, DrivesAreMachineFoldersAndZIsTheHostRoot) {
    EXPECT_TRUE(paths_.DriveExists('c'));
    EXPECT_TRUE(paths_.DriveExists('Z'));
    EXPECT_FALSE(paths_.DriveExists('D'));
    EXPECT_FALSE(paths_.ToHost("D:\\x").has_value());
    fs::create_directories(folder_.Path() / "drive_d");
    EXPECT_TRUE(paths_.DriveExists('d'));
    EXPECT_EQ(paths_.ToHost("d:\\x"), folder_.Path() / "drive_d" / "x");

    EXPECT_EQ(paths_.ToHost("Z:\\"), fs::path("/"));
    EXPECT_EQ(paths_.ToHost("z:/tmp"), fs::path("/tmp"));
    EXPECT_EQ(paths_.FromHost("/tmp/a.txt"), "Z:\\tmp\\a.txt");
    EXPECT_EQ(paths_.FromHost("/"), "Z:\\");
    EXPECT_FALSE(paths_.ToHost("\\\\server\\share").has_value());
}

TEST_F(PathMapperTest, ComponentsMatchWithoutCaseAndMissingOnesAreKept) {
    EXPECT_EQ(paths_.ToHost("C:\\PROGRAM FILES\\common files"),
              C() / "Program Files" / "Common Files");
    EXPECT_EQ(paths_.ToHost("c:\\program files\\New Dir\\File.TXT"),
              C() / "Program Files" / "New Dir" / "File.TXT");
    // An exact match wins over one that differs in case.
    fs::create_directories(C() / "program files");
    EXPECT_EQ(paths_.ToHost("C:\\program files"), C() / "program files");
    EXPECT_EQ(paths_.ToHost("C:\\Program Files"), C() / "Program Files");
}

TEST_F(PathMapperTest, ShortNamesResolveToTheirLongNames) {
    WriteHostFile(C() / "Program Files" / "Common Files" / "shared.dll", "x");
    EXPECT_EQ(paths_.ToHost("C:\\PROGRA~1\\COMMON~1\\shared.dll"),
              C() / "Program Files" / "Common Files" / "shared.dll");
    EXPECT_EQ(paths_.ToHost("C:\\progra~1\\NOSUCH~1\\x"), C() / "Program Files" / "NOSUCH~1" / "x");
}

TEST_F(PathMapperTest, HostPathsInDriveFoldersMapBack) {
    EXPECT_EQ(paths_.FromHost(C() / "Program Files" / "x.txt"), "C:\\Program Files\\x.txt");
    EXPECT_EQ(paths_.FromHost(C()), "C:\\");
    fs::create_directories(folder_.Path() / "drive_e" / "data");
    EXPECT_EQ(paths_.FromHost(folder_.Path() / "drive_e" / "data"), "E:\\data");
    // The machine folder itself is not on a machine drive.
    std::string outside = paths_.FromHost(folder_.Path() / "filemeta.txt");
    EXPECT_EQ(outside.substr(0, 3), "Z:\\");
    EXPECT_EQ(paths_.ToHost(outside), folder_.Path() / "filemeta.txt");

    for (const char* windows : {"C:\\Program Files\\Common Files", "E:\\data", "Z:\\tmp"})
        EXPECT_EQ(paths_.FromHost(*paths_.ToHost(windows)), windows);
}

} // namespace
} // namespace tarn::test
