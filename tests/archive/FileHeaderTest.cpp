// The archive's bytes on disk: the 176-byte member header, the preamble, and the header table
// read from and written to streams.
#include "archive/ArchiveMessages.h"
#include "archive/FileHeaders.h"
#include "framework/MemoryStream.h"
#include "framework/StringList.h"
#include "routines/routines_Exceptions.h"
#include "version/FileDates.h"

#include "ArchiveFixture.h"

#include <bit>
#include <cstring>

namespace tarn::test {
namespace {

using namespace tarn::archive;

TFileHeaderRecord SampleRecord() {
    TFileHeaderRecord r;
    r.Number = 3;
    r.FileDate = 36892.5; // 2001-01-01 12:00
    r.LastDisk = 2;
    r.LastBytePos = 0x01020304;
    r.FileName = "C:\\DATA\\A.DLL";
    r.NextHeaderPos = 0x11223344;
    r.OriginalSize = 0xFEDCBA98;
    r.DataStart = 181;
    r.CompressedSize = 77;
    r.FirstDisk = 1;
    r.FileId = -5;
    r.VersionText = "4.0.1381.1";
    return r;
}

std::uint32_t U32(const TFileHeaderBytes& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
           (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

TEST(FileHeaderRecord, EveryFieldAtItsOffset) {
    const TFileHeaderBytes b = EncodeFileHeader(SampleRecord());
    EXPECT_EQ(U32(b, 0), 3u);
    std::uint64_t date = 0;
    for (int i = 7; i >= 0; --i)
        date = (date << 8) | b[8 + static_cast<std::size_t>(i)];
    EXPECT_EQ(std::bit_cast<double>(date), 36892.5);
    EXPECT_EQ(b[16], 2);
    EXPECT_EQ(U32(b, 20), 0x01020304u);
    EXPECT_EQ(b[24], 13);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[25]), 13), "C:\\DATA\\A.DLL");
    EXPECT_EQ(U32(b, 128), 0x11223344u);
    EXPECT_EQ(U32(b, 132), 0xFEDCBA98u);
    EXPECT_EQ(U32(b, 136), 181u);
    EXPECT_EQ(U32(b, 140), 77u);
    EXPECT_EQ(b[144], 1);
    EXPECT_EQ(static_cast<std::int32_t>(U32(b, 148)), -5);
    EXPECT_EQ(b[152], 10);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&b[153]), 10), "4.0.1381.1");
    // Padding and the unused rest of the slots are zero in a fresh header.
    for (std::size_t at : {4u,   5u,   6u,   7u,   17u,  18u,  19u, 125u, 126u, 127u,
                           145u, 146u, 147u, 173u, 174u, 175u, 38u, 124u, 163u, 172u})
        EXPECT_EQ(b[at], 0) << "byte " << at;
    EXPECT_EQ(DecodeFileHeader(b), SampleRecord());
}

TEST(FileHeaderRecord, PaddingIsNotSignificantWhenRead) {
    TFileHeaderBytes b = EncodeFileHeader(SampleRecord());
    for (std::size_t at : {4u, 17u, 126u, 146u, 175u})
        b[at] = 0xAA;
    b[24 + 1 + 13] = 'Z'; // after the name's end, inside its slot
    EXPECT_EQ(DecodeFileHeader(b), SampleRecord());
}

TEST(FileHeaderRecord, LongTextsAreCutToTheirSlots) {
    TFileHeaderRecord r = SampleRecord();
    r.FileName = std::string(150, 'n');
    r.VersionText = "1.2.3.4.5.6.7.8.9.10.11";
    const TFileHeaderRecord back = DecodeFileHeader(EncodeFileHeader(r));
    EXPECT_EQ(back.FileName, std::string(100, 'n'));
    EXPECT_EQ(back.VersionText, "1.2.3.4.5.6.7.8.9.10");
    EXPECT_EQ(back.FileId, -5) << "the cut name must not run into later fields";
}

TEST(FileHeaderRecord, LengthBytesBeyondTheSlotReadAsTheSlot) {
    TFileHeaderBytes b = EncodeFileHeader(SampleRecord());
    std::memset(&b[25], 'x', 100);
    b[24] = 255;
    std::memset(&b[153], 'v', 20);
    b[152] = 200;
    const TFileHeaderRecord r = DecodeFileHeader(b);
    EXPECT_EQ(r.FileName, std::string(100, 'x'));
    EXPECT_EQ(r.VersionText, std::string(20, 'v'));
}

std::unique_ptr<TFileHeader> Named(const std::string& name) {
    auto h = std::make_unique<TFileHeader>();
    h->Record.FileName = name;
    return h;
}

TEST(FileHeaders, AddRefusesBlankNamesAndIndexesAreChecked) {
    TFileHeaders headers;
    EXPECT_EQ(MessageOf<ETarnCompress>([&] { headers.Add(Named(" \t ")); }),
              "Tried to add an invalid file header");
    headers.Add(Named("a"));
    EXPECT_EQ(headers.Count(), 1);
    EXPECT_EQ(MessageOf<ETarnCompress>([&] { headers.GetFileHeaders(1); }),
              "1 is an invalid TFileHeader index in TFileHeaders.GetFileHeaders");
    EXPECT_EQ(MessageOf<ETarnCompress>([&] { headers.GetFileHeaders(-1); }),
              "-1 is an invalid TFileHeader index in TFileHeaders.GetFileHeaders");
    headers.Clear();
    EXPECT_EQ(headers.Count(), 0);
}

TEST(FileHeaders, FindIgnoresCaseAndWhatFollowsASemicolon) {
    TFileHeaders headers;
    headers.Add(Named("C:\\data\\b.dll"));
    headers.Add(Named("C:\\data\\a.dll"));
    headers.Add(Named("C:\\DATA\\A.DLL"));
    EXPECT_EQ(headers.Find("c:\\DATA\\A.DLL;anything"), 1) << "the first match wins";
    EXPECT_EQ(headers.Find("C:\\data\\b.dll"), 0);
    EXPECT_EQ(headers.Find("C:\\data\\b.dl"), -1);
    EXPECT_EQ(headers.Find("b.dll"), -1) << "the whole name must match";
    EXPECT_EQ(headers.Find(""), -1);
}

// A single-file archive's bytes: preamble, then each header followed by its data.
std::string SingleFile(const std::vector<std::pair<std::string, std::string>>& members) {
    std::string out(5, '\0');
    out[0] = static_cast<char>(members.size());
    for (std::size_t i = 0; i < members.size(); ++i) {
        TFileHeaderRecord r;
        r.Number = static_cast<std::int32_t>(i + 1);
        r.FileName = members[i].first;
        r.DataStart = static_cast<std::int32_t>(out.size() + kFileHeaderSize);
        r.CompressedSize = static_cast<std::uint32_t>(members[i].second.size());
        r.LastBytePos = r.DataStart + static_cast<std::int32_t>(r.CompressedSize) - 1;
        r.NextHeaderPos = r.LastBytePos + 1;
        const TFileHeaderBytes b = EncodeFileHeader(r);
        out.append(reinterpret_cast<const char*>(b.data()), b.size());
        out += members[i].second;
    }
    return out;
}

TMemoryStream StreamOf(const std::string& bytes) {
    TMemoryStream s;
    s.WriteBuffer(bytes.data(), bytes.size());
    return s;
}

TEST(FileHeaders, ReadsTheHeadersAnArchiveAnnounces) {
    TMemoryStream s = StreamOf(SingleFile({{"one", "1111"}, {"two", "22"}, {"three", ""}}));
    TFileHeaders headers;
    headers.Read(s, 0);
    ASSERT_EQ(headers.Count(), 3);
    EXPECT_EQ(headers.MultiDisk, 0);
    EXPECT_EQ(headers.GetFileHeaders(1).Record.FileName, "two");
    EXPECT_EQ(headers.GetFileHeaders(1).Record.DataStart, 5 + 176 + 4 + 176);
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(headers.GetFileHeaders(i).Loaded);
}

TEST(FileHeaders, AnEmptyArchiveIsFiveBytes) {
    TFileHeaders headers;
    TMemoryStream s;
    headers.Write(s);
    EXPECT_EQ(s.Size(), 5);
    headers.Add(Named("stale"));
    headers.Read(s, 0);
    EXPECT_EQ(headers.Count(), 0);
}

TEST(FileHeaders, ReadingAtABaseGivesTheSameTable) {
    const std::string archive = SingleFile({{"one", "abc"}, {"two", "defg"}});
    const std::string exe = "MZ" + RandomBytes(3001, 4);
    TMemoryStream alone = StreamOf(archive);
    TMemoryStream appended = StreamOf(exe + archive);
    TFileHeaders a, b;
    a.Read(alone, 0);
    b.Read(appended, static_cast<std::int64_t>(exe.size()));
    ASSERT_EQ(b.Count(), 2);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(a.GetFileHeaders(i).Record, b.GetFileHeaders(i).Record);
}

TEST(FileHeaders, AShortPreambleFailsWithTheCountMessage) {
    for (std::size_t size : {0u, 3u, 4u}) {
        TMemoryStream s = StreamOf(std::string(size, '\0'));
        TFileHeaders headers;
        EXPECT_EQ(MessageOf<ETarnCompress>([&] { headers.Read(s, 0); }),
                  "Could not read the file header count for the compressed file")
            << size;
    }
    TMemoryStream s = StreamOf(std::string(20, '\0'));
    TFileHeaders headers;
    EXPECT_EQ(MessageOf<ETarnCompress>([&] { headers.Read(s, 16); }),
              "Could not read the file header count for the compressed file");
}

TEST(FileHeaders, DamagedCountsAndPositionsFailWithTheHeadersMessage) {
    const std::string corrupt =
        "Could not read the file headers for the compressed file. The Archive file could possible "
        "be corrupt";
    const std::string good = SingleFile({{"one", "1111"}, {"two", "22"}});
    auto fails = [&](std::string bytes) {
        TMemoryStream s = StreamOf(bytes);
        TFileHeaders headers;
        return MessageOf<ETarnCompress>([&] { headers.Read(s, 0); });
    };
    std::string negative = good;
    negative[3] = '\x80';
    EXPECT_EQ(fails(negative), corrupt) << "a count below 0";
    std::string huge = good;
    huge[2] = '\x01';
    EXPECT_EQ(fails(huge), corrupt) << "more headers than the file can hold";
    std::string outside = good;
    outside[5 + 128 + 2] = '\x10'; // first header's NextHeaderPos far past the end
    EXPECT_EQ(fails(outside), corrupt);
    std::string before = good;
    before[5 + 128 + 3] = '\xF0'; // negative NextHeaderPos
    EXPECT_EQ(fails(before), corrupt);
    EXPECT_EQ(fails(good.substr(0, good.size() - 2 - 176)), corrupt) << "second header cut off";
}

TEST(FileHeaders, AVolumeSetTableHoldsAllHeadersAfterThePreamble) {
    TFileHeaders headers;
    headers.MultiDisk = 1;
    for (const char* name : {"a", "b", "c"})
        headers.Add(Named(name));
    TMemoryStream s = StreamOf(std::string(600, 'x'));
    s.SetPosition(333);
    headers.Write(s);
    EXPECT_EQ(s.Position(), 5 + 3 * 176) << "written from position 0";
    const std::string bytes(reinterpret_cast<const char*>(s.Memory()), 600);
    EXPECT_EQ(RawInt(bytes, 0), 3);
    EXPECT_EQ(bytes[4], 1);
    for (int i = 0; i < 3; ++i) {
        const TFileHeaderRecord r = RawHeader(bytes, 5 + 176 * static_cast<std::size_t>(i));
        EXPECT_EQ(r.FileName, std::string(1, static_cast<char>('a' + i)));
        EXPECT_EQ(r.NextHeaderPos, 5 + 176 * (i + 1));
    }
    TFileHeaders back;
    back.Read(s, 0);
    EXPECT_EQ(back.Count(), 3);
    EXPECT_EQ(back.MultiDisk, 1);
}

TEST(FileHeaders, TotalsSumTheMembers) {
    TFileHeaders headers;
    for (auto [original, packed] : {std::pair{800u, 100u}, {200u, 100u}, {0u, 8u}}) {
        auto h = Named("m");
        h->Record.OriginalSize = original;
        h->Record.CompressedSize = packed;
        headers.Add(std::move(h));
    }
    TlzhFileStats stats;
    stats.TotalBytesDone = 5;
    stats.TotalPercent = 50;
    stats.Finished = true;
    headers.TotalsOnly(stats);
    EXPECT_EQ(stats.TotalOriginal, 1000);
    EXPECT_EQ(stats.TotalCompressed, 208);
    EXPECT_EQ(stats.TotalBytesDone, 5) << "TotalsOnly leaves the progress";
    headers.Totals(stats);
    EXPECT_EQ(stats.TotalRatio, 21);
    EXPECT_EQ(stats.TotalBytesDone, 0);
    EXPECT_EQ(stats.TotalPercent, 0);
    EXPECT_FALSE(stats.Finished);
}

TEST(Percent, RoundsHalvesToEvenAndGuardsTheDivisor) {
    EXPECT_EQ(Percent(1, 8), 12);  // 12.5
    EXPECT_EQ(Percent(3, 8), 38);  // 37.5
    EXPECT_EQ(Percent(7, 40), 18); // 17.5 exactly
    EXPECT_EQ(Percent(1, 3), 33);
    EXPECT_EQ(Percent(2, 3), 67);
    EXPECT_EQ(Percent(5, 0), 0);
    EXPECT_EQ(Percent(0, 0), 0);
    EXPECT_EQ(Percent(10, 10), 100);
    EXPECT_EQ(Percent(9, 4), 225);
    EXPECT_EQ(Percent(9, 1), 255) << "held, not wrapped to 132";
}

class FileHeaderFromFile : public ArchiveTest {};

TEST_F(FileHeaderFromFile, TakesNameSizeDateAndVersion) {
    PutVersioned("C:\\SRC\\APP.EXE", 2, 5, 0, 17);
    constexpr platform::FILETIME kDate = 116444736000000000ull + 992599201ull * 10'000'000;
    SetDate("C:\\SRC\\APP.EXE", kDate);
    auto h = TFileHeader::FromFile("C:\\SRC\\APP.EXE;extra text");
    EXPECT_EQ(h->Record.FileName, "C:\\SRC\\APP.EXE");
    EXPECT_EQ(h->Record.OriginalSize, Get("C:\\SRC\\APP.EXE").size());
    EXPECT_EQ(h->Record.VersionText, "2.5.0.17");
    EXPECT_FALSE(h->Loaded);
    EXPECT_EQ(h->Record.DataStart, 0);
    // 2 s steps: the odd second is dropped.
    const double expected =
        version::LocalFileTimeToDayCount(platform::Files().ToLocalFileTime(kDate - 10'000'000));
    EXPECT_DOUBLE_EQ(h->Record.FileDate, expected);
}

TEST_F(FileHeaderFromFile, CutsLongVersionsAndNames) {
    PutVersioned("C:\\V.DLL", 65535, 65535, 65535, 65535);
    EXPECT_EQ(TFileHeader::FromFile("C:\\V.DLL")->Record.VersionText, "65535.65535.65535.65");
    const std::string deep = "C:\\" + std::string(60, 'd') + "\\" + std::string(60, 'f') + ".txt";
    Put(deep, "long");
    auto h = TFileHeader::FromFile(deep);
    EXPECT_EQ(h->Record.FileName, deep.substr(0, 100));
    EXPECT_EQ(h->SourceName, deep);
    EXPECT_EQ(h->Record.OriginalSize, 4u);
    EXPECT_EQ(h->Record.VersionText, "");
}

TEST_F(FileHeaderFromFile, AMissingFileCannotBeOpened) {
    EXPECT_EQ(MessageOf<ETarnCompress>([] { TFileHeader::FromFile("C:\\NONE.TXT;x"); }),
              "Cannot open the file C:\\NONE.TXT");
}

TEST_F(FileHeaderFromFile, ListsAreNumberedFromOneAndMayKeepTheTable) {
    Put("C:\\A", "a");
    Put("C:\\B", "bb");
    TStringList list;
    list.Add("C:\\A");
    list.Add("C:\\B");
    TFileHeaders headers;
    headers.AddFromList(list, false);
    headers.AddFromList(list, true);
    ASSERT_EQ(headers.Count(), 4);
    EXPECT_EQ(headers.GetFileHeaders(2).Record.Number, 1);
    EXPECT_EQ(headers.GetFileHeaders(3).Record.Number, 2);
    headers.AddFromList(list, false);
    EXPECT_EQ(headers.Count(), 2);
}

} // namespace
} // namespace tarn::test
