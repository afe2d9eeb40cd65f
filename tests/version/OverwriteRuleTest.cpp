// The overwrite rules: comparing version texts and file dates, for archive members
// (IsFileNewerThan) and for files on disk (IsFileNewerByName).
#include "platform/Platform.h"
#include "support/TempMachine.h"
#include "version/FileDates.h"
#include "version/PeWriter.h"
#include "version/cmp_TVersion.h"

#include <cmath>
#include <gtest/gtest.h>

namespace tarn::test {
namespace {

using namespace tarn::version;
using platform::FILETIME;

TEST(CompareVersionStrings, FieldByField) {
    struct Case {
        const char* a;
        const char* b;
        int result;
    };
    const Case cases[] = {
        {"", "", 0},
        {"1.0", "1.0", 0},
        {"1.0", "1.0.0", 2}, // the text with a field left wins
        {"1.0.0", "1.0", 1},
        {"1.10", "1.9", 1}, // numbers, not text
        {"1.9", "1.10", 2},
        {"", "0", 2}, // an empty text loses against any other
        {"0", "", 1},
        {"4.0.1381.1", "4.0.1381.2", 2},
        {"4.0.1381.10", "4.0.1381.9", 1},
        {"01.2", "1.2", 0},  // equal numbers
        {"1.2a", "1.2b", 2}, // not numbers: bytes
        {"1.b", "1.a", 1},
        {"1.B", "1.a", 2},   // case-sensitive, ordinal
        {"1.10", "1.9a", 2}, // one side not a number: "10" < "9a" as bytes
        {"1.x", "1.x.1", 2}, // equal text fields go on
        {"1..5", "1..3", 0}, // an empty field ends both texts
        {"1..5", "1.0.3", 2},
        {"-1", "0", 2},
        {"1.\xE9", "1.z", 1},             // bytes above 0x7F sort after ASCII
        {"10000000000000000000", "5", 2}, // too large for a number: bytes
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompareVersionStrings(c.a, c.b), c.result) << c.a << " vs " << c.b;
}

constexpr FILETIME kSecond = 10'000'000;
// 2001-06-15 10:00:00 UTC, an even second.
constexpr FILETIME kBase = 116444736000000000ull + 992599200ull * kSecond;

class OverwriteRuleTest : public testing::Test {
protected:
    void SetUp() override { FreeSharedVersionResource(); }
    void TearDown() override { FreeSharedVersionResource(); }

    void PutVersioned(const std::string& path, std::uint16_t major, std::uint16_t minor) {
        VersionSpec layout;
        layout.fileVersion = {major, minor, 0, 0};
        WriteHostFile(machine_.Host(path), AsString(BuildPeWithVersion(layout).bytes));
    }
    void PutPlain(const std::string& path) { WriteHostFile(machine_.Host(path), "plain text"); }
    void SetDate(const std::string& path, FILETIME utc) {
        ASSERT_EQ(platform::Files().SetLastWriteTime(path, utc), platform::ERROR_SUCCESS);
    }
    static double DayCount(FILETIME utc) {
        return LocalFileTimeToDayCount(platform::Files().ToLocalFileTime(utc));
    }
    // Holds the file open without sharing, so that no one else can open it.
    struct Lock {
        explicit Lock(const std::string& path) {
            EXPECT_EQ(platform::Files().CreateFile(path, platform::GENERIC_READ, 0,
                                                   platform::OPEN_EXISTING, 0, handle),
                      platform::ERROR_SUCCESS);
        }
        ~Lock() { platform::Files().CloseFile(handle); }
        platform::HANDLE handle = platform::INVALID_HANDLE_VALUE;
    };

    TempMachine machine_;
};

TEST_F(OverwriteRuleTest, AlwaysReplacesAndAskAsks) {
    PutVersioned("C:\\OLD.DLL", 9, 0);
    EXPECT_EQ(TVersionResource::IsFileNewerThan("1.0", 0, "C:\\OLD.DLL", owAlways),
              cmpNewFileNewer);
    EXPECT_EQ(TVersionResource::IsFileNewerThan("1.0", 0, "C:\\NONE.DLL", owAlways), 2);
    EXPECT_EQ(TVersionResource::IsFileNewerThan("1.0", 0, "C:\\OLD.DLL", owAsk), cmpAsk);
    EXPECT_EQ(TVersionResource::IsFileNewerByName("C:\\NONE", "C:\\OLD.DLL", owAsk), 4);
    EXPECT_EQ(TVersionResource::IsFileNewerByName("C:\\NONE", "C:\\NONE", owAlways), 2);
}

TEST_F(OverwriteRuleTest, NeverKeepsAnExistingFileOnly) {
    PutPlain("C:\\OLD.TXT");
    EXPECT_EQ(TVersionResource::IsFileNewerThan("", 0, "C:\\OLD.TXT", owNever), cmpExistingNewer);
    EXPECT_EQ(TVersionResource::IsFileNewerThan("", 0, "C:\\MISSING.TXT", owNever), 2);
    EXPECT_EQ(TVersionResource::IsFileNewerThan("", 0, "", owNever), 2);
    EXPECT_EQ(TVersionResource::IsFileNewerThan("", 0, "   ", owNever), 2);
    EXPECT_EQ(TVersionResource::IsFileNewerThan("", 0, "C:\\WINDOWS", owNever), 2)
        << "a folder is not an existing file";
    EXPECT_EQ(TVersionResource::IsFileNewerByName("C:\\NEW", "C:\\OLD.TXT", owNever), 3);
    EXPECT_EQ(TVersionResource::IsFileNewerByName("C:\\NEW", " ", owNever), 2);
}

TEST_F(OverwriteRuleTest, VersionComparesTheFileVersions) {
    PutVersioned("C:\\OLD.DLL", 2, 5);
    auto member = [](const char* version) {
        return TVersionResource::IsFileNewerThan(version, 0, "C:\\OLD.DLL", owVersion);
    };
    EXPECT_EQ(member("2.5.0.0"), cmpSame);
    EXPECT_EQ(member("2.5.0.1"), cmpNewFileNewer);
    EXPECT_EQ(member("2.10"), cmpNewFileNewer);
    EXPECT_EQ(member("2.4.9.9"), cmpExistingNewer);
    EXPECT_EQ(member("2.5"), cmpExistingNewer) << "2.5 has fewer fields than 2.5.0.0";
    EXPECT_EQ(member(""), cmpExistingNewer);
}

TEST_F(OverwriteRuleTest, FilesWithoutVersionInformation) {
    PutPlain("C:\\A.TXT");
    PutPlain("C:\\B.TXT");
    PutVersioned("C:\\V.DLL", 1, 0);
    // Two files without version information are the same: the existing one is kept.
    EXPECT_EQ(TVersionResource::IsFileNewerByName("C:\\A.TXT", "C:\\B.TXT", owVersion), 1);
    EXPECT_EQ(TVersionResource::IsFileNewerByName("C:\\A.TXT", "C:\\V.DLL", owVersion), 3);
    EXPECT_EQ(TVersionResource::IsFileNewerByName("C:\\V.DLL", "C:\\A.TXT", owVersion), 2);
    EXPECT_EQ(TVersionResource::IsFileNewerThan("", 0, "C:\\A.TXT", owVersion), 1);
    EXPECT_EQ(TVersionResource::IsFileNewerThan("1.0", 0, "C:\\MISSING.DLL", owVersion), 2);
}

TEST_F(OverwriteRuleTest, VersionByNameComparesBothFiles) {
    PutVersioned("C:\\NEW.DLL", 3, 1);
    PutVersioned("C:\\OLD.DLL", 3, 0);
    PutVersioned("C:\\SAME.DLL", 3, 1);
    EXPECT_EQ(TVersionResource::IsFileNewerByName("C:\\NEW.DLL", "C:\\OLD.DLL", owVersion), 2);
    EXPECT_EQ(TVersionResource::IsFileNewerByName("C:\\OLD.DLL", "C:\\NEW.DLL", owVersion), 3);
    EXPECT_EQ(TVersionResource::IsFileNewerByName("C:\\NEW.DLL", "C:\\SAME.DLL", owVersion), 1);
}

TEST_F(OverwriteRuleTest, DateComparesLastWriteTimes) {
    PutPlain("C:\\OLD.TXT");
    SetDate("C:\\OLD.TXT", kBase);
    auto member = [](double date) {
        return TVersionResource::IsFileNewerThan("", date, "C:\\OLD.TXT", owDate);
    };
    EXPECT_EQ(member(DayCount(kBase)), cmpSame);
    EXPECT_EQ(member(DayCount(kBase + 2 * kSecond)), cmpNewFileNewer);
    EXPECT_EQ(member(DayCount(kBase - 2 * kSecond)), cmpExistingNewer);
    EXPECT_EQ(member(DayCount(kBase + 86400 * kSecond)), cmpNewFileNewer);
    // The existing file's stamp has the 2-second resolution of the day count.
    SetDate("C:\\OLD.TXT", kBase + kSecond);
    EXPECT_EQ(member(DayCount(kBase)), cmpSame);
}

TEST_F(OverwriteRuleTest, DateFailsWhenTheExistingFileCannotBeOpened) {
    PutPlain("C:\\OLD.TXT");
    {
        Lock lock("C:\\OLD.TXT");
        EXPECT_EQ(TVersionResource::IsFileNewerThan("", DayCount(kBase), "C:\\OLD.TXT", owDate),
                  cmpFailed);
        EXPECT_EQ(
            TVersionResource::IsFileNewerThan("", DayCount(kBase), "C:\\OLD.TXT", owVersionDate),
            cmpFailed);
    }
    EXPECT_NE(TVersionResource::IsFileNewerThan("", DayCount(kBase), "C:\\OLD.TXT", owDate), 0);
    EXPECT_EQ(TVersionResource::IsFileNewerThan("", DayCount(kBase), "C:\\MISSING.TXT", owDate),
              cmpFailed);
}

TEST_F(OverwriteRuleTest, DateByNameOpensBothFiles) {
    PutPlain("C:\\NEW.TXT");
    PutPlain("C:\\OLD.TXT");
    SetDate("C:\\NEW.TXT", kBase + 10 * kSecond);
    SetDate("C:\\OLD.TXT", kBase);
    EXPECT_EQ(TVersionResource::IsFileNewerByName("C:\\NEW.TXT", "C:\\OLD.TXT", owDate), 2);
    EXPECT_EQ(TVersionResource::IsFileNewerByName("C:\\OLD.TXT", "C:\\NEW.TXT", owDate), 3);
    EXPECT_EQ(TVersionResource::IsFileNewerByName("C:\\OLD.TXT", "C:\\OLD.TXT", owDate), 1);
    EXPECT_EQ(TVersionResource::IsFileNewerByName("C:\\MISSING", "C:\\OLD.TXT", owDate), 0);
    EXPECT_EQ(TVersionResource::IsFileNewerByName("C:\\NEW.TXT", "C:\\MISSING", owDate), 0);
    Lock lock("C:\\NEW.TXT");
    EXPECT_EQ(TVersionResource::IsFileNewerByName("C:\\NEW.TXT", "C:\\OLD.TXT", owDate), 0);
}

TEST_F(OverwriteRuleTest, VersionDateDecidesByVersionFirstThenByDate) {
    PutVersioned("C:\\NEW.DLL", 2, 0);
    PutVersioned("C:\\OLD.DLL", 1, 0);
    PutVersioned("C:\\TWIN.DLL", 2, 0);
    SetDate("C:\\NEW.DLL", kBase);
    SetDate("C:\\OLD.DLL", kBase + 100 * kSecond); // younger, yet of a lower version
    SetDate("C:\\TWIN.DLL", kBase + 100 * kSecond);
    EXPECT_EQ(TVersionResource::IsFileNewerByName("C:\\NEW.DLL", "C:\\OLD.DLL", owVersionDate), 2);
    EXPECT_EQ(TVersionResource::IsFileNewerByName("C:\\OLD.DLL", "C:\\NEW.DLL", owVersionDate), 3);
    EXPECT_EQ(TVersionResource::IsFileNewerByName("C:\\NEW.DLL", "C:\\TWIN.DLL", owVersionDate), 3);
    EXPECT_EQ(TVersionResource::IsFileNewerByName("C:\\TWIN.DLL", "C:\\NEW.DLL", owVersionDate), 2);
    SetDate("C:\\TWIN.DLL", kBase);
    EXPECT_EQ(TVersionResource::IsFileNewerByName("C:\\NEW.DLL", "C:\\TWIN.DLL", owVersionDate), 1);

    // A member: its version text first, its date only when the versions are equal.
    EXPECT_EQ(TVersionResource::IsFileNewerThan("1.0.0.0", DayCount(kBase + 500 * kSecond),
                                                "C:\\TWIN.DLL", owVersionDate),
              3);
    EXPECT_EQ(TVersionResource::IsFileNewerThan("2.0.0.0", DayCount(kBase), "C:\\TWIN.DLL",
                                                owVersionDate),
              1);
    EXPECT_EQ(TVersionResource::IsFileNewerThan("2.0.0.0", DayCount(kBase + 2 * kSecond),
                                                "C:\\TWIN.DLL", owVersionDate),
              2);
}

TEST_F(OverwriteRuleTest, DamagedMemberDatesNeverReplace) {
    PutPlain("C:\\OLD.TXT");
    SetDate("C:\\OLD.TXT", kBase);
    EXPECT_EQ(TVersionResource::IsFileNewerThan("", std::nan(""), "C:\\OLD.TXT", owDate), 3);
}

TEST_F(OverwriteRuleTest, RuleOutsideTheTypeFails) {
    PutPlain("C:\\OLD.TXT");
    EXPECT_EQ(
        TVersionResource::IsFileNewerThan("", 0, "C:\\OLD.TXT", static_cast<TOverwriteType>(6)),
        cmpFailed);
}

TEST_F(OverwriteRuleTest, TheSharedReaderIsMadeOnDemandAndLeftOnTheLastFileRead) {
    EXPECT_EQ(SharedVersionResource(), nullptr);
    PutVersioned("C:\\NEW.DLL", 2, 0);
    PutVersioned("C:\\OLD.DLL", 1, 0);
    TVersionResource::IsFileNewerByName("C:\\NEW.DLL", "C:\\OLD.DLL", owAlways);
    EXPECT_EQ(SharedVersionResource(), nullptr) << "owAlways reads no version";
    TVersionResource::IsFileNewerByName("C:\\NEW.DLL", "C:\\OLD.DLL", owVersion);
    ASSERT_NE(SharedVersionResource(), nullptr);
    EXPECT_EQ(SharedVersionResource()->FileName(), "C:\\OLD.DLL");
    EXPECT_EQ(SharedVersionResource()->VersionInfo().FileVersion(), "1.0.0.0");
    TVersionResource* first = SharedVersionResource();
    TVersionResource::IsFileNewerThan("1.0", 0, "C:\\NEW.DLL", owVersion);
    EXPECT_EQ(SharedVersionResource(), first);
    EXPECT_EQ(first->FileName(), "C:\\NEW.DLL");
    FreeSharedVersionResource();
    EXPECT_EQ(SharedVersionResource(), nullptr);
    CreateSharedVersionResource();
    EXPECT_NE(SharedVersionResource(), nullptr);
}

} // namespace
} // namespace tarn::test
