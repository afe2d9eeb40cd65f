// The embedded machine's environment queries: the host's variables, in the machine's code page.
#include "platform/Platform.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace tarn::platform {
namespace {

constexpr const char* kName = "TARNWELL_TEST_QUERY";

TEST(EnvironmentQuery, HostVariablesInTheCodePage) {
    test::TempMachine machine;
    std::string value;
    unsetenv(kName);
    EXPECT_FALSE(System().GetEnvironmentVariable(kName, value));
    setenv(kName, "", 1); // set but empty is still set
    ASSERT_TRUE(System().GetEnvironmentVariable(kName, value));
    EXPECT_EQ(value, "");
    setenv(kName, "Caf\xC3\xA9", 1);
    ASSERT_TRUE(System().GetEnvironmentVariable(kName, value));
    EXPECT_EQ(value, "Caf\xE9");
    setenv(kName, "\xCE\xA9", 1); // omega has no place in code page 1252
    EXPECT_FALSE(System().GetEnvironmentVariable(kName, value));
    unsetenv(kName);
}

} // namespace
} // namespace tarn::platform
