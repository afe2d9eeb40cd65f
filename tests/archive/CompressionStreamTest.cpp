// The write-only deflating stream: valid zlib output at every level, progress only per full
// 64 KiB buffer, and its refusals.
#include "archive/CompressionStream.h"
#include "framework/MemoryStream.h"

#include "ArchiveFixture.h"

#include <zlib.h>

namespace tarn::test {
namespace {

using namespace tarn::archive;

std::string Bytes(TMemoryStream& s, std::int64_t from = 0) {
    return std::string(reinterpret_cast<const char*>(s.Memory()) + from,
                       static_cast<std::size_t>(s.Size() - from));
}

// Inflates with zlib's one-call decoder; fails the test when the data are not one zlib stream.
std::string Uncompress(const std::string& data, std::size_t size) {
    std::string out(size, '\0');
    uLongf length = static_cast<uLongf>(size);
    const int result =
        uncompress(reinterpret_cast<Bytef*>(out.data()), &length,
                   reinterpret_cast<const Bytef*>(data.data()), static_cast<uLong>(data.size()));
    EXPECT_EQ(result, Z_OK);
    out.resize(length);
    return out;
}

std::string Compress(TCompressionLevel level, const std::string& input, int* progress = nullptr) {
    TMemoryStream target;
    {
        TCompressionStream z(level, target);
        z.OnProgress = [&](TCustomZlibStream&) {
            if (progress) ++*progress;
        };
        z.WriteBuffer(input.data(), input.size());
        z.Finish();
    }
    return Bytes(target);
}

TEST(CompressionStream, NothingWrittenIsStillACompleteStream) {
    const std::string out = Compress(colMax, "");
    EXPECT_EQ(out.size(), 8u) << "header, empty block, Adler-32";
    EXPECT_EQ(Uncompress(out, 16), "");
}

TEST(CompressionStream, LevelsMapToZlibsAndEveryOutputInflates) {
    EXPECT_EQ(ZlibLevel(colNone), 0);
    EXPECT_EQ(ZlibLevel(colFastest), 1);
    EXPECT_EQ(ZlibLevel(colDefault), Z_DEFAULT_COMPRESSION);
    EXPECT_EQ(ZlibLevel(colMax), 9);
    const std::string text = TextBytes(200000, 1);
    // The second header byte carries the level class: 0x01 fastest/none, 0x9C default, 0xDA max.
    const std::pair<TCompressionLevel, unsigned char> levels[] = {
        {colNone, 0x01}, {colFastest, 0x01}, {colDefault, 0x9C}, {colMax, 0xDA}};
    std::size_t previous = SIZE_MAX;
    for (auto [level, flags] : levels) {
        const std::string out = Compress(level, text);
        EXPECT_EQ(static_cast<unsigned char>(out[0]), 0x78);
        EXPECT_EQ(static_cast<unsigned char>(out[1]), flags);
        EXPECT_EQ(Uncompress(out, text.size()), text);
        EXPECT_LE(out.size(), previous);
        previous = out.size();
    }
}

TEST(CompressionStream, NoneStoresTheBytes) {
    const std::string text = TextBytes(100000, 2);
    const std::string out = Compress(colNone, text);
    EXPECT_GT(out.size(), text.size()) << "stored blocks only";
    EXPECT_NE(out.find(text.substr(0, 1000)), std::string::npos);
    EXPECT_EQ(Uncompress(out, text.size()), text);
}

TEST(CompressionStream, ProgressOnlyForEachFullBuffer) {
    int small = 0;
    Compress(colMax, RandomBytes(60000, 3), &small);
    EXPECT_EQ(small, 0);

    TMemoryStream target;
    std::vector<std::int64_t> sizes;
    const std::string input = RandomBytes(300000, 4);
    {
        TCompressionStream z(colMax, target);
        z.OnProgress = [&](TCustomZlibStream&) { sizes.push_back(target.Size()); };
        for (std::size_t at = 0; at < input.size(); at += 1000)
            z.WriteBuffer(input.data() + at, 1000);
        z.Finish();
    }
    const auto total = static_cast<std::size_t>(target.Size());
    ASSERT_EQ(sizes.size(), total / 65536) << "none while finishing";
    for (std::size_t i = 0; i < sizes.size(); ++i)
        EXPECT_EQ(sizes[i], static_cast<std::int64_t>(65536 * (i + 1)));
    EXPECT_EQ(Uncompress(Bytes(target), input.size()), input);
}

TEST(CompressionStream, WritesWhereItLeftOffIfTheTargetMoved) {
    TMemoryStream target;
    target.WriteBuffer("PREFIX", 6);
    const std::string input = RandomBytes(200000, 5);
    {
        TCompressionStream z(colFastest, target);
        z.OnProgress = [&](TCustomZlibStream&) { target.SetPosition(0); };
        z.WriteBuffer(input.data(), input.size());
        target.SetPosition(2);
        z.Finish();
    }
    const std::string all = Bytes(target);
    EXPECT_EQ(all.substr(0, 6), "PREFIX");
    EXPECT_EQ(Uncompress(all.substr(6), input.size()), input);
}

TEST(CompressionStream, ReadAndSeekingAreRefused) {
    TMemoryStream target;
    TCompressionStream z(colDefault, target);
    z.WriteBuffer("abcdef", 6);
    char c;
    EXPECT_EQ(MessageOf<ECompressionError>([&] { z.Read(&c, 1); }), "Invalid stream operation");
    EXPECT_EQ(MessageOf<ECompressionError>([&] { z.Seek(1, soFromCurrent); }),
              "Invalid stream operation");
    EXPECT_EQ(MessageOf<ECompressionError>([&] { z.Seek(0, soFromBeginning); }),
              "Invalid stream operation");
    EXPECT_EQ(z.Position(), 6) << "the bytes taken in";
}

TEST(CompressionStream, DestroyingFinishesTheStream) {
    TMemoryStream target;
    {
        TCompressionStream z(colMax, target);
        z.WriteBuffer("hello, hello, hello", 19);
    }
    EXPECT_EQ(Uncompress(Bytes(target), 19), "hello, hello, hello");
}

} // namespace
} // namespace tarn::test
