// The uninstaller's product name comes from its command line after the program's own name.
#include "ProgramArguments.h"

#include <gtest/gtest.h>

namespace tarn::uninstall::win32 {
namespace {

using Words = std::vector<std::string>;

TEST(ProgramArguments, TheWordsAfterAQuotedProgramPath) {
    EXPECT_EQ(ProgramArguments("\"C:\\Program Files\\Demo\\uninstall.exe\" Tarnwell Demo"),
              (Words{"Tarnwell", "Demo"}));
}

TEST(ProgramArguments, TheWordsAfterAPlainProgramName) {
    EXPECT_EQ(ProgramArguments("uninstall.exe My\tProduct"), (Words{"My", "Product"}));
}

TEST(ProgramArguments, NoneWhenOnlyTheProgramIsThere) {
    EXPECT_TRUE(ProgramArguments("\"C:\\Program Files\\Demo\\uninstall.exe\"").empty());
    EXPECT_TRUE(ProgramArguments("uninstall.exe   ").empty());
    EXPECT_TRUE(ProgramArguments("").empty());
}

TEST(ProgramArguments, AQuotedNameKeepsItsBlanksAndRunsOfBlanksSeparateOnce) {
    EXPECT_EQ(ProgramArguments("u.exe \"My  Product \"   2"), (Words{"My  Product ", "2"}));
}

TEST(ProgramArguments, BackslashesInTheProgramPathArePlain) {
    // A backslash before the closing quote of the program's path escapes nothing.
    EXPECT_EQ(ProgramArguments("\"C:\\Odd Folder\\\" Demo"), (Words{"Demo"}));
}

} // namespace
} // namespace tarn::uninstall::win32
