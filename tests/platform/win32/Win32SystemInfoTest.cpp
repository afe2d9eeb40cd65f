// The Win32 backend's system information: the values come from the running Windows.
#include "platform/win32/WindowsApi.h"

#include "platform/win32/Win32SystemInfo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace tarn::platform::win32 {
namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

TEST(Win32SystemInfo, ReportsAVersion) {
    Win32SystemInfo system;
    OsVersion version;
    version.major = 0;
    ASSERT_TRUE(system.GetVersion(version));
    EXPECT_TRUE(version.platformId == VER_PLATFORM_WIN32_NT ||
                version.platformId == VER_PLATFORM_WIN32_WINDOWS);
    EXPECT_GE(version.major, 4u);
}

TEST(Win32SystemInfo, FoldersAreAbsoluteAndNested) {
    Win32SystemInfo system;
    std::string windows, systemFolder, temp;
    ASSERT_EQ(system.GetWindowsDirectory(windows), ERROR_SUCCESS);
    ASSERT_EQ(system.GetSystemDirectory(systemFolder), ERROR_SUCCESS);
    ASSERT_EQ(system.GetTempPath(temp), ERROR_SUCCESS);
    ASSERT_GE(windows.size(), 3u);
    EXPECT_EQ(windows.substr(1, 2), ":\\");
    EXPECT_EQ(Lower(systemFolder).rfind(Lower(windows) + "\\", 0), 0u) << systemFolder;
    ASSERT_FALSE(temp.empty());
    EXPECT_EQ(temp.back(), '\\');
}

TEST(Win32SystemInfo, ModuleFileNameIsThisProgram) {
    std::string path = Lower(Win32SystemInfo().GetModuleFileName());
    ASSERT_GE(path.size(), 17u);
    EXPECT_EQ(path.substr(path.size() - 17), "test_platform.exe");
}

TEST(Win32SystemInfo, AnEmptyEnvironmentVariableIsStillSet) {
    Win32SystemInfo system;
    std::string value = "left";
    ::SetEnvironmentVariableA("TARNWELL_TEST_QUERY", nullptr);
    EXPECT_FALSE(system.GetEnvironmentVariable("TARNWELL_TEST_QUERY", value));
    // Windows reports an empty value with a length of 0, as it does a failure.
    ::SetEnvironmentVariableA("TARNWELL_TEST_QUERY", "");
    ASSERT_TRUE(system.GetEnvironmentVariable("TARNWELL_TEST_QUERY", value));
    EXPECT_EQ(value, "");
    ::SetEnvironmentVariableA("TARNWELL_TEST_QUERY", nullptr);
}

TEST(Win32SystemInfo, CompareStringFollowsTheLocale) {
    Win32SystemInfo system;
    EXPECT_EQ(system.CompareString("Alpha", "ALPHA", true), 0);
    EXPECT_NE(system.CompareString("Alpha", "ALPHA", false), 0);
    EXPECT_LT(system.CompareString("apple", "Banana", true), 0);
    EXPECT_GT(system.CompareString("cherry", "Banana", true), 0);
    EXPECT_EQ(system.CompareString("", "", false), 0);
}

TEST(Win32SystemInfo, CharToOemKeepsLengthAndAscii) {
    Win32SystemInfo system;
    EXPECT_EQ(system.CharToOem("Plain ASCII 123"), "Plain ASCII 123");
    EXPECT_EQ(system.CharToOem("caf\xe9").size(), 4u);
    EXPECT_EQ(system.CharToOem(""), "");
}

TEST(Win32SystemInfo, ErrorTextIsOneTrimmedMessage) {
    std::string text = Win32SystemInfo().ErrorText(ERROR_FILE_NOT_FOUND);
    ASSERT_FALSE(text.empty());
    EXPECT_NE(text.back(), '\n');
    EXPECT_NE(text.back(), '\r');
}

} // namespace
} // namespace tarn::platform::win32
