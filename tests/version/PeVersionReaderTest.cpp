// Finding the version resource in PE32 and PE32+ images, and surviving damaged ones.
#include "version/PeVersionReader.h"
#include "version/ByteSource.h"
#include "version/PeWriter.h"

#include <gtest/gtest.h>

namespace tarn::test {
namespace {

using version::MemorySource;
using version::ReadPeVersionResource;

Bytes Read(const Bytes& image) {
    MemorySource source(image);
    return ReadPeVersionResource(source);
}

VersionSpec SampleSpec() {
    VersionSpec layout;
    layout.fileVersion = {4, 0, 1381, 0};
    layout.tables.push_back({"040904E4", {{"CompanyName", u"Tarn"}, {"ProductName", u"Reader"}}});
    layout.translations = {{0x0409, 1252}};
    return layout;
}

class PeFormat : public testing::TestWithParam<bool> {};

TEST_P(PeFormat, FindsTheVersionResourceBesideTheDirectory) {
    const Bytes resource = BuildVersionResource(SampleSpec());
    const PeImage image = BuildPeWithVersion(SampleSpec(), GetParam());
    EXPECT_EQ(Read(image.bytes), resource);
}

TEST_P(PeFormat, MapsDataAddressesThroughTheSectionTable) {
    PeSpec layout;
    layout.pe32plus = GetParam();
    layout.versions.push_back({0x0409, BuildVersionResource(SampleSpec())});
    layout.dataInCodeSection = true;
    EXPECT_EQ(Read(BuildPe(layout).bytes), layout.versions[0].data);
}

TEST_P(PeFormat, ImageWithoutResourceDirectoryEntryHasNone) {
    PeSpec layout;
    layout.pe32plus = GetParam();
    layout.versions.push_back({0x0409, BuildVersionResource(SampleSpec())});
    layout.numberOfRvaAndSizes = 2; // the resource directory is the third entry
    EXPECT_TRUE(Read(BuildPe(layout).bytes).empty());
}

INSTANTIATE_TEST_SUITE_P(Pe32AndPe32Plus, PeFormat, testing::Bool(),
                         [](const auto& info) { return info.param ? "Pe32Plus" : "Pe32"; });

TEST(PeVersionReader, PrefersNeutralThenUSEnglishThenTheFirstLanguage) {
    auto data = [](std::uint8_t tag) { return Bytes(64, tag); };
    PeSpec layout;
    layout.versions = {{0x0407, data(1)}, {0x0409, data(2)}, {0x0000, data(3)}};
    EXPECT_EQ(Read(BuildPe(layout).bytes), data(3));
    layout.versions = {{0x0407, data(1)}, {0x0409, data(2)}};
    EXPECT_EQ(Read(BuildPe(layout).bytes), data(2));
    layout.versions = {{0x040C, data(4)}, {0x0407, data(1)}};
    EXPECT_EQ(Read(BuildPe(layout).bytes), data(4));
}

TEST(PeVersionReader, OnlyTheResourceNamedVsVersionInfoCounts) {
    PeSpec layout;
    layout.versions.push_back({0x0409, BuildVersionResource(SampleSpec())});
    layout.versionName = 2;
    EXPECT_TRUE(Read(BuildPe(layout).bytes).empty());
}

TEST(PeVersionReader, ImageWithoutRtVersionHasNone) {
    PeSpec layout; // no version resources: RT_VERSION leads to an empty language directory
    EXPECT_TRUE(Read(BuildPe(layout).bytes).empty());
}

TEST(PeVersionReader, RejectsFilesThatAreNotPeImages) {
    const PeImage good = BuildPeWithVersion(SampleSpec());
    EXPECT_TRUE(Read({}).empty());
    EXPECT_TRUE(Read(Bytes(4096, 0)).empty());

    Bytes noMz = good.bytes;
    noMz[0] = 'X';
    EXPECT_TRUE(Read(noMz).empty());

    Bytes noPe = good.bytes;
    noPe[0x80] = 'N'; // "NE": a 16-bit image
    EXPECT_TRUE(Read(noPe).empty());

    Bytes badMagic = good.bytes;
    PutWord(badMagic, 0x80 + 24, 0x107);
    EXPECT_TRUE(Read(badMagic).empty());

    Bytes farHeader = good.bytes;
    PutDword(farHeader, 0x3C, 0xFFFFFFF0u);
    EXPECT_TRUE(Read(farHeader).empty());
}

TEST(PeVersionReader, EveryTruncationReadsAsNoneOrTheWholeResource) {
    const Bytes resource = BuildVersionResource(SampleSpec());
    for (bool plus : {false, true}) {
        const PeImage image = BuildPeWithVersion(SampleSpec(), plus);
        const std::size_t dataEnd = image.versionDataOffset + resource.size();
        for (std::size_t size = 0; size < image.bytes.size(); ++size) {
            const Bytes cut(image.bytes.begin(), image.bytes.begin() + static_cast<long>(size));
            const Bytes found = Read(cut);
            if (size >= dataEnd) {
                ASSERT_EQ(found, resource) << "cut at " << size;
            } else {
                ASSERT_TRUE(found.empty()) << "cut at " << size;
            }
        }
    }
}

TEST(PeVersionReader, RawDataShorterThanTheSectionReadsAsZeros) {
    const Bytes resource = BuildVersionResource(SampleSpec());
    PeImage image = BuildPeWithVersion(SampleSpec());
    // Cut the resource section's raw data 8 bytes into the version data; the rest of the
    // section is then zero-filled memory, as the loader maps it.
    const std::size_t sections = 0x80 + 24 + 224;
    const std::size_t rsrcHeader = sections + 40;
    const std::size_t keep = image.versionDataOffset + 8 - image.resourceOffset;
    PutDword(image.bytes, rsrcHeader + 16, static_cast<std::uint32_t>(keep));
    Bytes expected = resource;
    std::fill(expected.begin() + 8, expected.end(), std::uint8_t{0});
    EXPECT_EQ(Read(image.bytes), expected);
}

TEST(PeVersionReader, DataOutsideEverySectionReadsAsNone) {
    PeImage image = BuildPeWithVersion(SampleSpec());
    // The data entry is the last 16 bytes before the 8-byte name string and the data.
    const std::size_t entry = image.versionDataOffset - 8 - 16;
    PutDword(image.bytes, entry, 0x00F00000);
    EXPECT_TRUE(Read(image.bytes).empty());

    image = BuildPeWithVersion(SampleSpec());
    PutDword(image.bytes, entry + 4, 0); // size 0
    EXPECT_TRUE(Read(image.bytes).empty());

    image = BuildPeWithVersion(SampleSpec());
    PutDword(image.bytes, entry + 4, 0x7FFFFFFF); // runs past the section
    EXPECT_TRUE(Read(image.bytes).empty());
}

TEST(PeVersionReader, DirectoriesPointingAtThemselvesDoNotLoop) {
    PeImage image = BuildPeWithVersion(SampleSpec());
    // The root's last entry (RT_VERSION) points back at the root, which has no name 1.
    const std::size_t root = image.resourceOffset;
    const std::size_t entries = 16 + 8 * 4; // named type, 3, 14, then RT_VERSION
    PutDword(image.bytes, root + entries - 4, 0x80000000u);
    EXPECT_TRUE(Read(image.bytes).empty());

    // A language directory that is its own only entry.
    image = BuildPeWithVersion(SampleSpec());
    const std::size_t names = root + entries;
    const std::size_t languagesOffset = entries + 16 + 16;
    PutDword(image.bytes, names + 16 + 8 + 4,
             0x80000000u | static_cast<std::uint32_t>(languagesOffset));
    PutDword(image.bytes, root + languagesOffset + 16 + 4,
             0x80000000u | static_cast<std::uint32_t>(languagesOffset));
    EXPECT_TRUE(Read(image.bytes).empty());
}

TEST(PeVersionReader, HugeEntryCountsAreBoundedByTheSection) {
    PeImage image = BuildPeWithVersion(SampleSpec());
    PutWord(image.bytes, image.resourceOffset + 12, 0xFFFF);
    PutWord(image.bytes, image.resourceOffset + 14, 0xFFFF);
    EXPECT_TRUE(Read(image.bytes).empty());
}

TEST(PeVersionReader, HugeSectionCountsFailOnTheShortFile) {
    PeImage image = BuildPeWithVersion(SampleSpec());
    PutWord(image.bytes, 0x80 + 6, 0xFFFF);
    EXPECT_TRUE(Read(image.bytes).empty());
}

TEST(MemorySource, RefusesReadsPastTheEndWithoutOverflow) {
    const Bytes data(16, 7);
    MemorySource source(data);
    std::uint8_t buffer[16];
    EXPECT_TRUE(source.ReadAt(0, buffer, 16));
    EXPECT_TRUE(source.ReadAt(16, buffer, 0));
    EXPECT_FALSE(source.ReadAt(1, buffer, 16));
    EXPECT_FALSE(source.ReadAt(~std::uint64_t{0}, buffer, 2));
    EXPECT_FALSE(source.ReadAt(17, buffer, 0));
}

} // namespace
} // namespace tarn::test
