#include "framework/Exception.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <limits>

namespace tarn {
namespace {

enum TColour { clRed, clGreen, clBlue };

TEST(Format, FillsPlaceholdersFromArgumentsOfAnyKind) {
    const std::string folder = "C:\\Program Files";
    EXPECT_EQ(Format("Copy %s to %s: %d files", "a.txt", folder, 3),
              "Copy a.txt to C:\\Program Files: 3 files");
    EXPECT_EQ(Format("%d %d %d %d", INT_MIN, std::numeric_limits<std::uint64_t>::max(),
                     static_cast<short>(-7), clBlue),
              "-2147483648 18446744073709551615 -7 2");
    EXPECT_EQ(Format("drive %s:", 'C'), "drive C:");
}

TEST(Format, KeepsWhatItCannotFill) {
    EXPECT_EQ(Format("100%% done, %x left, 50%"), "100% done, %x left, 50%");
    EXPECT_EQ(Format("%s and %s and %d", "one"), "one and %s and %d");
    EXPECT_EQ(Format("no placeholders", 1, "two"), "no placeholders");
    EXPECT_EQ(Format("%%s is %s", "literal"), "%s is literal");
    // Mismatched types still format rather than misread their argument.
    EXPECT_EQ(Format("%d/%s", "text", 12), "text/12");
    const char* missing = nullptr;
    EXPECT_EQ(Format("[%s]", missing), "[]");
}

// The way the library declares its own error classes.
class EAbnormal : public Exception {
    using Exception::Exception;
};
class ECompress : public EAbnormal {
    using EAbnormal::EAbnormal;
};

TEST(Exception, DerivedClassesInheritPlainAndFormattedConstructors) {
    try {
        throw ECompress("Bad block %d in %s", 7, "data.z");
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "Bad block 7 in data.z");
        EXPECT_STREQ(e.what(), "Bad block 7 in data.z");
    }
    ECompress plain("50% done");
    EXPECT_EQ(plain.Message(), "50% done"); // a lone message is not a format
    plain.SetMessage("changed");
    EXPECT_STREQ(plain.what(), "changed");
}

} // namespace
} // namespace tarn
