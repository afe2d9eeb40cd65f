// Extracting members: contents and dates, the overwrite rules with OnReplace, target names,
// damaged members and full disks, and archives read at a base offset.
#include "archive/DiskSizeLimit.h"
#include "framework/FileStream.h"
#include "routines/routines_Exceptions.h"
#include "version/FileDates.h"

#include "ArchiveFixture.h"

namespace tarn::test {
namespace {

using namespace tarn::archive;
using version::TOverwriteType;

constexpr platform::FILETIME kSecond = 10'000'000;
// 2001-06-15 10:00:00 UTC.
constexpr platform::FILETIME kOld = 116444736000000000ull + 992599200ull * kSecond;
constexpr platform::FILETIME kNew = kOld + 86400 * kSecond;

class ExtractTest : public ArchiveTest {
protected:
    void SetUp() override {
        Put("C:\\SRC\\TEXT.TXT", TextBytes(120000, 21));
        Put("C:\\SRC\\RANDOM.BIN", RandomBytes(90000, 22));
        SetDate("C:\\SRC\\TEXT.TXT", kOld + 7 * kSecond);
        Add("C:\\A.ARC", {"C:\\SRC\\TEXT.TXT", "C:\\SRC\\RANDOM.BIN"});
        compress_->SetCompressedFile("C:\\A.ARC");
        compress_->SetExtractDirectory("C:\\OUT");
        log_.Attach(*compress_);
    }
    void ExtractOne(const std::string& member) {
        compress_->FilesToProcess().Add(member);
        compress_->ExtractFiles();
    }
    // Patches a header field of the archive on the host.
    void PatchHeader(int member, const std::function<void(TFileHeaderRecord&)>& change) {
        std::string bytes = Get("C:\\A.ARC");
        std::size_t at = 5;
        for (int i = 0; i < member; ++i)
            at = static_cast<std::size_t>(RawHeader(bytes, at).NextHeaderPos);
        TFileHeaderRecord r = RawHeader(bytes, at);
        change(r);
        const TFileHeaderBytes b = EncodeFileHeader(r);
        bytes.replace(at, b.size(), reinterpret_cast<const char*>(b.data()), b.size());
        Put("C:\\A.ARC", bytes);
    }
    EventLog log_;
};

TEST_F(ExtractTest, RestoresContentsAndTheDateIntoANewFolder) {
    compress_->SetExtractDirectory("C:\\OUT\\DEEP\\ER");
    compress_->FilesToProcess().Add("C:\\SRC\\TEXT.TXT");
    compress_->FilesToProcess().Add("c:\\src\\random.bin;comment");
    compress_->ExtractFiles();
    EXPECT_EQ(Get("C:\\OUT\\DEEP\\ER\\TEXT.TXT"), Get("C:\\SRC\\TEXT.TXT"));
    EXPECT_EQ(Get("C:\\OUT\\DEEP\\ER\\RANDOM.BIN"), Get("C:\\SRC\\RANDOM.BIN"));
    EXPECT_EQ(Date("C:\\OUT\\DEEP\\ER\\TEXT.TXT"), kOld + 6 * kSecond) << "to the even second";
    EXPECT_EQ(compress_->FilesToProcess().Count(), 0);
    EXPECT_EQ(log_.Count("AfterExtracting"), 2);
}

TEST_F(ExtractTest, ReportsProgressPerOutputBlock) {
    ExtractOne("C:\\SRC\\TEXT.TXT");
    const auto before = log_.Of("BeforeExtracting");
    ASSERT_EQ(before.size(), 1u);
    EXPECT_EQ(before[0].stats.FileBytesDone, 0);
    EXPECT_EQ(before[0].stats.TotalOriginal, 210000);
    const auto status = log_.Of("Status");
    ASSERT_EQ(status.size(), 120000 / 4096 + 1 + 1) << "29 full blocks, the rest, the end";
    std::int64_t done = 0;
    for (std::size_t i = 0; i + 1 < status.size(); ++i) {
        done += i + 2 < status.size() ? 4096 : 120000 % 4096;
        EXPECT_EQ(status[i].stats.FileBytesDone, done);
        EXPECT_EQ(status[i].stats.TotalBytesDone, done);
        EXPECT_EQ(status[i].stats.FilePercent, Percent(done, 120000));
        EXPECT_EQ(status[i].stats.TotalPercent, Percent(done, 210000));
        EXPECT_FALSE(status[i].stats.Finished);
    }
    EXPECT_TRUE(status.back().stats.Finished);
    EXPECT_EQ(status.back().stats.FilePercent, 100);
    EXPECT_EQ(log_.Names().back(), "AfterExtracting");
}

TEST_F(ExtractTest, AMissingMemberNamesTheRequestAndTheArchive) {
    EXPECT_EQ(MessageOf<ETarnCompress>([&] { ExtractOne("C:\\SRC\\NONE.TXT;tail"); }),
              "The file <C:\\SRC\\NONE.TXT;tail> was not found in the archive <C:\\A.ARC>");
    EXPECT_TRUE(compress_->Abort());
    EXPECT_EQ(compress_->FilesToProcess().Count(), 0);
}

TEST_F(ExtractTest, TargetNameRenamesOneMemberAndIsThenCleared) {
    compress_->SetTargetName("C:\\ELSEWHERE\\RENAMED.TXT");
    compress_->FilesToProcess().Add("C:\\SRC\\TEXT.TXT");
    compress_->FilesToProcess().Add("C:\\SRC\\RANDOM.BIN");
    compress_->ExtractFiles();
    EXPECT_EQ(Get("C:\\OUT\\RENAMED.TXT"), Get("C:\\SRC\\TEXT.TXT")) << "only its file name";
    EXPECT_TRUE(Exists("C:\\OUT\\RANDOM.BIN"));
    EXPECT_FALSE(Exists("C:\\ELSEWHERE\\RENAMED.TXT"));
    EXPECT_EQ(compress_->TargetName(), "");
}

TEST_F(ExtractTest, BeforeExtractingMayChooseTheName) {
    compress_->OnBeforeExtracting = [](TTarnCompress& sender, const TlzhFileStats& s) {
        EXPECT_EQ(sender.TargetName(), "TEXT.TXT");
        EXPECT_EQ(s.FileName, "C:\\SRC\\TEXT.TXT");
        sender.SetTargetName("..\\..\\ESCAPE.TXT");
    };
    ExtractOne("C:\\SRC\\TEXT.TXT");
    EXPECT_TRUE(Exists("C:\\OUT\\ESCAPE.TXT")) << "a name cannot lead out of the folder";
    EXPECT_FALSE(Exists("C:\\ESCAPE.TXT"));
}

TEST_F(ExtractTest, MemberNamesCannotLeadOutOfTheFolder) {
    Put("C:\\SRC\\X.TXT", "x");
    Add("C:\\B.ARC", {"C:\\SRC\\X.TXT"});
    // Rename the member in the archive to a path that climbs.
    std::string bytes = Get("C:\\B.ARC");
    TFileHeaderRecord r = RawHeader(bytes, 5);
    r.FileName = "C:/OUT/../../ESCAPE.TXT";
    const TFileHeaderBytes b = EncodeFileHeader(r);
    bytes.replace(5, b.size(), reinterpret_cast<const char*>(b.data()), b.size());
    Put("C:\\B.ARC", bytes);
    auto compress = std::make_unique<TTarnCompress>(nullptr);
    compress->SetCompressedFile("C:\\B.ARC");
    compress->SetExtractDirectory("C:\\OUT\\IN");
    compress->FilesToProcess().Add("C:/OUT/../../ESCAPE.TXT");
    compress->ExtractFiles();
    EXPECT_EQ(Get("C:\\OUT\\IN\\ESCAPE.TXT"), "x");
    EXPECT_FALSE(Exists("C:\\ESCAPE.TXT"));
}

// Every overwrite rule, on a target that exists, through the engine's decision.
struct RuleCase {
    TOverwriteType rule;
    platform::FILETIME targetDate;
    bool replaced;
    bool replaceEvent;
};

class OverwriteRuleExtractTest : public ExtractTest,
                                 public testing::WithParamInterface<RuleCase> {};

TEST_P(OverwriteRuleExtractTest, DecidesAndReportsLikeTheRule) {
    const RuleCase c = GetParam();
    PutVersioned("C:\\SRC\\LIB.DLL", 2, 0, 0, 0);
    SetDate("C:\\SRC\\LIB.DLL", kOld);
    Add("C:\\V.ARC", {"C:\\SRC\\LIB.DLL"});
    PutVersioned("C:\\OUT\\LIB.DLL", 2, 0, 0, 0);
    SetDate("C:\\OUT\\LIB.DLL", c.targetDate);
    const std::string existing = Get("C:\\OUT\\LIB.DLL");
    // Make the target differ from the member while keeping its version.
    WriteHostFile(machine_.Host("C:\\OUT\\LIB.DLL"), existing + "tail");
    SetDate("C:\\OUT\\LIB.DLL", c.targetDate);

    compress_->SetCompressedFile("C:\\V.ARC");
    compress_->SetOverwrite(c.rule);
    ExtractOne("C:\\SRC\\LIB.DLL");
    EXPECT_EQ(Get("C:\\OUT\\LIB.DLL") == Get("C:\\SRC\\LIB.DLL"), c.replaced);
    EXPECT_EQ(log_.Count("Replace"), c.replaceEvent ? 1 : 0);
    if (!c.replaced) {
        ASSERT_EQ(log_.Count("Status"), 1) << "a member not written reports its end once";
        EXPECT_TRUE(log_.Of("Status")[0].stats.Finished);
        EXPECT_EQ(log_.Count("AfterExtracting"), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, OverwriteRuleExtractTest,
    testing::Values(RuleCase{version::owAlways, kNew, true, true},
                    RuleCase{version::owNever, kNew, false, false},
                    RuleCase{version::owAsk, kNew, true, true},
                    // Same version: kept under the version rule whatever the dates.
                    RuleCase{version::owVersion, kOld - 86400 * kSecond, false, false},
                    RuleCase{version::owDate, kNew, false, false},
                    RuleCase{version::owDate, kOld - 86400 * kSecond, true, true},
                    RuleCase{version::owDate, kOld, false, false},
                    RuleCase{version::owVersionDate, kNew, false, false},
                    RuleCase{version::owVersionDate, kOld - 86400 * kSecond, true, true}));

TEST_F(ExtractTest, TheVersionRuleComparesVersions) {
    PutVersioned("C:\\SRC\\LIB.DLL", 3, 1);
    Add("C:\\V.ARC", {"C:\\SRC\\LIB.DLL"});
    compress_->SetCompressedFile("C:\\V.ARC");
    compress_->SetOverwrite(version::owVersion);
    PutVersioned("C:\\OUT\\LIB.DLL", 3, 2);
    ExtractOne("C:\\SRC\\LIB.DLL");
    EXPECT_NE(Get("C:\\OUT\\LIB.DLL"), Get("C:\\SRC\\LIB.DLL")) << "the existing one is newer";
    PutVersioned("C:\\OUT\\LIB.DLL", 3, 0, 9);
    ExtractOne("C:\\SRC\\LIB.DLL");
    EXPECT_EQ(Get("C:\\OUT\\LIB.DLL"), Get("C:\\SRC\\LIB.DLL"));
}

TEST_F(ExtractTest, OnReplaceMayRedirectOrSkip) {
    Put("C:\\OUT\\TEXT.TXT", "old");
    compress_->OnReplace = [](TTarnCompress& sender, const TlzhFileStats& s) {
        EXPECT_EQ(s.FileName, "C:\\SRC\\TEXT.TXT");
        sender.SetTargetName("NEW.TXT");
    };
    ExtractOne("C:\\SRC\\TEXT.TXT");
    EXPECT_EQ(Get("C:\\OUT\\TEXT.TXT"), "old");
    EXPECT_EQ(Get("C:\\OUT\\NEW.TXT"), Get("C:\\SRC\\TEXT.TXT"));

    compress_->OnReplace = [](TTarnCompress& sender, const TlzhFileStats&) {
        sender.SetSkip(true);
    };
    std::vector<TlzhFileStats> text;
    compress_->OnStatus = [&](TTarnCompress&, const TlzhFileStats& s) {
        if (s.FileName == "C:\\SRC\\TEXT.TXT") text.push_back(s);
    };
    compress_->FilesToProcess().Add("C:\\SRC\\TEXT.TXT");
    compress_->FilesToProcess().Add("C:\\SRC\\RANDOM.BIN");
    compress_->ExtractFiles();
    EXPECT_EQ(Get("C:\\OUT\\TEXT.TXT"), "old");
    EXPECT_EQ(Get("C:\\OUT\\RANDOM.BIN"), Get("C:\\SRC\\RANDOM.BIN")) << "skip is per member";
    ASSERT_EQ(text.size(), 1u) << "the skipped member reports its end once";
    EXPECT_TRUE(text[0].Finished);
}

TEST_F(ExtractTest, AComparisonThatCannotReadTheTargetFails) {
    Put("C:\\OUT\\TEXT.TXT", "old");
    machine_->GetFaults().busyFiles.push_back("C:\\OUT\\TEXT.TXT");
    compress_->SetOverwrite(version::owDate);
    EXPECT_EQ(MessageOf<ETarnCompress>([&] { ExtractOne("C:\\SRC\\TEXT.TXT"); }),
              "Error comparing file versions in TTarnCompress");
}

TEST_F(ExtractTest, AnUnwritableTargetCannotBeCreated) {
    Put("C:\\OUT\\TEXT.TXT", "old");
    machine_->GetFaults().busyFiles.push_back("C:\\OUT\\TEXT.TXT");
    EXPECT_EQ(MessageOf<ETarnCompress>([&] { ExtractOne("C:\\SRC\\TEXT.TXT"); }),
              "Cannot create the file C:\\OUT\\TEXT.TXT");
}

TEST_F(ExtractTest, AZeroByteMemberComesBackEmpty) {
    Put("C:\\SRC\\EMPTY", "");
    Add("C:\\E.ARC", {"C:\\SRC\\EMPTY"});
    compress_->SetCompressedFile("C:\\E.ARC");
    ExtractOne("C:\\SRC\\EMPTY");
    EXPECT_EQ(Get("C:\\OUT\\EMPTY"), "");
    ASSERT_EQ(log_.Count("Status"), 1);
    const TlzhFileStats s = log_.Of("Status")[0].stats;
    EXPECT_TRUE(s.Finished);
    EXPECT_EQ(s.FilePercent, 0);
    EXPECT_EQ(s.TotalPercent, 0);
}

TEST_F(ExtractTest, AMemberLongerThanItsHeaderSaysStopsAtItsSize) {
    PatchHeader(0, [](TFileHeaderRecord& r) { r.OriginalSize = 10000; });
    EXPECT_EQ(MessageOf<ETarnCompress>([&] { ExtractOne("C:\\SRC\\TEXT.TXT"); }),
              "The decompressed file's size does not match with the actual size of the file.  "
              "The file is C:\\SRC\\TEXT.TXT");
    EXPECT_EQ(Get("C:\\OUT\\TEXT.TXT"), Get("C:\\SRC\\TEXT.TXT").substr(0, 10000));
    EXPECT_LT(log_.Count("Status"), 4) << "stopped at once";
}

TEST_F(ExtractTest, AMemberShorterThanItsHeaderSaysFails) {
    PatchHeader(0, [](TFileHeaderRecord& r) { r.OriginalSize += 1; });
    EXPECT_EQ(MessageOf<ETarnCompress>([&] { ExtractOne("C:\\SRC\\TEXT.TXT"); }),
              "The decompressed file's size does not match with the actual size of the file.  "
              "The file is C:\\SRC\\TEXT.TXT");
    EXPECT_TRUE(log_.Of("Status").back().stats.Finished) << "the end was reported first";
}

TEST_F(ExtractTest, DamagedDataFailWithZlibsError) {
    std::string bytes = Get("C:\\A.ARC");
    const TFileHeaderRecord r = RawHeader(bytes, 5);
    bytes[static_cast<std::size_t>(r.DataStart)] = 0x12; // not a zlib header
    Put("C:\\A.ARC", bytes);
    EXPECT_EQ(MessageOf<EDecompressionError>([&] { ExtractOne("C:\\SRC\\TEXT.TXT"); }), "error");
}

TEST_F(ExtractTest, TrailingBytesAfterTheStreamAreNotReadForever) {
    // The member's data run on past its zlib stream: the next member's header and data.
    PatchHeader(0, [](TFileHeaderRecord& r) { r.LastBytePos += 5000; });
    ExtractOne("C:\\SRC\\TEXT.TXT");
    EXPECT_EQ(Get("C:\\OUT\\TEXT.TXT"), Get("C:\\SRC\\TEXT.TXT"));
}

TEST_F(ExtractTest, ADateTheStampCannotHoldFails) {
    PatchHeader(1, [](TFileHeaderRecord& r) { r.FileDate = 100.0; }); // 1900
    EXPECT_EQ(MessageOf<ETarnCompress>([&] { ExtractOne("C:\\SRC\\RANDOM.BIN"); }),
              "Cannot set the date of the file just extracted.");
    EXPECT_EQ(Get("C:\\OUT\\RANDOM.BIN"), Get("C:\\SRC\\RANDOM.BIN")) << "the data are there";
}

TEST_F(ExtractTest, AFileFromBefore1980ComesBackDatedAt1980) {
    Put("C:\\SRC\\OLD.TXT", "old");
    SetDate("C:\\SRC\\OLD.TXT", 116444736000000000ull); // 1970-01-01
    Add("C:\\O.ARC", {"C:\\SRC\\OLD.TXT"});
    compress_->SetCompressedFile("C:\\O.ARC");
    ExtractOne("C:\\SRC\\OLD.TXT");
    EXPECT_EQ(Get("C:\\OUT\\OLD.TXT"), "old");
    EXPECT_EQ(platform::Files().ToLocalFileTime(Date("C:\\OUT\\OLD.TXT")),
              116444736000000000ull + 3652ull * 86400 * kSecond)
        << "1980-01-01 00:00 local";
}

TEST_F(ExtractTest, AFullDiskStopsOrAsksTheHandler) {
    DiskSizeLimit disk(platform::Files(), "C:\\OUT", 50000);
    platform::ScopedPlatform scope(platform::Services{.files = &disk});
    EXPECT_EQ(MessageOf<EtcDiskFull>([&] { ExtractOne("C:\\SRC\\TEXT.TXT"); }), "The disk is full");
    EXPECT_TRUE(compress_->Abort());
    EXPECT_EQ(Get("C:\\OUT\\TEXT.TXT").size(), 50000u);

    int full = 0;
    compress_->OnFullDisk = [&](TTarnCompress&) { ++full; };
    EXPECT_EQ(MessageOf<ETarnCompress>([&] { ExtractOne("C:\\SRC\\TEXT.TXT"); }),
              "The decompressed file's size does not match with the actual size of the file.  "
              "The file is C:\\SRC\\TEXT.TXT");
    EXPECT_EQ(full, static_cast<int>((120000 - 49152 + 4095) / 4096)) << "each short write";
}

TEST_F(ExtractTest, AbortFromOnStatusStopsAfterThatBlock) {
    compress_->OnStatus = [&](TTarnCompress& sender, const TlzhFileStats& s) {
        log_.events.push_back({"Status", s, 0});
        if (s.FileBytesDone >= 8192) sender.SetAbort(true);
    };
    compress_->FilesToProcess().Add("C:\\SRC\\TEXT.TXT");
    compress_->FilesToProcess().Add("C:\\SRC\\RANDOM.BIN");
    EXPECT_NO_THROW(compress_->ExtractFiles());
    EXPECT_EQ(log_.Count("Status"), 2);
    EXPECT_EQ(log_.Count("Aborted"), 1);
    EXPECT_EQ(log_.Names().back(), "Aborted");
    EXPECT_EQ(Get("C:\\OUT\\TEXT.TXT").size(), 8192u) << "the partial file stays";
    EXPECT_FALSE(Exists("C:\\OUT\\RANDOM.BIN"));
    EXPECT_EQ(compress_->FilesToProcess().Count(), 0);
}

TEST_F(ExtractTest, AnArchiveInsideALargerFileIsReadAtItsOffset) {
    const std::string stub = "MZ" + RandomBytes(40001, 23);
    Put("C:\\SETUP.EXE", stub + Get("C:\\A.ARC") + "trailer");
    auto alone = std::make_unique<TTarnCompress>(nullptr);
    alone->SetCompressedFile("C:\\A.ARC");
    compress_->SetCompressedFile("C:\\SETUP.EXE");
    compress_->SetOffset(static_cast<std::int32_t>(stub.size()));
    ASSERT_EQ(compress_->FileCount(), alone->FileCount());
    for (int i = 0; i < alone->FileCount(); ++i)
        EXPECT_EQ(compress_->GetFileStats(i).Header, alone->GetFileStats(i).Header);
    compress_->FilesToProcess().Add("C:\\SRC\\TEXT.TXT");
    compress_->FilesToProcess().Add("C:\\SRC\\RANDOM.BIN");
    compress_->ExtractFiles();
    EXPECT_EQ(Get("C:\\OUT\\TEXT.TXT"), Get("C:\\SRC\\TEXT.TXT"));
    EXPECT_EQ(Get("C:\\OUT\\RANDOM.BIN"), Get("C:\\SRC\\RANDOM.BIN"));
    // Read at 0 the same file is no archive.
    auto wrong = std::make_unique<TTarnCompress>(nullptr);
    wrong->SetCompressedFile("C:\\SETUP.EXE");
    EXPECT_NE(MessageOf<ETarnCompress>([&] { wrong->FileCount(); }), "");
}

} // namespace
} // namespace tarn::test
