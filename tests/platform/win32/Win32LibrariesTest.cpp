// Libraries and the database engine of the Win32 backend: real LoadLibrary/GetProcAddress.
#include "platform/win32/Win32Libraries.h"
#include "platform/win32/Win32DatabaseEngine.h"

#include <gtest/gtest.h>

namespace tarn::platform::win32 {
namespace {

TEST(Win32Libraries, LoadsASystemLibraryAndFindsOnlyItsExports) {
    Win32Libraries libraries;
    HANDLE kernel = 0;
    ASSERT_EQ(libraries.LoadLibrary("kernel32.dll", kernel), ERROR_SUCCESS);
    EXPECT_NE(kernel, 0u);
    EXPECT_TRUE(static_cast<bool>(libraries.GetEntryPoint(kernel, "GetTickCount")));
    EXPECT_FALSE(static_cast<bool>(libraries.GetEntryPoint(kernel, "NoSuchEntryPoint")));
    EXPECT_EQ(libraries.FreeLibrary(kernel), ERROR_SUCCESS);
}

TEST(Win32Libraries, AMissingLibraryIsAWindowsError) {
    Win32Libraries libraries;
    HANDLE library = 0;
    DWORD rc = libraries.LoadLibrary("C:\\tarnwell-absent\\none.dll", library);
    EXPECT_TRUE(rc == ERROR_MOD_NOT_FOUND || rc == ERROR_PATH_NOT_FOUND) << rc;
    EXPECT_EQ(library, 0u);
}

TEST(Win32DatabaseEngine, WithoutTheEngineInitialisationFails) {
    Win32DatabaseEngine engine;
    EXPECT_EQ(engine.Init(0x0500), DBIERR_NOT_AVAILABLE);
    EXPECT_EQ(engine.DeleteAlias("ALIAS"), DBIERR_NOT_AVAILABLE);
    EXPECT_EQ(engine.SaveConfig(true), DBIERR_NOT_AVAILABLE);
    EXPECT_EQ(engine.Exit(), DBIERR_NOT_AVAILABLE);
}

} // namespace
} // namespace tarn::platform::win32
