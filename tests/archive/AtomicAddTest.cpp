// Adding to an existing archive that fails, is stopped or finds the archive damaged: afterwards
// the archive holds exactly its old members, each extracting byte for byte, or the new ones too.
#include "archive/ArchiveMessages.h"
#include "archive/ArchivePaths.h"
#include "archive/DiskSizeLimit.h"
#include "routines/routines_Exceptions.h"

#include "ArchiveFixture.h"

namespace tarn::test {
namespace {

using namespace tarn::archive;

class AtomicAddTest : public ArchiveTest {
protected:
    void SetUp() override {
        Put("C:\\SRC\\TEXT.TXT", TextBytes(150000, 71));
        Put("C:\\SRC\\RANDOM.BIN", RandomBytes(100000, 72));
        Put("C:\\SRC\\NEW.BIN", RandomBytes(300000, 73));
        Put("C:\\SRC\\LATE.TXT", TextBytes(20000, 74));
        Add(kArchive, {"C:\\SRC\\TEXT.TXT", "C:\\SRC\\RANDOM.BIN"});
        old_ = Get(kArchive);
    }

    // The archive is the old one, and its members come out as they went in.
    void ExpectOldArchive(const std::string& moment) {
        EXPECT_EQ(Get(kArchive), old_) << moment;
        ExpectMembers({"C:\\SRC\\TEXT.TXT", "C:\\SRC\\RANDOM.BIN"}, moment);
    }
    void ExpectMembers(const std::vector<std::string>& sources, const std::string& moment) {
        auto compress = std::make_unique<TTarnCompress>(nullptr);
        compress->SetCompressedFile(kArchive);
        ASSERT_EQ(compress->FileCount(), static_cast<int>(sources.size())) << moment;
        const std::string folder = "C:\\CHECK" + std::to_string(++checks_);
        Extract(kArchive, sources, folder);
        for (const std::string& source : sources)
            EXPECT_EQ(Get(folder + "\\" + ExtractFileName(source)), Get(source)) << moment;
    }
    // Fails (any error) or stops an add of source.
    std::string FailAdd(bool append, const std::string& source, std::uint64_t diskSize) {
        DiskSizeLimit disk(platform::Files(), "C:\\OUT", diskSize);
        platform::ScopedPlatform scope(platform::Services{.files = &disk});
        compress_->SetCompressedFile(kArchive);
        compress_->FilesToProcess().Add(source);
        try {
            compress_->AddFiles(append, 0);
        } catch (const std::exception& e) {
            return e.what();
        }
        return compress_->Abort() ? "aborted" : "";
    }

    static constexpr const char* kArchive = "C:\\OUT\\SET.ARC";
    std::string old_;
    int checks_ = 0;
};

TEST_F(AtomicAddTest, AFailedOrStoppedAppendLeavesTheOldArchive) {
    EXPECT_NE(FailAdd(true, "C:\\SRC\\NEW.BIN", old_.size() + 70000), "");
    ExpectOldArchive("disk full");
    compress_->OnStatus = [](TTarnCompress& sender, const TlzhFileStats&) {
        sender.SetAbort(true);
    };
    EXPECT_EQ(FailAdd(true, "C:\\SRC\\NEW.BIN", 1u << 30), "aborted");
    ExpectOldArchive("aborted");
    compress_->OnStatus = nullptr;
    EXPECT_EQ(compress_->FileCount(), 2) << "the uncounted member is not reported";

    Add(kArchive, {"C:\\SRC\\NEW.BIN"}, true);
    ExpectMembers({"C:\\SRC\\TEXT.TXT", "C:\\SRC\\RANDOM.BIN", "C:\\SRC\\NEW.BIN"}, "appended");
}

TEST_F(AtomicAddTest, AFailedNewArchiveKeepsTheOneItWouldReplace) {
    EXPECT_EQ(FailAdd(false, "C:\\SRC\\MISSING.BIN", 1u << 30),
              "Cannot open the file C:\\SRC\\MISSING.BIN");
    ExpectOldArchive("missing source");
    EXPECT_NE(FailAdd(false, "C:\\SRC\\NEW.BIN", 100000), "");
    ExpectOldArchive("disk full");
    std::vector<std::string> left;
    for (const auto& entry : std::filesystem::directory_iterator(machine_.Host("C:\\OUT")))
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::vector<std::string>{"SET.ARC"}) << "no temporary file is left";

    Add(kArchive, {"C:\\SRC\\LATE.TXT"});
    ExpectMembers({"C:\\SRC\\LATE.TXT"}, "replaced");
}

TEST_F(AtomicAddTest, AnArchiveIsNotAddedToItself) {
    // The disk limit stops a writer that did try, long before the format's 2 GiB.
    for (const bool append : {true, false}) {
        EXPECT_EQ(FailAdd(append, "c:\\out\\.\\set.arc", 1u << 20),
                  "The archive C:\\OUT\\SET.ARC cannot be added to itself");
        ExpectOldArchive(append ? "append" : "replace");
    }
}

TEST_F(AtomicAddTest, BytesAfterTheLastMemberAreNotOverwritten) {
    Put(kArchive, old_ + "SIGNATURE BLOCK");
    EXPECT_EQ(FailAdd(true, "C:\\SRC\\LATE.TXT", 1u << 30),
              "Files cannot be appended to C:\\OUT\\SET.ARC: 15 bytes after its last member are "
              "not part of the archive");
    EXPECT_EQ(Get(kArchive), old_ + "SIGNATURE BLOCK");
}

// What a writer killed at some moment of an append leaves, made from a complete append.
TEST_F(AtomicAddTest, MembersAnAppendNeverCountedAreDroppedAndAPhantomIsRefused) {
    Add(kArchive, {"C:\\SRC\\NEW.BIN"}, true);
    const std::string appended = Get(kArchive);
    TFileHeaderRecord unfinished = RawHeader(appended, old_.size());
    unfinished.NextHeaderPos = unfinished.LastBytePos = 0;
    unfinished.CompressedSize = 0;
    const TFileHeaderBytes raw = EncodeFileHeader(unfinished);
    const std::string header(raw.begin(), raw.end());
    const std::string data = appended.substr(old_.size() + 176, 100000);

    const std::string uncounted[] = {old_ + appended.substr(old_.size()), old_ + header + data,
                                     old_ + header};
    for (const std::string& bytes : uncounted) {
        Put(kArchive, bytes);
        ExpectMembers({"C:\\SRC\\TEXT.TXT", "C:\\SRC\\RANDOM.BIN"}, "left behind");
        Add(kArchive, {"C:\\SRC\\LATE.TXT"}, true);
        ExpectMembers({"C:\\SRC\\TEXT.TXT", "C:\\SRC\\RANDOM.BIN", "C:\\SRC\\LATE.TXT"},
                      "appended after");
        EXPECT_EQ(Get(kArchive).substr(4, old_.size() - 4), old_.substr(4));
    }

    // A member counted before its data were complete: nothing can be appended after it.
    std::string phantom = old_ + header + data;
    phantom[0] = 3;
    Put(kArchive, phantom);
    EXPECT_EQ(FailAdd(true, "C:\\SRC\\LATE.TXT", 1u << 30),
              "Files cannot be appended to C:\\OUT\\SET.ARC: its last member is incomplete");
    EXPECT_EQ(Get(kArchive), phantom);
}

} // namespace
} // namespace tarn::test
