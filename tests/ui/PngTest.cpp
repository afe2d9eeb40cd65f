// The screenshot writer: every file decodes back, chunk by chunk, to the pixels it was given.
#include "ui/Png.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace tarn::ui {
namespace {

struct Chunk {
    std::string type;
    std::vector<std::uint8_t> data;
    std::uint32_t crc = 0;
};

std::uint32_t ReadU32(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    return std::uint32_t{bytes.at(at)} << 24 | std::uint32_t{bytes.at(at + 1)} << 16 |
           std::uint32_t{bytes.at(at + 2)} << 8 | bytes.at(at + 3);
}

// Splits the file into chunks; fails the test when a length runs past the end.
std::vector<Chunk> Chunks(const std::vector<std::uint8_t>& file) {
    std::vector<Chunk> chunks;
    std::size_t at = 8;
    while (at < file.size()) {
        const std::uint32_t length = ReadU32(file, at);
        EXPECT_LE(at + 12 + length, file.size()) << "chunk runs past the end";
        if (at + 12 + length > file.size()) break;
        Chunk chunk;
        chunk.type.assign(file.begin() + at + 4, file.begin() + at + 8);
        chunk.data.assign(file.begin() + at + 8, file.begin() + at + 8 + length);
        chunk.crc = ReadU32(file, at + 8 + length);
        chunks.push_back(chunk);
        at += 12 + length;
    }
    return chunks;
}

std::uint32_t CrcOf(const Chunk& chunk) {
    uLong crc = crc32(0L, Z_NULL, 0);
    crc = crc32(crc, reinterpret_cast<const Bytef*>(chunk.type.data()), 4);
    if (!chunk.data.empty())
        crc = crc32(crc, chunk.data.data(), static_cast<uInt>(chunk.data.size()));
    return static_cast<std::uint32_t>(crc);
}

RgbImage Noise(int width, int height, unsigned seed) {
    RgbImage image;
    image.width = width;
    image.height = height;
    std::mt19937 random(seed);
    for (int i = 0; i < width * height * 3; ++i)
        image.rgb.push_back(static_cast<std::uint8_t>(random() % 7 == 0 ? random() : i % 251));
    return image;
}

// Decodes what EncodePng writes: RGB, 8 bits, filter 0 on every row.
RgbImage Decode(const std::vector<std::uint8_t>& file) {
    const std::vector<Chunk> chunks = Chunks(file);
    RgbImage image;
    if (chunks.size() != 3) {
        ADD_FAILURE() << "expected IHDR, IDAT, IEND; found " << chunks.size() << " chunks";
        return image;
    }
    image.width = static_cast<int>(ReadU32(chunks[0].data, 0));
    image.height = static_cast<int>(ReadU32(chunks[0].data, 4));
    const std::size_t stride = static_cast<std::size_t>(image.width) * 3 + 1;
    std::vector<std::uint8_t> raw(stride * image.height);
    uLongf rawSize = static_cast<uLongf>(raw.size());
    EXPECT_EQ(uncompress(raw.data(), &rawSize, chunks[1].data.data(),
                         static_cast<uLong>(chunks[1].data.size())),
              Z_OK);
    EXPECT_EQ(rawSize, raw.size());
    for (int row = 0; row < image.height; ++row) {
        EXPECT_EQ(raw[row * stride], 0) << "row " << row << " filter";
        image.rgb.insert(image.rgb.end(), raw.begin() + row * stride + 1,
                         raw.begin() + (row + 1) * stride);
    }
    return image;
}

TEST(Png, StartsWithTheSignatureAndAHeaderOfTheImage) {
    const RgbImage image = Noise(7, 3, 1);
    const std::vector<std::uint8_t> file = EncodePng(image);
    const std::vector<std::uint8_t> signature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    ASSERT_GE(file.size(), signature.size());
    EXPECT_TRUE(std::equal(signature.begin(), signature.end(), file.begin()));
    const std::vector<Chunk> chunks = Chunks(file);
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].type, "IHDR");
    EXPECT_EQ(chunks[1].type, "IDAT");
    EXPECT_EQ(chunks[2].type, "IEND");
    ASSERT_EQ(chunks[0].data.size(), 13u);
    EXPECT_EQ(ReadU32(chunks[0].data, 0), 7u);
    EXPECT_EQ(ReadU32(chunks[0].data, 4), 3u);
    const std::vector<std::uint8_t> rest(chunks[0].data.begin() + 8, chunks[0].data.end());
    EXPECT_EQ(rest, (std::vector<std::uint8_t>{8, 2, 0, 0, 0}));
    EXPECT_TRUE(chunks[2].data.empty());
}

TEST(Png, EveryChunkCarriesTheCrcOfItsTypeAndData) {
    for (const Chunk& chunk : Chunks(EncodePng(Noise(33, 17, 2))))
        EXPECT_EQ(chunk.crc, CrcOf(chunk)) << chunk.type;
}

TEST(Png, DecodesBackToThePixels) {
    for (auto [width, height] : {std::pair{1, 1}, {2, 5}, {64, 48}, {469, 30}}) {
        const RgbImage image = Noise(width, height, static_cast<unsigned>(width * 1000 + height));
        const RgbImage back = Decode(EncodePng(image));
        EXPECT_EQ(back.width, width);
        EXPECT_EQ(back.height, height);
        EXPECT_EQ(back.rgb, image.rgb) << width << " x " << height;
    }
}

TEST(Png, APlainPictureCompresses) {
    RgbImage image;
    image.width = 200;
    image.height = 100;
    image.rgb.assign(200 * 100 * 3, 0xd4);
    const std::vector<std::uint8_t> file = EncodePng(image);
    EXPECT_LT(file.size(), image.rgb.size() / 20);
    EXPECT_EQ(Decode(file).rgb, image.rgb);
}

TEST(Png, RefusesPixelsThatDoNotMatchTheSize) {
    RgbImage image = Noise(4, 4, 3);
    image.rgb.pop_back();
    EXPECT_THROW(EncodePng(image), std::runtime_error);
    image.width = 0;
    image.rgb.clear();
    EXPECT_THROW(EncodePng(image), std::runtime_error);
}

TEST(Png, WritesTheEncodedBytesToTheFile) {
    const RgbImage image = Noise(10, 6, 4);
    const std::filesystem::path path =
        std::filesystem::temp_directory_path() /
        ("tarn-png-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
         ".png");
    WritePng(path.string(), image);
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> written((std::istreambuf_iterator<char>(in)),
                                            std::istreambuf_iterator<char>());
    in.close();
    std::filesystem::remove(path);
    EXPECT_EQ(written, EncodePng(image));
    EXPECT_THROW(WritePng((path.parent_path() / "no-such-folder" / "x.png").string(), image),
                 std::runtime_error);
}

} // namespace
} // namespace tarn::ui
