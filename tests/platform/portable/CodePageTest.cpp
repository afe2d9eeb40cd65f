// Text between a machine's code page and UTF-8, and upper case as Windows compares names.
#include "platform/portable/CodePage.h"

#include <gtest/gtest.h>

using namespace tarn::platform;

TEST(CodePage, ConvertsWhatFitsAndRefusesWhatDoesNot) {
    EXPECT_EQ(Utf8ToAnsi("Größe.dll", 1252), std::optional<std::string>("Gr\xF6\xDF"
                                                                        "e.dll"));
    EXPECT_EQ(AnsiToUtf8("Gr\xF6\xDF"
                         "e.dll",
                         1252),
              "Größe.dll");
    EXPECT_EQ(AnsiToUtf8("\x80", 1252), "€");
    EXPECT_EQ(Utf8ToAnsi("日本", 1252), std::nullopt);
    EXPECT_EQ(Utf8ToAnsi("\xC3", 1252), std::nullopt) << "cut UTF-8";
    EXPECT_EQ(Utf8ToAnsiLossy("a日b\xFF", 1252), "a?b?");
    // Another code page: the same name, other bytes.
    EXPECT_EQ(Utf8ToAnsi("Ü", 850), std::optional<std::string>("\x9A"));
    EXPECT_EQ(AnsiToUtf8(*Utf8ToAnsi("日本", 932), 932), "日本");
}

TEST(CodePage, UpperCaseFollowsTheCodePagesCharacters) {
    EXPECT_EQ(UpperAnsi("\xFC"
                        "bersicht.txt",
                        1252),
              "\xDC"
              "BERSICHT.TXT");
    EXPECT_EQ(UpperAnsi("\xFF", 1252), "\x9F") << "y with diaeresis has its capital in 1252";
    EXPECT_EQ(UpperAnsi("\xDF", 1252), "\xDF") << "sharp s has no one-character capital";
    EXPECT_EQ(UpperAnsi("\x81"
                        "a",
                        850),
              "\x9A"
              "A")
        << "u with diaeresis in 850";
    EXPECT_TRUE(CodePageSupported(1252));
    EXPECT_FALSE(CodePageSupported(4242));
}
