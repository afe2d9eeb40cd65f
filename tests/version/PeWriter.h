// Test-side writers of version resources and of PE32 / PE32+ images that carry them, byte by
// byte, with switches for the damage the reader must survive.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace tarn::test {

using Bytes = std::vector<std::uint8_t>;

// One block of a version resource. valueLength is written as given when set, otherwise as
// Windows' resource compiler writes it (text: UTF-16 units with the NUL; binary: bytes).
struct VersionBlockSpec {
    std::u16string key;
    std::uint16_t type = 0;
    Bytes value;
    int valueLength = -1;
    std::vector<VersionBlockSpec> children;
};

Bytes SerializeBlock(const VersionBlockSpec& block);
// A string block (type 1) whose value is text and its NUL.
VersionBlockSpec StringBlock(const std::string& key, const std::u16string& text);
std::u16string Widen(const std::string& ascii);

struct StringTableSpec {
    std::string key = "040904E4";
    std::vector<std::pair<std::string, std::u16string>> strings;
};

struct VersionSpec {
    bool withFixed = true;
    std::uint32_t signature = 0xFEEF04BD;
    std::array<std::uint16_t, 4> fileVersion = {1, 0, 0, 0};
    std::array<std::uint16_t, 4> productVersion = {1, 0, 0, 0};
    std::uint32_t fileOS = 0x40004;
    std::uint32_t fileType = 1;
    std::uint32_t fileSubtype = 0;
    std::vector<StringTableSpec> tables;
    // Each translation is a language and a code page; none leaves VarFileInfo out.
    std::vector<std::pair<std::uint16_t, std::uint16_t>> translations;
};

VersionBlockSpec VersionTree(const VersionSpec& layout);
Bytes BuildVersionResource(const VersionSpec& layout);

struct LanguageResource {
    std::uint16_t language = 0x0409;
    Bytes data;
};

struct PeSpec {
    bool pe32plus = false;
    bool dll = false;
    std::vector<LanguageResource> versions; // RT_VERSION, name versionName, one per language
    std::uint32_t versionName = 1;
    // The data of the version resources placed in the code section instead of beside the
    // directory, so that finding it needs the section table.
    bool dataInCodeSection = false;
    // Other resource types listed before RT_VERSION (a named type is always listed first).
    std::vector<std::uint32_t> otherTypes = {3, 14};
    std::uint32_t numberOfRvaAndSizes = 16;
};

// The image, and where its resource directory starts in the file.
struct PeImage {
    Bytes bytes;
    std::size_t resourceOffset = 0;
    std::size_t versionDataOffset = 0; // of the first version resource's data
};

PeImage BuildPe(const PeSpec& layout);
// An image with one US English version resource built from layout.
PeImage BuildPeWithVersion(const VersionSpec& layout, bool pe32plus = false, bool dll = false);

void PutWord(Bytes& b, std::size_t at, std::uint16_t v);
void PutDword(Bytes& b, std::size_t at, std::uint32_t v);
std::string AsString(const Bytes& b);

} // namespace tarn::test
