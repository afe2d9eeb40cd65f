// The version code and the restart-time delete on the Windows that Wine pretends to be. The
// runner (run-versions.sh) sets the prefix's Windows version, names it in TARN_WINDOWS_VERSION
// and names a file to delete at the next restart in TARN_REBOOT_PROBE; it restarts Wine
// afterwards and checks that the file is gone.
#include "platform/Platform.h"
#include "routines/routines_API.h"
#include "routines/routines_INIFiles.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

using namespace tarn;

namespace {

std::string Env(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The NUL-separated list of PendingFileRenameOperations, empty when there is none.
std::string PendingRenames() {
    HKEY key;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                        0, KEY_READ, &key) != ERROR_SUCCESS)
        return "";
    DWORD size = 0;
    std::string data;
    if (::RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr, nullptr, &size) ==
        ERROR_SUCCESS) {
        data.resize(size);
        ::RegQueryValueExA(key, "PendingFileRenameOperations", nullptr, nullptr,
                           reinterpret_cast<BYTE*>(data.data()), &size);
        data.resize(size);
    }
    ::RegCloseKey(key);
    return data;
}

class WindowsVersionTest : public ::testing::Test {
protected:
    void SetUp() override {
        version = Env("TARN_WINDOWS_VERSION");
        if (version.empty()) GTEST_SKIP() << "run by run-versions.sh with a prefix version set";
    }
    std::string version;
};

} // namespace

TEST_F(WindowsVersionTest, TheCodeIsThatOfTheVersionThePrefixReports) {
    const std::map<std::string, WindowsVersionCode> codes = {
        {"win98", 7}, {"winme", 8}, {"nt40", 2}, {"win2k", 6}, {"winxp", 6}, {"win7", 4}};
    ASSERT_TRUE(codes.count(version)) << version;
    EXPECT_EQ(GetWindowsVersionCode(), codes.at(version));
}

TEST_F(WindowsVersionTest, ARestartTimeDeleteIsArrangedTheWayThatWindowsDoesIt) {
    const std::string probe = Env("TARN_REBOOT_PROBE");
    ASSERT_FALSE(probe.empty());
    std::ofstream(probe) << "goes at the restart";
    const std::string wininit = GetWindowsDir() + "\\WININIT.INI";
    ::DeleteFileA(wininit.c_str());
    const std::string pendingBefore = PendingRenames();

    DeleteFileOnReboot(probe);

    EXPECT_EQ(::GetFileAttributesA(probe.c_str()) != INVALID_FILE_ATTRIBUTES, true)
        << "the file stays until the restart";
    char shortPath[MAX_PATH] = "";
    ::GetShortPathNameA(probe.c_str(), shortPath, MAX_PATH);
    if (IsWindows95Family(GetWindowsVersionCode())) {
        EXPECT_EQ(ReadFile(wininit), std::string("[RENAME]\r\nNul=") + shortPath + "\r\n");
        EXPECT_EQ(PendingRenames(), pendingBefore);
    } else {
        EXPECT_EQ(::GetFileAttributesA(wininit.c_str()), INVALID_FILE_ATTRIBUTES);
        const std::string pending = PendingRenames();
        EXPECT_NE(pending.find(probe), std::string::npos);
        EXPECT_GT(pending.size(), pendingBefore.size());
    }
}
