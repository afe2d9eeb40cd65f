// Copying files that are installed without an archive: contents, stamp, progress, the overwrite
// rule and both abort flags.
#include "archive/InstallAbort.h"
#include "routines/routines_Exceptions.h"

#include "ArchiveFixture.h"

namespace tarn::test {
namespace {

using namespace tarn::archive;

constexpr platform::FILETIME kStamp = 116444736000000000ull + 992599201ull * 10'000'000;

class CopyTest : public ArchiveTest {
protected:
    void SetUp() override {
        Put("C:\\SRC\\DATA.BIN", RandomBytes(20000, 41));
        SetDate("C:\\SRC\\DATA.BIN", kStamp);
    }
    void TearDown() override { InstallAborted = false; }
};

TEST_F(CopyTest, CopiesBytesAndStampWithProgress) {
    EventLog log;
    log.Attach(*compress_);
    compress_->SetOffset(77);
    std::filesystem::create_directories(machine_.Host("C:\\DEST"));
    compress_->CopyUncompressed("C:\\SRC\\DATA.BIN", "C:\\DEST\\COPY.BIN");
    EXPECT_EQ(Get("C:\\DEST\\COPY.BIN"), Get("C:\\SRC\\DATA.BIN"));
    EXPECT_EQ(Date("C:\\DEST\\COPY.BIN"), kStamp);
    EXPECT_EQ(compress_->Offset(), 0);
    EXPECT_EQ(compress_->ExtractDirectory(), "C:\\DEST\\");
    EXPECT_EQ(compress_->TargetName(), "COPY.BIN");
    const auto status = log.Of("Status");
    ASSERT_EQ(status.size(), 4u) << "8192, 8192, 3616, then the end";
    const std::int64_t done[] = {8192, 16384, 20000, 20000};
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(status[i].stats.FileName, "C:\\SRC\\DATA.BIN");
        EXPECT_EQ(status[i].stats.OriginalSize, 20000);
        EXPECT_EQ(status[i].stats.FileBytesDone, done[i]);
        EXPECT_EQ(status[i].stats.TotalBytesDone, done[i]);
        EXPECT_EQ(status[i].stats.FilePercent, Percent(done[i], 20000));
        EXPECT_EQ(status[i].stats.TotalPercent, status[i].stats.FilePercent);
        EXPECT_EQ(status[i].stats.Finished, i == 3);
    }
}

TEST_F(CopyTest, AnExactMultipleOfTheChunkEndsWithAnEmptyRead) {
    Put("C:\\SRC\\EVEN.BIN", RandomBytes(16384, 42));
    int calls = 0;
    compress_->OnStatus = [&](TTarnCompress&, const TlzhFileStats&) { ++calls; };
    compress_->CopyUncompressed("C:\\SRC\\EVEN.BIN", "C:\\EVEN.BIN");
    EXPECT_EQ(Get("C:\\EVEN.BIN"), Get("C:\\SRC\\EVEN.BIN"));
    EXPECT_EQ(calls, 4);
}

TEST_F(CopyTest, NeverKeepsAnExistingFile) {
    Put("C:\\DEST.BIN", "mine");
    compress_->SetOverwrite(version::owNever);
    bool replace = false;
    compress_->OnReplace = [&](TTarnCompress&, const TlzhFileStats&) { replace = true; };
    compress_->CopyUncompressed("C:\\SRC\\DATA.BIN", "C:\\DEST.BIN");
    EXPECT_EQ(Get("C:\\DEST.BIN"), "mine");
    EXPECT_FALSE(replace);
}

TEST_F(CopyTest, ReplacingAsksOnReplaceWithAnEmptyRecord) {
    Put("C:\\DEST.BIN", "mine");
    compress_->SetOverwrite(version::owAsk);
    compress_->OnReplace = [](TTarnCompress& sender, const TlzhFileStats& s) {
        EXPECT_EQ(s.FileName, "");
        EXPECT_EQ(s.OriginalSize, 0);
        sender.SetTargetName("OTHER.BIN");
    };
    compress_->CopyUncompressed("C:\\SRC\\DATA.BIN", "C:\\DEST.BIN");
    EXPECT_EQ(Get("C:\\DEST.BIN"), "mine");
    EXPECT_EQ(Get("C:\\OTHER.BIN"), Get("C:\\SRC\\DATA.BIN"));

    compress_->OnReplace = [](TTarnCompress& sender, const TlzhFileStats&) {
        sender.SetSkip(true);
    };
    compress_->CopyUncompressed("C:\\SRC\\DATA.BIN", "C:\\DEST.BIN");
    EXPECT_EQ(Get("C:\\DEST.BIN"), "mine") << "the skip flag prevents the copy";
}

TEST_F(CopyTest, TheDateRuleComparesBothFiles) {
    Put("C:\\DEST.BIN", "newer");
    SetDate("C:\\DEST.BIN", kStamp + 3600ull * 10'000'000);
    compress_->SetOverwrite(version::owDate);
    compress_->CopyUncompressed("C:\\SRC\\DATA.BIN", "C:\\DEST.BIN");
    EXPECT_EQ(Get("C:\\DEST.BIN"), "newer");
    SetDate("C:\\DEST.BIN", kStamp - 3600ull * 10'000'000);
    compress_->CopyUncompressed("C:\\SRC\\DATA.BIN", "C:\\DEST.BIN");
    EXPECT_EQ(Get("C:\\DEST.BIN"), Get("C:\\SRC\\DATA.BIN"));
    machine_->GetFaults().busyFiles.push_back("C:\\SRC\\DATA.BIN");
    EXPECT_EQ(MessageOf<ETarnCompress>(
                  [&] { compress_->CopyUncompressed("C:\\SRC\\DATA.BIN", "C:\\DEST.BIN"); }),
              "Error comparing file versions in TTarnCompress");
}

TEST_F(CopyTest, AbortStopsQuietlyAndInstallAbortFails) {
    compress_->OnStatus = [](TTarnCompress& sender, const TlzhFileStats&) {
        sender.SetAbort(true);
    };
    EXPECT_NO_THROW(compress_->CopyUncompressed("C:\\SRC\\DATA.BIN", "C:\\PART.BIN"));
    EXPECT_EQ(Get("C:\\PART.BIN").size(), 8192u);

    compress_->OnStatus = [](TTarnCompress&, const TlzhFileStats&) { InstallAborted = true; };
    EXPECT_EQ(MessageOf<EUserAbortInstall>(
                  [&] { compress_->CopyUncompressed("C:\\SRC\\DATA.BIN", "C:\\PART2.BIN"); }),
              "Creating Install Aborted!");
    EXPECT_EQ(Get("C:\\PART2.BIN").size(), 8192u);
    EXPECT_FALSE(compress_->Abort()) << "copying passes errors on without setting Abort";
}

TEST_F(CopyTest, MissingSourceAndUncreatableTargetFail) {
    EXPECT_EQ(MessageOf<ETarnCompress>(
                  [&] { compress_->CopyUncompressed("C:\\SRC\\NONE", "C:\\X.BIN"); }),
              "Cannot open the file C:\\SRC\\NONE");
    EXPECT_EQ(MessageOf<ETarnCompress>(
                  [&] { compress_->CopyUncompressed("C:\\SRC\\DATA.BIN", "C:\\NO\\SUCH\\X.BIN"); }),
              "Cannot create the file C:\\NO\\SUCH\\X.BIN");
}

} // namespace
} // namespace tarn::test
