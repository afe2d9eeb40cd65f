// Conversions of version texts to ANSI, and file dates to the day count.
#include "version/AnsiText.h"
#include "version/FileDates.h"

#include <cmath>
#include <gtest/gtest.h>

namespace tarn::test {
namespace {

using namespace tarn::version;

TEST(Utf16ToAnsi, KeepsAsciiAndLatin1) {
    EXPECT_EQ(Utf16ToAnsi(u"Tarn 1.0"), "Tarn 1.0");
    EXPECT_EQ(Utf16ToAnsi(u"caf\u00E9 \u00A9\u00FF"), "caf\xE9 \xA9\xFF");
}

TEST(Utf16ToAnsi, MapsTheWindows1252PunctuationRow) {
    EXPECT_EQ(Utf16ToAnsi(u"\u20AC\u201E\u2122\u0178"), "\x80\x84\x99\x9F");
    // The unassigned bytes round-trip through the C1 controls of the same number.
    EXPECT_EQ(Utf16ToAnsi(u"\u0081\u008D\u008F\u0090\u009D"), "\x81\x8D\x8F\x90\x9D");
}

TEST(Utf16ToAnsi, CharactersOutsideTheCodePageBecomeOneQuestionMarkEach) {
    EXPECT_EQ(Utf16ToAnsi(u"\u4E2D\u6587"), "??");
    EXPECT_EQ(Utf16ToAnsi(u"\u0080\u0100"), "??");  // C1 control 0x80 is not in the code page
    EXPECT_EQ(Utf16ToAnsi(u"a\U0001F600b"), "a?b"); // a surrogate pair is one character
    const char16_t lone[] = {u'a', 0xD800, u'b', 0xDC00, 0};
    EXPECT_EQ(Utf16ToAnsi(lone), "a?b?");
}

TEST(AnsiToUtf8, ConvertsEveryByte) {
    EXPECT_EQ(AnsiToUtf8("abc"), "abc");
    EXPECT_EQ(AnsiToUtf8("\xE9"), "\xC3\xA9");
    EXPECT_EQ(AnsiToUtf8("\x80"), "\xE2\x82\xAC");
    EXPECT_EQ(AnsiToUtf8("\x81"), "\xC2\x81");
}

constexpr platform::FILETIME kTicksPerSecond = 10'000'000;
// FILETIME of 1970-01-01 00:00 and the day count of that day.
constexpr platform::FILETIME kUnixEpoch = 116444736000000000ull;

TEST(LocalFileTimeToDayCount, CountsDaysFrom1899WithTheTimeAsFraction) {
    EXPECT_DOUBLE_EQ(LocalFileTimeToDayCount(kUnixEpoch), 25569.0);
    // 2000-01-01 12:00:00 is 10957 days after 1970-01-01.
    const platform::FILETIME noon2000 = kUnixEpoch + (10957ull * 86400 + 43200) * kTicksPerSecond;
    EXPECT_DOUBLE_EQ(LocalFileTimeToDayCount(noon2000), 36526.5);
}

TEST(LocalFileTimeToDayCount, HasTheTwoSecondResolutionOfDosStamps) {
    const platform::FILETIME t = kUnixEpoch + 100 * kTicksPerSecond;
    EXPECT_EQ(LocalFileTimeToDayCount(t + kTicksPerSecond), LocalFileTimeToDayCount(t));
    EXPECT_EQ(LocalFileTimeToDayCount(t + kTicksPerSecond - 1), LocalFileTimeToDayCount(t));
    EXPECT_GT(LocalFileTimeToDayCount(t + 2 * kTicksPerSecond), LocalFileTimeToDayCount(t));
}

TEST(LocalFileTimeToDayCount, DatesBefore1899KeepTheTimeAsAPositiveFraction) {
    // 1899-12-29 06:00 is 109204 days and 6 hours after 1601-01-01.
    const platform::FILETIME t = (109204ull * 86400 + 6 * 3600) * kTicksPerSecond;
    EXPECT_DOUBLE_EQ(LocalFileTimeToDayCount(t), -1.25);
}

TEST(CompareDayCounts, OrdersBySecondsAcrossTheSignConvention) {
    EXPECT_EQ(CompareDayCounts(36526.5, 36526.5), 0);
    EXPECT_EQ(CompareDayCounts(36526.5, std::nextafter(36526.5, 1e9)), 0);
    EXPECT_LT(CompareDayCounts(36526.5, 36526.5 + 2.0 / 86400), 0);
    EXPECT_GT(CompareDayCounts(36527.0, 36526.5), 0);
    EXPECT_LT(CompareDayCounts(-1.25, -1.5), 0) << "06:00 comes before 12:00 of the same day";
    EXPECT_LT(CompareDayCounts(-2.75, -1.25), 0);
    EXPECT_LT(CompareDayCounts(-1.25, 0.25), 0);
}

TEST(CompareDayCounts, DamagedDatesStayOrdered) {
    EXPECT_LE(CompareDayCounts(std::nan(""), -1e300), 0); // not later than the earliest
    EXPECT_LT(CompareDayCounts(std::nan(""), 36526.5), 0);
    EXPECT_GT(CompareDayCounts(1e300, 36526.5), 0);
    EXPECT_GT(CompareDayCounts(INFINITY, 36526.5), 0);
    EXPECT_LT(CompareDayCounts(-INFINITY, 36526.5), 0);
}

} // namespace
} // namespace tarn::test
