#include "FakePlatform.h"

#include "framework/FileStream.h"
#include "framework/MemoryStream.h"
#include "framework/StringList.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tarn {
namespace {

class FileStreamTest : public ::testing::Test {
protected:
    test::FakePlatform platform;
    test::MemoryFileSystem& files = platform.files;

    std::string ReadAll(TStream& s) {
        std::string data(static_cast<std::size_t>(s.Size() - s.Position()), '\0');
        s.ReadBuffer(data.data(), data.size());
        return data;
    }
};

TEST_F(FileStreamTest, CreatesWritesAndReadsBack) {
    files.SetContents("C:\\Data\\out.bin", "old contents");
    {
        TFileStream out("C:\\Data\\out.bin", fmCreate);
        out.WriteBuffer("fresh", 5);
        EXPECT_EQ(out.FileName(), "C:\\Data\\out.bin");
    }
    EXPECT_EQ(files.OpenHandles(), 0);
    TFileStream in("c:/data/OUT.BIN", fmOpenRead | fmShareDenyWrite);
    EXPECT_EQ(in.Size(), 5);
    EXPECT_EQ(ReadAll(in), "fresh");
}

TEST_F(FileStreamTest, FailuresNameTheFile) {
    try {
        TFileStream in("C:\\missing.txt", fmOpenRead);
        FAIL() << "opened a missing file";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), "Cannot open file C:\\missing.txt");
    }
    try {
        TFileStream out("C:\\bad?name", fmCreate);
        FAIL() << "created an invalid name";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(), "Cannot create file C:\\bad?name");
    }
    files.SetContents("C:\\a.txt", "a");
    EXPECT_THROW(TFileStream("C:\\a.txt", 3), EFOpenError);                 // no such access
    EXPECT_THROW(TFileStream("C:\\a.txt", fmOpenRead | 0x50), EFOpenError); // no such sharing
    EXPECT_EQ(files.OpenHandles(), 0);
}

TEST_F(FileStreamTest, ShareModesGovernSecondOpens) {
    struct Case {
        unsigned first, second;
        bool allowed;
    };
    const Case cases[] = {
        {fmOpenRead | fmShareDenyWrite, fmOpenRead | fmShareDenyWrite, true},
        {fmOpenRead | fmShareDenyWrite, fmOpenWrite | fmShareDenyNone, false},
        {fmOpenRead | fmShareDenyNone, fmOpenReadWrite | fmShareDenyNone, true},
        {fmOpenReadWrite | fmShareDenyNone, fmOpenRead | fmShareDenyWrite, false},
        {fmOpenWrite | fmShareDenyRead, fmOpenRead | fmShareDenyNone, false},
        {fmOpenWrite | fmShareDenyRead, fmOpenWrite | fmShareDenyNone, true},
        {fmOpenRead | fmShareCompat, fmOpenRead | fmShareDenyNone, false},
        {fmOpenRead | fmShareExclusive, fmOpenRead | fmShareDenyNone, false},
        {fmCreate, fmOpenRead | fmShareDenyNone, false},
    };
    files.SetContents("C:\\shared.dat", "x");
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.first << " then " << c.second);
        auto first = std::make_unique<TFileStream>("C:\\shared.dat", c.first);
        if (c.allowed) {
            EXPECT_NO_THROW(TFileStream("C:\\shared.dat", c.second));
        } else {
            EXPECT_THROW(TFileStream("C:\\shared.dat", c.second), EFOpenError);
        }
        first.reset();
        EXPECT_NO_THROW(TFileStream("C:\\shared.dat", c.second));
    }
}

TEST_F(FileStreamTest, AccessModeLimitsTransfers) {
    files.SetContents("C:\\f.txt", "content");
    TFileStream reader("C:\\f.txt", fmOpenRead | fmShareDenyNone);
    EXPECT_THROW(reader.WriteBuffer("x", 1), EWriteError);
    TFileStream writer("C:\\f.txt", fmOpenWrite | fmShareDenyNone);
    char c;
    EXPECT_THROW(writer.ReadBuffer(&c, 1), EReadError);
    writer.Seek(0, soFromEnd);
    writer.WriteBuffer("!", 1);
    EXPECT_EQ(ReadAll(reader), "content!");
}

TEST_F(FileStreamTest, DiskFullWritesWhatFitsThenFails) {
    files.maxFileSize = 4;
    TFileStream out("C:\\full.bin", fmCreate);
    EXPECT_EQ(out.Write("abcdef", 6), 4u);
    EXPECT_THROW(out.WriteBuffer("g", 1), EWriteError);
    EXPECT_EQ(files.Contents("C:\\full.bin"), "abcd");
}

TEST_F(FileStreamTest, SeeksAre64BitAndSetSizeTruncates) {
    TFileStream f("C:\\big.bin", fmCreate);
    const std::int64_t far = 5'000'000'000;
    EXPECT_EQ(f.Seek(far, soFromBeginning), far);
    EXPECT_EQ(f.Seek(-far, soFromCurrent), 0);
    EXPECT_THROW(f.Seek(-1, soFromBeginning), EStreamError);
    f.WriteBuffer("0123456789", 10);
    f.SetPosition(8);
    f.SetSize(3);
    EXPECT_EQ(f.Position(), 3);
    EXPECT_EQ(files.Contents("C:\\big.bin"), "012");
    f.SetPosition(1);
    f.SetSize(6);
    EXPECT_EQ(f.Position(), 1);
    EXPECT_EQ(f.Size(), 6);
}

TEST_F(FileStreamTest, AStreamStaysWithTheFileSystemItWasOpenedOn) {
    TFileStream outer("C:\\outer.txt", fmCreate);
    {
        test::FakePlatform inner;
        outer.WriteBuffer("kept", 4);
        EXPECT_FALSE(inner.files.Exists("C:\\outer.txt"));
    }
    EXPECT_EQ(files.Contents("C:\\outer.txt"), "kept");
}

TEST_F(FileStreamTest, ListsAndMemoryStreamsGoThroughFiles) {
    TStringList list;
    list.SetText("one\ntwo");
    list.SaveToFile("C:\\list.txt");
    EXPECT_EQ(files.Contents("C:\\list.txt"), "one\r\ntwo\r\n");
    TStringList loaded;
    loaded.LoadFromFile("C:\\list.txt");
    EXPECT_EQ(loaded.Text(), "one\r\ntwo\r\n");
    EXPECT_THROW(loaded.LoadFromFile("C:\\none.txt"), EFOpenError);

    TMemoryStream m;
    m.LoadFromFile("C:\\list.txt");
    m.SaveToFile("C:\\copy.txt");
    EXPECT_EQ(files.Contents("C:\\copy.txt"), "one\r\ntwo\r\n");
    {
        // Loading shares reading only, so a writer holding the file open blocks it.
        TFileStream writer("C:\\list.txt", fmOpenWrite | fmShareDenyNone);
        EXPECT_THROW(loaded.LoadFromFile("C:\\list.txt"), EFOpenError);
    }
    EXPECT_EQ(files.OpenHandles(), 0);
}

} // namespace
} // namespace tarn
