// Adding files and reading the table back: the archive's layout, the events with their figures,
// aborts, appending and the FileId index.
#include "archive/ArchiveMessages.h"
#include "routines/routines_Exceptions.h"
#include "version/FileDates.h"

#include "ArchiveFixture.h"

#include <zlib.h>

namespace tarn::test {
namespace {

using namespace tarn::archive;

class AddFilesTest : public ArchiveTest {
protected:
    void SetUp() override {
        Put("C:\\SRC\\RANDOM.BIN", RandomBytes(300000, 11));
        Put("C:\\SRC\\TEXT.TXT", TextBytes(150000, 12));
        Put("C:\\SRC\\EMPTY.DAT", "");
    }
    const std::vector<std::string> files_ = {"C:\\SRC\\RANDOM.BIN", "C:\\SRC\\TEXT.TXT",
                                             "C:\\SRC\\EMPTY.DAT"};
};

TEST_F(AddFilesTest, WritesTheSingleFileLayout) {
    Add("C:\\OUT\\SET.ARC", files_, false, 42);
    const std::string bytes = Get("C:\\OUT\\SET.ARC");
    EXPECT_EQ(RawInt(bytes, 0), 3);
    EXPECT_EQ(bytes[4], 0);
    std::size_t at = 5;
    for (int i = 0; i < 3; ++i) {
        const TFileHeaderRecord h = RawHeader(bytes, at);
        EXPECT_EQ(h.Number, i + 1);
        EXPECT_EQ(h.FileName, files_[static_cast<std::size_t>(i)]);
        EXPECT_EQ(h.DataStart, static_cast<std::int32_t>(at + 176));
        EXPECT_EQ(h.LastBytePos, h.DataStart + static_cast<std::int32_t>(h.CompressedSize) - 1);
        EXPECT_EQ(h.NextHeaderPos, h.LastBytePos + 1);
        EXPECT_EQ(h.FirstDisk, 0);
        EXPECT_EQ(h.LastDisk, 0);
        EXPECT_EQ(h.FileId, 42);
        EXPECT_EQ(h.OriginalSize, Get(h.FileName).size());
        at = static_cast<std::size_t>(h.NextHeaderPos);
    }
    EXPECT_EQ(at, bytes.size()) << "the last member's next header position is the length";
}

TEST_F(AddFilesTest, EveryMemberIsAPlainZlibStream) {
    Add("C:\\OUT\\SET.ARC", files_, false, 0, colDefault);
    const std::string bytes = Get("C:\\OUT\\SET.ARC");
    std::size_t at = 5;
    for (const std::string& file : files_) {
        const TFileHeaderRecord h = RawHeader(bytes, at);
        const std::string data =
            bytes.substr(static_cast<std::size_t>(h.DataStart), h.CompressedSize);
        std::string out(h.OriginalSize + 1, '\0');
        uLongf length = static_cast<uLongf>(out.size());
        ASSERT_EQ(uncompress(reinterpret_cast<Bytef*>(out.data()), &length,
                             reinterpret_cast<const Bytef*>(data.data()), data.size()),
                  Z_OK)
            << file;
        out.resize(length);
        EXPECT_EQ(out, Get(file));
        at = static_cast<std::size_t>(h.NextHeaderPos);
    }
}

TEST_F(AddFilesTest, ListingReportsEveryMemberWithTheTotals) {
    Add("C:\\OUT\\SET.ARC", files_, false, 9);
    EventLog log;
    log.Attach(*compress_);
    compress_->SetCompressedFile("C:\\OUT\\SET.ARC");
    compress_->ListFiles();
    ASSERT_EQ(log.Names(), (std::vector<std::string>{"Listing", "Listing", "Listing"}));
    std::int64_t packed = 0;
    for (int i = 0; i < 3; ++i) {
        const TlzhFileStats& s = log.events[static_cast<std::size_t>(i)].stats;
        EXPECT_EQ(s.FileName, files_[static_cast<std::size_t>(i)]);
        EXPECT_EQ(s.OriginalSize, static_cast<std::int64_t>(Get(s.FileName).size()));
        EXPECT_EQ(s.CompressedSize, s.Header.CompressedSize);
        EXPECT_EQ(s.Ratio, Percent(s.CompressedSize, s.OriginalSize));
        EXPECT_EQ(s.FileBytesDone, 0);
        EXPECT_FALSE(s.Finished);
        EXPECT_EQ(s.TotalOriginal, 450000);
        packed += s.CompressedSize;
    }
    EXPECT_EQ(log.events[0].stats.TotalCompressed, packed);
    EXPECT_EQ(log.events[0].stats.TotalRatio, Percent(packed, 450000));
    EXPECT_GE(log.events[0].stats.Ratio, 100) << "random bytes do not shrink";
    EXPECT_EQ(log.events[2].stats.Ratio, 0) << "an empty member's ratio";
    EXPECT_EQ(compress_->FileCount(), 3);
    EXPECT_EQ(compress_->GetFileStats(1).FileName, "C:\\SRC\\TEXT.TXT");
    EXPECT_EQ(MessageOf<ETarnCompress>([&] { compress_->GetFileStats(3); }),
              "Tried to access the 3th file. This file is not defined");
}

TEST_F(AddFilesTest, EventsComeInOrderWithTheirFigures) {
    EventLog log;
    log.Attach(*compress_);
    compress_->SetCompressedFile("C:\\OUT\\SET.ARC");
    for (const std::string& f : files_)
        compress_->FilesToProcess().Add(f);
    compress_->AddFiles(false, 1);

    const std::vector<Event> all = log.events;
    std::int64_t totalDone = 0;
    std::int64_t packed = 0;
    std::vector<int> intermediate;
    std::size_t at = 0;
    const std::string bytes = Get("C:\\OUT\\SET.ARC");
    for (const std::string& file : files_) {
        const auto size = static_cast<std::int64_t>(Get(file).size());
        ASSERT_LT(at, all.size());
        const std::size_t beforeAt = at;
        const Event& before = all[at++];
        EXPECT_EQ(before.name, "BeforeAdding");
        EXPECT_EQ(before.stats.FileName, file);
        EXPECT_EQ(before.stats.CompressedSize, 0);
        EXPECT_EQ(before.stats.FileBytesDone, 0);
        EXPECT_EQ(before.stats.TotalOriginal, 450000);
        const std::int32_t dataStart = before.stats.Header.DataStart;
        std::int64_t lastDone = 0;
        while (at < all.size() && all[at].name == "Status" && !all[at].stats.Finished) {
            const TlzhFileStats& s = all[at++].stats;
            EXPECT_EQ(s.CompressedSize % 65536, 0) << "one step per full 64 KiB buffer";
            EXPECT_GE(s.FileBytesDone, lastDone);
            EXPECT_EQ(s.FilePercent, Percent(s.FileBytesDone, size));
            EXPECT_EQ(s.TotalBytesDone, totalDone + s.FileBytesDone);
            lastDone = s.FileBytesDone;
        }
        ASSERT_LT(at, all.size());
        const TlzhFileStats& last = all[at++].stats;
        EXPECT_TRUE(last.Finished);
        EXPECT_EQ(last.FileBytesDone, size);
        EXPECT_EQ(last.FilePercent, size == 0 ? 0 : 100);
        totalDone += size;
        EXPECT_EQ(last.TotalBytesDone, totalDone);
        EXPECT_EQ(last.TotalPercent, Percent(totalDone, 450000));
        const TFileHeaderRecord h = RawHeader(bytes, static_cast<std::size_t>(dataStart) - 176);
        EXPECT_EQ(last.CompressedSize, h.CompressedSize);
        EXPECT_EQ(last.Ratio, Percent(h.CompressedSize, size));
        ASSERT_LT(at, all.size());
        const Event& after = all[at++];
        EXPECT_EQ(after.name, "AfterAdding");
        EXPECT_FALSE(after.stats.Finished) << "reset after the final step";
        packed += h.CompressedSize;
        EXPECT_EQ(after.stats.TotalCompressed, packed);
        intermediate.push_back(static_cast<int>(at) - 3 - static_cast<int>(beforeAt));
    }
    EXPECT_EQ(at, all.size());
    EXPECT_GE(intermediate[0], 3) << "300 KB of random bytes fill several buffers";
    EXPECT_EQ(intermediate[1], 0) << "a member below one buffer has only its final step";
    EXPECT_EQ(intermediate[2], 0);
    EXPECT_EQ(compress_->FilesToProcess().Count(), 0);
    EXPECT_GT(ui_.MessagePumps(), 0);
    EXPECT_EQ(ui_.BusyDepth(), 0);
}

TEST_F(AddFilesTest, AbortFromOnStatusStopsQuietly) {
    EventLog log;
    log.Attach(*compress_);
    compress_->OnStatus = [&](TTarnCompress& sender, const TlzhFileStats& s) {
        log.events.push_back({"Status", s, 0});
        sender.SetAbort(true);
    };
    compress_->SetCompressedFile("C:\\OUT\\SET.ARC");
    for (const std::string& f : files_)
        compress_->FilesToProcess().Add(f);
    EXPECT_NO_THROW(compress_->AddFiles(false, 0));
    EXPECT_EQ(log.Names(), (std::vector<std::string>{"BeforeAdding", "Status", "Aborted"}));
    EXPECT_TRUE(compress_->Abort());
    EXPECT_EQ(compress_->FilesToProcess().Count(), 0);
    EXPECT_FALSE(Exists("C:\\OUT\\SET.ARC")) << "a new archive is only put in place when complete";
    // The next operation starts afresh.
    compress_->OnStatus = nullptr;
    compress_->FilesToProcess().Add("C:\\SRC\\TEXT.TXT");
    compress_->AddFiles(false, 0);
    EXPECT_FALSE(compress_->Abort());
    EXPECT_EQ(compress_->FileCount(), 1);
}

TEST_F(AddFilesTest, AFailureSetsAbortAndPassesOn) {
    compress_->SetCompressedFile("C:\\OUT\\SET.ARC");
    compress_->FilesToProcess().Add("C:\\SRC\\TEXT.TXT");
    compress_->FilesToProcess().Add("C:\\SRC\\MISSING.TXT");
    bool aborted = false;
    compress_->OnAborted = [&](TTarnCompress&) { aborted = true; };
    EXPECT_EQ(MessageOf<ETarnCompress>([&] { compress_->AddFiles(false, 0); }),
              "Cannot open the file C:\\SRC\\MISSING.TXT");
    EXPECT_TRUE(compress_->Abort());
    EXPECT_FALSE(aborted);
    EXPECT_EQ(compress_->FilesToProcess().Count(), 0);
    EXPECT_FALSE(compress_->TableLoaded());
}

TEST_F(AddFilesTest, AnUnwritableArchiveCannotBeCreated) {
    Put("C:\\OUT\\BUSY.ARC", "x");
    machine_->GetFaults().busyFiles.push_back("C:\\OUT\\BUSY.ARC");
    compress_->SetCompressedFile("C:\\OUT\\BUSY.ARC");
    compress_->FilesToProcess().Add("C:\\SRC\\TEXT.TXT");
    EXPECT_EQ(MessageOf<ETarnCompress>([&] { compress_->AddFiles(false, 0); }),
              "Cannot create the file C:\\OUT\\BUSY.ARC");
}

TEST_F(AddFilesTest, AppendOntoAMissingFileCreatesIt) {
    Add("C:\\NEW\\DIR\\SET.ARC", {"C:\\SRC\\TEXT.TXT"}, true, 5);
    compress_->SetCompressedFile("C:\\NEW\\DIR\\SET.ARC");
    EXPECT_EQ(compress_->FileCount(), 1);
}

TEST_F(AddFilesTest, AppendKeepsTheMembersAndNumbersAnew) {
    Add("C:\\OUT\\SET.ARC", {"C:\\SRC\\TEXT.TXT", "C:\\SRC\\EMPTY.DAT"}, false, 100);
    const std::string before = Get("C:\\OUT\\SET.ARC");
    Add("C:\\OUT\\SET.ARC", {"C:\\SRC\\RANDOM.BIN"}, true, 200);
    const std::string after = Get("C:\\OUT\\SET.ARC");
    EXPECT_EQ(after.substr(5, before.size() - 5), before.substr(5));
    compress_->SetCompressedFile("C:\\OUT\\SET.ARC");
    ASSERT_EQ(compress_->FileCount(), 3);
    const TFileHeaderRecord h = compress_->GetFileStats(2).Header;
    EXPECT_EQ(h.Number, 1);
    EXPECT_EQ(h.FileId, 200);
    EXPECT_EQ(h.DataStart, static_cast<std::int32_t>(before.size() + 176));
    EXPECT_EQ(compress_->GetFileStats(0).Header.FileId, 100);
    Extract("C:\\OUT\\SET.ARC", {"C:\\SRC\\RANDOM.BIN", "C:\\SRC\\TEXT.TXT"}, "C:\\X");
    EXPECT_EQ(Get("C:\\X\\RANDOM.BIN"), Get("C:\\SRC\\RANDOM.BIN"));
    EXPECT_EQ(Get("C:\\X\\TEXT.TXT"), Get("C:\\SRC\\TEXT.TXT"));
}

TEST_F(AddFilesTest, FileIdsIndexTheirMembers) {
    Add("C:\\OUT\\SET.ARC", {"C:\\SRC\\TEXT.TXT"}, false, 7);
    Add("C:\\OUT\\SET.ARC", {"C:\\SRC\\EMPTY.DAT"}, true, 1999);
    Add("C:\\OUT\\SET.ARC", {"C:\\SRC\\RANDOM.BIN"}, true, 7);
    Add("C:\\OUT\\SET.ARC", {"C:\\SRC\\TEXT.TXT"}, true, 2000);
    compress_->SetCompressedFile("C:\\OUT\\SET.ARC");
    EXPECT_EQ(compress_->IndexOfFileId(7), 2) << "a later member with the same id wins";
    EXPECT_EQ(compress_->IndexOfFileId(1999), 1);
    EXPECT_EQ(compress_->IndexOfFileId(2000), 0);
    EXPECT_EQ(compress_->IndexOfFileId(-1), 0);
    EXPECT_EQ(compress_->IndexOfFileId(8), 0);
}

TEST_F(AddFilesTest, DuringAndAfterAddingTheTableWrittenAnswers) {
    compress_->SetCompressedFile("C:\\OUT\\SET.ARC");
    int countDuring = -1;
    compress_->OnAfterAdding = [&](TTarnCompress& sender, const TlzhFileStats&) {
        countDuring = sender.FileCount();
    };
    compress_->FilesToProcess().Add("C:\\SRC\\TEXT.TXT");
    compress_->FilesToProcess().Add("C:\\SRC\\EMPTY.DAT");
    compress_->AddFiles(false, 3);
    EXPECT_EQ(countDuring, 2);
    EXPECT_FALSE(compress_->TableLoaded());
    std::filesystem::remove(machine_.Host("C:\\OUT\\SET.ARC"));
    EXPECT_EQ(compress_->FileCount(), 2) << "answered from the table just written";
    EXPECT_EQ(compress_->GetFileStats(1).FileName, "C:\\SRC\\EMPTY.DAT");
}

TEST_F(AddFilesTest, ALongNameIsStoredCutAndTheFileItselfIsAdded) {
    const std::string deep = "C:\\" + std::string(70, 'd') + "\\" + std::string(50, 'f') + ".txt";
    Put(deep, "the long one");
    Add("C:\\OUT\\SET.ARC", {deep});
    compress_->SetCompressedFile("C:\\OUT\\SET.ARC");
    EXPECT_EQ(compress_->GetFileStats(0).FileName, deep.substr(0, 100));
    compress_->FilesToProcess().Add(deep.substr(0, 100));
    compress_->SetExtractDirectory("C:\\LONG");
    compress_->ExtractFiles();
    EXPECT_EQ(Get("C:\\LONG\\" + std::string(26, 'f')), "the long one");
    compress_->FilesToProcess().Add(deep);
    EXPECT_NE(MessageOf<ETarnCompress>([&] { compress_->ExtractFiles(); }), "");
}

TEST_F(AddFilesTest, MembersCarryVersionAndDate) {
    PutVersioned("C:\\SRC\\APP.EXE", 3, 1, 0, 99);
    constexpr platform::FILETIME kDate = 116444736000000000ull + 1000000000ull * 10'000'000;
    SetDate("C:\\SRC\\APP.EXE", kDate);
    Add("C:\\OUT\\SET.ARC", {"C:\\SRC\\APP.EXE"});
    compress_->SetCompressedFile("C:\\OUT\\SET.ARC");
    const TFileHeaderRecord h = compress_->GetFileStats(0).Header;
    EXPECT_EQ(h.VersionText, "3.1.0.99");
    EXPECT_DOUBLE_EQ(h.FileDate,
                     version::LocalFileTimeToDayCount(platform::Files().ToLocalFileTime(kDate)));
}

TEST_F(AddFilesTest, BlankLinesAreDroppedFromTheCallersList) {
    TStringList list;
    list.Add("C:\\SRC\\TEXT.TXT");
    list.Add("   ");
    list.Add("");
    list.Add("C:\\SRC\\EMPTY.DAT");
    compress_->SetFilesToProcess(list);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(compress_->FilesToProcess().Count(), 2);
    EXPECT_EQ(compress_->FilesToProcess()[1], "C:\\SRC\\EMPTY.DAT");
}

TEST_F(AddFilesTest, SwitchingArchivesDropsTheTableButVolumesOfOneSetKeepIt) {
    Add("C:\\OUT\\SET.ARC", {"C:\\SRC\\TEXT.TXT"});
    compress_->SetCompressedFile("C:\\OUT\\SET.ARC");
    EXPECT_EQ(compress_->FileCount(), 1);
    EXPECT_TRUE(compress_->TableLoaded());
    compress_->SetCompressedFile("c:\\out\\set.2");
    EXPECT_TRUE(compress_->TableLoaded()) << "another volume of the same set";
    compress_->SetCompressedFile("C:\\OUT\\OTHER.ARC");
    EXPECT_FALSE(compress_->TableLoaded());
    EXPECT_EQ(MessageOf<ETarnCompress>([&] { compress_->FileCount(); }),
              "Cannot open the compressed file C:\\OUT\\OTHER.ARC");
}

TEST_F(AddFilesTest, ADamagedArchiveFailsWithOneMessage) {
    const std::string corrupt =
        "Could not read the file headers for the compressed file. The Archive file could possible "
        "be corrupt";
    for (const std::string& bytes :
         {std::string("\x02\0\0\0\0", 5), std::string("\xFF\xFF\xFF\xFF\0", 5)}) {
        Put("C:\\BAD.ARC", bytes);
        auto compress = std::make_unique<TTarnCompress>(nullptr);
        compress->SetCompressedFile("C:\\BAD.ARC");
        EXPECT_EQ(MessageOf<ETarnCompress>([&] { compress->ListFiles(); }), corrupt);
        EXPECT_FALSE(compress->TableLoaded());
    }
    // Too short even for the count: told apart from the rest.
    Put("C:\\SHORT.ARC", std::string("\0\0\0\0", 4));
    compress_->SetCompressedFile("C:\\SHORT.ARC");
    EXPECT_EQ(MessageOf<ETarnCompress>([&] { compress_->ListFiles(); }),
              "Could not read the file header count for the compressed file");
    Put("C:\\EMPTY.ARC", std::string(5, '\0'));
    compress_->SetCompressedFile("C:\\EMPTY.ARC");
    EXPECT_EQ(compress_->FileCount(), 0);
}

} // namespace
} // namespace tarn::test
