// FindFirstFile masks as Windows applies them: kernel32 rewrites '?', '*' before a dot and a dot
// before a wildcard or at the end into the DOS wildcards, the file system matches without case.
// Names are written here in UTF-8 and matched in code page 1252, as on a Western machine.
#include "platform/portable/NameMatcher.h"
#include "platform/portable/CodePage.h"

#include <gtest/gtest.h>

#include <string>

namespace tarn::test {
namespace {

using platform::portable::NameMatcher;

constexpr unsigned kWestern = 1252;

std::string Ansi(const char* utf8) {
    return platform::Utf8ToAnsi(utf8, kWestern).value();
}

struct MaskCase {
    const char* mask;
    const char* name;
    bool matches;
};

// Each case is what Windows answers for the long name alone; 8.3 aliases are FindFirst's concern.
constexpr MaskCase kCases[] = {
    // "*" and "*.*" take every name, with or without a dot.
    {"*", "a.b.c", true},
    {"*", ".profile", true},
    {"*.*", "noext", true},
    {"*.*", ".profile", true},
    {"*.*", ".", true},
    // "*." is the names without an extension.
    {"*.", "noext", true},
    {"*.", "a.txt", false},
    {"*.", ".profile", false},
    {"*.", "a.b", false},
    {"*.", "..", true},
    // An extension mask is the last extension, compared whole.
    {"*.txt", "a.txt", true},
    {"*.txt", "A.TXT", true},
    {"*.txt", "a.b.txt", true},
    {"*.txt", ".txt", true},
    {"*.txt", "a.txt.bak", false},
    {"*.txt", "a.txtx", false},
    {"*.txt", "atxt", false},
    {"*.txt*", "a.txt.bak", true},
    {"*.c", "a.b.c", true},
    {"*.b", "a.b.c", false},
    {"*c", "a.b.c", true},
    {"*.b.*", "a.b.c", true},
    // A dot before a wildcard also matches the end of the name.
    {"a.*", "a", true},
    {"a.*", "a.b.c", true},
    {"a.*", "ab", false},
    {".*", ".profile", true},
    {".*", "a.txt", false},
    {"x.", "x", true},
    {"x.", "x.y", false},
    // "?" is one character, or none at a dot or the end of the name.
    {"a?c", "abc", true},
    {"a?c", "ac", false},
    {"a?c", "abbc", false},
    {"a?c", "a.c", false},
    {"a?", "a", true},
    {"a?", "ab", true},
    {"a?", "a.b", false},
    {"a??.txt", "a.txt", true},
    {"a??.txt", "abc.txt", true},
    {"a??.txt", "abcd.txt", false},
    {"abc.t??", "abc.t", true},
    {"abc.t??", "abc.txt", true},
    {"abc.t??", "abc.text", false},
    {"abc.???", "abc", true},
    {"?profile", ".profile", false},
    {"?.txt", ".txt", true},
    {"????????.???", "noext", true},
    {"????????.???", "abcdefgh.txt", true},
    {"????????.???", "abcdefghi.txt", false},
    {"????????.???", "a.long", false},
    // Without case, in the code page: letters outside ASCII too, but no accent folding and no
    // capitals that take two letters.
    {"ü*.TXT", "Über.txt", true},
    {"Ü?ER.TXT", "über.txt", true},
    {"ÿ", "Ÿ", true},
    {"UBER.TXT", "Über.txt", false},
    {"straße", "STRASSE", false},
};

TEST(NameMatcher, FollowsTheDosRulesOfFindMasks) {
    for (const auto& c : kCases) {
        NameMatcher matcher(Ansi(c.mask), kWestern);
        EXPECT_EQ(matcher.Matches(Ansi(c.name)), c.matches) << c.mask << " on " << c.name;
    }
}

// FindFirst asks one matcher about every name in a folder; no answer may depend on the one
// before it.
TEST(NameMatcher, AnswersEachNameOnItsOwn) {
    NameMatcher matcher("a?c.*", kWestern);
    const std::pair<const char*, bool> names[] = {
        {"abc.txt", true}, {"a", false},      {"abcdefgh.txt", false}, {"ABC", true},
        {"a.c", false},    {"axc.b.c", true}, {"abc.txt", true},
    };
    for (const auto& [name, matches] : names)
        EXPECT_EQ(matcher.Matches(name), matches) << name;
}

TEST(NameMatcher, ManyStarsOnALongNameStayFast) {
    NameMatcher matcher("*a*a*a*a*a*a*a*b", kWestern);
    EXPECT_FALSE(matcher.Matches(std::string(400, 'a')));
    EXPECT_TRUE(matcher.Matches(std::string(400, 'a') + "b"));
}

} // namespace
} // namespace tarn::test
