// The case rules side by side, on the bytes that tell them apart, and FileExists on a machine.
#include "framework/TextCase.h"
#include "framework/FileExists.h"

#include "support/TempMachine.h"

#include <gtest/gtest.h>

#include <string>

namespace tarn {
namespace {

struct Pair {
    const char* a;
    const char* b;
    bool bytes; // a == b
    bool ascii;
    bool ansi;
    const char* why;
};

// Windows-1252 bytes: ä E4, Ä C4, à E0, À C0, þ FE, Þ DE, ÿ FF, Ÿ 9F, š 9A, Š 8A, ß DF, ÷ F7, × D7.
constexpr Pair kPairs[] = {
    {"", "", true, true, true, "empty"},
    {"Component1", "Component1", true, true, true, "same bytes"},
    {"Component1", "COMPONENT1", false, true, true, "ASCII letters"},
    {"az", "AZ", false, true, true, "the ends of the ASCII alphabet"},
    {"abc", "ab", false, false, false, "lengths differ"},
    {"@[`{", "`{@[", false, false, false, "the bytes 0x20 from the ASCII letters"},
    {"0123456789", "\x10\x11\x12\x13\x14\x15\x16\x17\x18\x19", false, false, false,
     "digits are not letters"},
    {"\xE4", "\xC4", false, false, true, "a with diaeresis"},
    {"\xE0\xFE", "\xC0\xDE", false, false, true, "the ends of the Latin-1 letters"},
    {"C:\\Programme\\\xE4.ini", "c:\\PROGRAMME\\\xC4.INI", false, false, true, "a path"},
    {"\xFF", "\x9F", false, false, false, "y with diaeresis: its capital lies outside Latin-1"},
    {"\x9A", "\x8A", false, false, false, "s with caron, likewise"},
    {"\xDF", "\xFF", false, false, false, "sharp s has no capital, and is none"},
    {"\xDF", "SS", false, false, false, "sharp s is not spelled out"},
    {"\xF7", "\xD7", false, false, false, "division and multiplication signs"},
};

TEST(TextCase, EachRuleFoldsItsOwnLetters) {
    for (const Pair& p : kPairs) {
        EXPECT_EQ(std::string(p.a) == p.b, p.bytes) << p.why;
        EXPECT_EQ(SameTextAscii(p.a, p.b), p.ascii) << p.why;
        EXPECT_EQ(SameTextAnsi(p.a, p.b), p.ansi) << p.why;
        EXPECT_EQ(SameTextAscii(p.b, p.a), p.ascii) << p.why << " (swapped)";
        EXPECT_EQ(SameTextAnsi(p.b, p.a), p.ansi) << p.why << " (swapped)";
    }
}

TEST(TextCase, UpperCaseMakesTheCapitalsOfItsRule) {
    EXPECT_EQ(UpperCaseAscii("abz\xE4\xFF"), "ABZ\xE4\xFF");
    EXPECT_EQ(UpperCaseAnsi("abz\xE4\xFE\xFF\xDF\xF7\x9A"), "ABZ\xC4\xDE\xFF\xDF\xF7\x9A");
}

// Over every pair of bytes: the comparison agrees with the upper case, and folds exactly the
// letters its rule names (26 pairs for ASCII, 30 more for the Latin-1 letters), nothing else.
TEST(TextCase, NoOtherBytesFold) {
    int asciiPairs = 0;
    int ansiPairs = 0;
    for (int x = 0; x < 256; ++x)
        for (int y = 0; y < 256; ++y) {
            const std::string a(1, static_cast<char>(x));
            const std::string b(1, static_cast<char>(y));
            ASSERT_EQ(SameTextAscii(a, b), UpperCaseAscii(a) == UpperCaseAscii(b)) << x << " " << y;
            ASSERT_EQ(SameTextAnsi(a, b), UpperCaseAnsi(a) == UpperCaseAnsi(b)) << x << " " << y;
            if (x < y && SameTextAscii(a, b)) ++asciiPairs;
            if (x < y && SameTextAnsi(a, b)) ++ansiPairs;
        }
    EXPECT_EQ(asciiPairs, 26);
    EXPECT_EQ(ansiPairs, 26 + 30);
}

TEST(FileExists, OnlyAnExistingFileCounts) {
    test::TempMachine machine;
    test::WriteHostFile(machine.Host("C:\\Data\\a.txt"), "a");
    EXPECT_TRUE(FileExists("C:\\Data\\a.txt"));
    EXPECT_TRUE(FileExists("c:\\data\\A.TXT")) << "the machine's names have no case";
    EXPECT_FALSE(FileExists("C:\\Data")) << "a folder";
    EXPECT_FALSE(FileExists("C:\\Data\\b.txt"));
    EXPECT_FALSE(FileExists("C:\\None\\a.txt"));
    EXPECT_FALSE(FileExists(""));
}

} // namespace
} // namespace tarn
