// Volume sets: splitting an archive onto disks of a fixed size, the disk prompts, and extracting
// members that span volumes, from folders the prompts name.
#include "archive/DiskSizeLimit.h"
#include "routines/routines_Exceptions.h"

#include "ArchiveFixture.h"

namespace tarn::test {
namespace {

using namespace tarn::archive;

// Three "floppies" of 40000 bytes below C:\FLOPPY; the archive's ~94 KB of data need three.
class VolumeSetTest : public ArchiveTest {
protected:
    void SetUp() override {
        Put("C:\\SRC\\R1.BIN", RandomBytes(30000, 31));
        Put("C:\\SRC\\T.TXT", TextBytes(200000, 32));
        Put("C:\\SRC\\R2.BIN", RandomBytes(50000, 33));
        Put("C:\\SRC\\NIL", "");
        Add("C:\\SETUP.ARC", files_);
    }
    // Splits into C:\FLOPPY\A, asking for volume n in C:\FLOPPY\<letter n>.
    void Split() {
        DiskSizeLimit disks(platform::Files(), "C:\\FLOPPY", kDisk);
        platform::ScopedPlatform scope(platform::Services{.files = &disks});
        ForceFolders();
        compress_->SetCompressedFile("C:\\SETUP.ARC");
        compress_->OnNewDisk = [this](TTarnCompress&, int disk, std::string& path) {
            asked_.push_back(disk);
            EXPECT_EQ(path, std::string("C:\\FLOPPY\\") + static_cast<char>('A' + disk - 2));
            path = std::string("C:\\FLOPPY\\") + static_cast<char>('A' + disk - 1);
        };
        compress_->SplitToDisks("C:\\FLOPPY\\A", "files.1");
    }
    void ForceFolders() {
        for (const char* f : {"A", "B", "C", "D"})
            std::filesystem::create_directories(machine_.Host(std::string("C:\\FLOPPY\\") + f));
    }
    std::string Volume(char folder, int n) const {
        return std::string("C:\\FLOPPY\\") + folder + "\\files." + std::to_string(n);
    }

    static constexpr std::uint64_t kDisk = 40000;
    const std::vector<std::string> files_ = {"C:\\SRC\\R1.BIN", "C:\\SRC\\T.TXT", "C:\\SRC\\R2.BIN",
                                             "C:\\SRC\\NIL"};
    std::vector<int> asked_;
};

TEST_F(VolumeSetTest, SplitsOntoThreeDisksFromOtherFolders) {
    const std::string archive = Get("C:\\SETUP.ARC");
    auto original = std::make_unique<TTarnCompress>(nullptr);
    original->SetCompressedFile("C:\\SETUP.ARC");
    ASSERT_EQ(original->FileCount(), 4);
    Split();
    EXPECT_EQ(asked_, (std::vector<int>{2, 3}));
    ASSERT_TRUE(Exists(Volume('A', 1)));
    ASSERT_TRUE(Exists(Volume('B', 2)));
    ASSERT_TRUE(Exists(Volume('C', 3)));
    EXPECT_FALSE(Exists(Volume('A', 2)));
    const std::string v1 = Get(Volume('A', 1));
    const std::string v2 = Get(Volume('B', 2));
    const std::string v3 = Get(Volume('C', 3));
    EXPECT_EQ(v1.size(), kDisk);
    EXPECT_EQ(v2.size(), kDisk);
    EXPECT_LE(v3.size(), kDisk);

    // Volume 1: the preamble and every header, then data without gaps across the volumes.
    EXPECT_EQ(RawInt(v1, 0), 4);
    EXPECT_EQ(v1[4], 1);
    const std::string volumes[] = {v1, v2, v3};
    std::string data;
    for (int i = 0; i < 4; ++i) {
        const TFileHeaderRecord h = RawHeader(v1, 5 + 176 * static_cast<std::size_t>(i));
        const TFileHeaderRecord o = original->GetFileStats(i).Header;
        EXPECT_EQ(h.NextHeaderPos, 5 + 176 * (i + 1));
        EXPECT_EQ(h.FileName, o.FileName);
        EXPECT_EQ(h.CompressedSize, o.CompressedSize);
        EXPECT_EQ(h.OriginalSize, o.OriginalSize);
        EXPECT_EQ(h.FileDate, o.FileDate);
        // The member's bytes, gathered from FirstDisk/DataStart to LastDisk/LastBytePos.
        std::string member;
        for (int disk = h.FirstDisk; disk <= h.LastDisk; ++disk) {
            const std::string& v = volumes[disk - 1];
            const std::size_t from =
                disk == h.FirstDisk ? static_cast<std::size_t>(h.DataStart) : 0;
            const std::size_t to =
                disk == h.LastDisk ? static_cast<std::size_t>(h.LastBytePos) + 1 : v.size();
            member += v.substr(from, to - from);
        }
        EXPECT_EQ(member, archive.substr(static_cast<std::size_t>(o.DataStart), o.CompressedSize))
            << h.FileName;
        data += member;
    }
    EXPECT_EQ(RawHeader(v1, 5).DataStart, 5 + 4 * 176);
    EXPECT_EQ(data.size(), v1.size() - 5 - 4 * 176 + v2.size() + v3.size());
    EXPECT_GT(RawHeader(v1, 5 + 176).LastDisk, RawHeader(v1, 5 + 176).FirstDisk)
        << "the text member spans volumes";
    EXPECT_FALSE(compress_->TableLoaded()) << "the table now describes the volumes";
}

TEST_F(VolumeSetTest, ReportsProgressOverTheCompressedBytes) {
    EventLog log;
    log.Attach(*compress_);
    Split();
    const auto status = log.Of("Status");
    ASSERT_FALSE(status.empty());
    std::int64_t total = 0;
    for (const Event& e : status) {
        EXPECT_EQ(e.stats.FilePercent, Percent(e.stats.FileBytesDone, e.stats.CompressedSize));
        EXPECT_EQ(e.stats.TotalPercent, Percent(e.stats.TotalBytesDone, e.stats.TotalCompressed));
        EXPECT_LE(e.stats.FileBytesDone - (e.stats.FileBytesDone > 8192 ? 8192 : 0),
                  e.stats.CompressedSize);
        total = e.stats.TotalBytesDone;
    }
    EXPECT_EQ(total, status.back().stats.TotalCompressed);
    EXPECT_EQ(status.back().stats.TotalPercent, 100);
}

TEST_F(VolumeSetTest, ExtractsAcrossVolumesAskingForEachDisk) {
    Split();
    compress_->SetCompressedFile(Volume('A', 1));
    std::vector<int> asked;
    compress_->OnNewDisk = [&](TTarnCompress&, int disk, std::string& path) {
        asked.push_back(disk);
        path = std::string("C:\\FLOPPY\\") + static_cast<char>('A' + disk - 1);
    };
    compress_->SetExtractDirectory("C:\\OUT");
    for (const std::string& f : files_)
        compress_->FilesToProcess().Add(f);
    compress_->ExtractFiles();
    for (const std::string& f : files_)
        EXPECT_EQ(Get("C:\\OUT\\" + f.substr(7)), Get(f)) << f;
    ASSERT_FALSE(asked.empty());
    EXPECT_EQ(asked.front(), 2);
    EXPECT_EQ(std::count(asked.begin(), asked.end(), 3), 1);
    EXPECT_TRUE(compress_->CompressedFile().ends_with("files.1") ||
                compress_->CompressedFile().ends_with("files.2") ||
                compress_->CompressedFile().ends_with("files.3"));
}

TEST_F(VolumeSetTest, TheFirstVolumeAloneListsTheWholeSet) {
    Split();
    auto fresh = std::make_unique<TTarnCompress>(nullptr);
    fresh->SetCompressedFile(Volume('A', 1));
    EXPECT_EQ(fresh->FileCount(), 4);
    EXPECT_EQ(fresh->FileHeaders().MultiDisk, 1);
    EXPECT_EQ(fresh->GetFileStats(3).FileName, "C:\\SRC\\NIL");
}

TEST_F(VolumeSetTest, AMissingVolumeWithoutAHandlerNamesItsNumber) {
    Split();
    compress_->OnNewDisk = nullptr;
    compress_->SetCompressedFile(Volume('A', 1));
    compress_->SetExtractDirectory("C:\\OUT");
    compress_->FilesToProcess().Add("C:\\SRC\\T.TXT");
    EXPECT_EQ(MessageOf<ETarnCompress>([&] { compress_->ExtractFiles(); }),
              "Could not open the correct disk file 2");
}

TEST_F(VolumeSetTest, AHandlerThatNeverFindsTheDiskIsAskedFourTimes) {
    Split();
    std::filesystem::remove(machine_.Host(Volume('B', 2)));
    compress_->SetCompressedFile(Volume('A', 1));
    int asked = 0;
    compress_->OnNewDisk = [&](TTarnCompress&, int disk, std::string& path) {
        ++asked;
        EXPECT_EQ(disk, 2);
        path = "C:\\FLOPPY\\D";
    };
    compress_->SetExtractDirectory("C:\\OUT");
    compress_->FilesToProcess().Add("C:\\SRC\\T.TXT");
    EXPECT_EQ(MessageOf<ETarnCompress>([&] { compress_->ExtractFiles(); }),
              "Cannot open the compressed file C:\\FLOPPY\\D\\files.2");
    EXPECT_EQ(asked, 4);
}

TEST_F(VolumeSetTest, AFullDiskWithoutAHandlerCannotGoOn) {
    DiskSizeLimit disks(platform::Files(), "C:\\FLOPPY", kDisk);
    platform::ScopedPlatform scope(platform::Services{.files = &disks});
    ForceFolders();
    compress_->SetCompressedFile("C:\\SETUP.ARC");
    EXPECT_EQ(
        MessageOf<ETarnCompress>([&] { compress_->SplitToDisks("C:\\FLOPPY\\A", "files.1"); }),
        "There was no event handler for the OnNewDisk event, therefore no new disk could be "
        "inserted");
    EXPECT_TRUE(compress_->Abort());
}

TEST_F(VolumeSetTest, ADiskTooSmallForOneChunkFails) {
    DiskSizeLimit disks(platform::Files(), "C:\\FLOPPY", 5000);
    platform::ScopedPlatform scope(platform::Services{.files = &disks});
    ForceFolders();
    compress_->SetCompressedFile("C:\\SETUP.ARC");
    compress_->OnNewDisk = [](TTarnCompress&, int, std::string&) {};
    EXPECT_EQ(
        MessageOf<ETarnCompress>([&] { compress_->SplitToDisks("C:\\FLOPPY\\A", "files.1"); }),
        "There is too little space on this disk to operate");
}

TEST_F(VolumeSetTest, AbortWhileSplittingRaisesOnAborted) {
    int aborted = 0;
    compress_->OnAborted = [&](TTarnCompress&) { ++aborted; };
    compress_->OnStatus = [](TTarnCompress& sender, const TlzhFileStats&) {
        sender.SetAbort(true);
    };
    ForceFolders();
    compress_->SetCompressedFile("C:\\SETUP.ARC");
    EXPECT_NO_THROW(compress_->SplitToDisks("C:\\FLOPPY\\A", "files.1"));
    EXPECT_EQ(aborted, 1);
}

TEST_F(VolumeSetTest, NothingIsAppendedToAVolumeSet) {
    Split();
    EXPECT_EQ(MessageOf<ETarnCompress>([&] { Add(Volume('A', 1), {"C:\\SRC\\NIL"}, true); }),
              "Files cannot be appended to C:\\FLOPPY\\A\\files.1: it is the first volume of a "
              "volume set");
}

TEST_F(VolumeSetTest, NorIsAVolumeSetSplitAgain) {
    Split();
    const std::string volume = Get(Volume('A', 1));
    auto again = std::make_unique<TTarnCompress>(nullptr);
    again->SetCompressedFile(Volume('A', 1));
    EXPECT_EQ(MessageOf<ETarnCompress>([&] { again->SplitToDisks("C:\\FLOPPY\\D", "files.1"); }),
              "C:\\FLOPPY\\A\\files.1 is the first volume of a volume set: only a single-file "
              "archive can be split");
    EXPECT_FALSE(Exists("C:\\FLOPPY\\D\\files.1"));
    EXPECT_EQ(Get(Volume('A', 1)), volume);
}

} // namespace
} // namespace tarn::test
