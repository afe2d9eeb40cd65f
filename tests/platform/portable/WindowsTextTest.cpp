#include "platform/portable/WindowsText.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <vector>

using namespace tarn::platform::portable;

TEST(WindowsText, ComparesLikeTheUserLocale) {
    EXPECT_EQ(CompareAnsi("apple", "APPLE", true), 0);
    EXPECT_LT(CompareAnsi("apple", "APPLE", false), 0); // lower case first
    EXPECT_LT(CompareAnsi("a", "B", true), 0);          // not byte order
    EXPECT_LT(CompareAnsi("\xE9t\xE9", "ez", true), 0); // été: é sorts with e
    EXPECT_LT(CompareAnsi("etc", "\xE9t\xE9", true), 0);
    EXPECT_LT(CompareAnsi("_x", "1", true), 0); // punctuation before digits
    EXPECT_LT(CompareAnsi("9", "a", true), 0);  // digits before letters
    EXPECT_NE(CompareAnsi("coop", "co-op", true), 0);
    EXPECT_LT(CompareAnsi("co-op", "cop", true), 0); // the hyphen is ignored first

    std::vector<std::string> keys = {"Zeta", "alpha", "Beta", "\xC4rger", "10", "_"};
    std::sort(keys.begin(), keys.end(),
              [](const auto& a, const auto& b) { return CompareAnsi(a, b, true) < 0; });
    EXPECT_EQ(keys, (std::vector<std::string>{"_", "10", "alpha", "\xC4rger", "Beta", "Zeta"}));
}

TEST(WindowsText, ConvertsToTheOemCodePage) {
    EXPECT_EQ(AnsiToOem("Caf\xE9 M\xFCller \xC4"), "Caf\x82 M\x81ller \x8E");
    EXPECT_EQ(AnsiToOem("plain ASCII 123"), "plain ASCII 123");
    EXPECT_EQ(AnsiToOem("\xC0").size(), 1u);
    EXPECT_EQ(AnsiToOem("\xC0"), "A"); // best fit where 437 has no such letter
}

TEST(WindowsText, ExpandsEnvironmentReferences) {
    std::map<std::string, std::string> vars = {{"SYSTEMROOT", "C:\\WINDOWS"}};
    EXPECT_EQ(ExpandEnvironment("%SystemRoot%\\TEMP", vars), "C:\\WINDOWS\\TEMP");
    EXPECT_EQ(ExpandEnvironment("%UNKNOWN%\\x%", vars), "%UNKNOWN%\\x%");
    EXPECT_EQ(ExpandEnvironment("100%", vars), "100%");
    EXPECT_EQ(SystemErrorText(2), "The system cannot find the file specified.");
    EXPECT_EQ(SystemErrorText(987654), "");
}
