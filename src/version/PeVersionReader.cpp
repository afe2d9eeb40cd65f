#include "version/PeVersionReader.h"

#include <algorithm>
#include <array>
#include <optional>

namespace tarn::version {
namespace {

constexpr std::uint16_t kDosMagic = 0x5A4D;        // "MZ"
constexpr std::uint32_t kPeSignature = 0x00004550; // "PE\0\0"
constexpr std::uint16_t kPe32Magic = 0x10B;
constexpr std::uint16_t kPe32PlusMagic = 0x20B;
constexpr std::uint32_t kResourceDirectoryIndex = 2;
constexpr std::uint32_t kRtVersion = 16;
constexpr std::uint32_t kVsVersionInfo = 1;
constexpr std::uint32_t kHighBit = 0x80000000u;
constexpr std::size_t kMaxVersionBlock = 0xFFFF;

std::uint16_t Word(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
std::uint32_t Dword(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct Section {
    std::uint32_t virtualAddress;
    std::uint32_t virtualSize;
    std::uint32_t rawSize;
    std::uint32_t rawPointer;
};

// The image as the loader would map it, read on demand from the file.
class MappedImage {
public:
    explicit MappedImage(IByteSource& file) : file_(file) {}

    bool Load(std::uint32_t& resourceRva) {
        std::array<std::uint8_t, 64> dos{};
        if (!file_.ReadAt(0, dos.data(), dos.size()) || Word(dos.data()) != kDosMagic) return false;
        const std::uint64_t pe = Dword(dos.data() + 0x3C);

        std::array<std::uint8_t, 24> header{}; // signature and COFF file header
        if (!file_.ReadAt(pe, header.data(), header.size()) || Dword(header.data()) != kPeSignature)
            return false;
        const std::uint16_t sectionCount = Word(header.data() + 6);
        const std::uint16_t optionalSize = Word(header.data() + 20);

        std::vector<std::uint8_t> optional(optionalSize);
        if (!file_.ReadAt(pe + 24, optional.data(), optional.size())) return false;
        if (optional.size() < 2) return false;
        const std::uint16_t magic = Word(optional.data());
        std::size_t countAt = 0;
        if (magic == kPe32Magic)
            countAt = 92;
        else if (magic == kPe32PlusMagic)
            countAt = 108;
        else
            return false;
        const std::size_t directoriesAt = countAt + 4;
        const std::size_t resourceAt = directoriesAt + 8 * kResourceDirectoryIndex;
        if (optional.size() < resourceAt + 8) return false;
        if (Dword(optional.data() + countAt) <= kResourceDirectoryIndex) return false;
        resourceRva = Dword(optional.data() + resourceAt);
        if (resourceRva == 0 || Dword(optional.data() + resourceAt + 4) == 0) return false;

        std::vector<std::uint8_t> table(std::size_t{sectionCount} * 40);
        if (!file_.ReadAt(pe + 24 + optionalSize, table.data(), table.size())) return false;
        sections_.reserve(sectionCount);
        for (std::size_t i = 0; i < sectionCount; ++i) {
            const std::uint8_t* s = table.data() + i * 40;
            sections_.push_back({Dword(s + 12), Dword(s + 8), Dword(s + 16), Dword(s + 20)});
        }
        return true;
    }

    // Reads count bytes at a relative virtual address. The part of a section beyond its raw
    // data reads as zeros, as the loader fills it; nothing outside a section can be read.
    bool ReadRva(std::uint64_t rva, void* buffer, std::size_t count) {
        for (const Section& s : sections_) {
            const std::uint64_t span = s.virtualSize != 0 ? s.virtualSize : s.rawSize;
            if (rva < s.virtualAddress || rva - s.virtualAddress >= span) continue;
            const std::uint64_t at = rva - s.virtualAddress;
            if (!InRange(at, count, span)) return false;
            const std::uint64_t loaded = std::min<std::uint64_t>(s.rawSize, span);
            const std::uint64_t fromFile =
                at < loaded ? std::min<std::uint64_t>(count, loaded - at) : 0;
            auto* out = static_cast<std::uint8_t*>(buffer);
            if (fromFile != 0 && !file_.ReadAt(std::uint64_t{s.rawPointer} + at, out,
                                               static_cast<std::size_t>(fromFile)))
                return false;
            std::fill(out + fromFile, out + count, std::uint8_t{0});
            return true;
        }
        return false;
    }

private:
    IByteSource& file_;
    std::vector<Section> sections_;
};

struct DirectoryEntry {
    std::uint32_t name;   // high bit: offset of a name string; otherwise an integer id
    std::uint32_t target; // high bit: offset of a subdirectory; otherwise of a data entry
};

// The entries of the resource directory at offset (relative to the resource section's start).
std::optional<std::vector<DirectoryEntry>> ReadDirectory(MappedImage& image, std::uint32_t root,
                                                         std::uint32_t offset) {
    std::array<std::uint8_t, 16> header{};
    if (!image.ReadRva(std::uint64_t{root} + offset, header.data(), header.size()))
        return std::nullopt;
    const std::size_t count = std::size_t{Word(header.data() + 12)} + Word(header.data() + 14);
    std::vector<std::uint8_t> raw(count * 8);
    if (!image.ReadRva(std::uint64_t{root} + offset + 16, raw.data(), raw.size()))
        return std::nullopt;
    std::vector<DirectoryEntry> entries(count);
    for (std::size_t i = 0; i < count; ++i)
        entries[i] = {Dword(raw.data() + 8 * i), Dword(raw.data() + 8 * i + 4)};
    return entries;
}

const DirectoryEntry* FindId(const std::vector<DirectoryEntry>& entries, std::uint32_t id) {
    auto it = std::find_if(entries.begin(), entries.end(),
                           [id](const DirectoryEntry& e) { return e.name == id; });
    return it == entries.end() ? nullptr : &*it;
}

bool IsDirectory(const DirectoryEntry& e) {
    return (e.target & kHighBit) != 0;
}
std::uint32_t TargetOffset(const DirectoryEntry& e) {
    return e.target & ~kHighBit;
}

} // namespace

std::vector<std::uint8_t> ReadPeVersionResource(IByteSource& file) {
    MappedImage image(file);
    std::uint32_t root = 0;
    if (!image.Load(root)) return {};

    // The path has a fixed depth, so a directory that points back at itself cannot loop.
    auto types = ReadDirectory(image, root, 0);
    if (!types) return {};
    const DirectoryEntry* type = FindId(*types, kRtVersion);
    if (!type || !IsDirectory(*type)) return {};

    auto names = ReadDirectory(image, root, TargetOffset(*type));
    if (!names) return {};
    const DirectoryEntry* name = FindId(*names, kVsVersionInfo);
    if (!name || !IsDirectory(*name)) return {};

    auto languages = ReadDirectory(image, root, TargetOffset(*name));
    if (!languages || languages->empty()) return {};
    const DirectoryEntry* language = FindId(*languages, kNeutralLanguage);
    if (!language) language = FindId(*languages, kUSEnglishLanguage);
    if (!language) language = &languages->front();
    if (IsDirectory(*language)) return {};

    std::array<std::uint8_t, 16> data{}; // IMAGE_RESOURCE_DATA_ENTRY
    if (!image.ReadRva(std::uint64_t{root} + TargetOffset(*language), data.data(), data.size()))
        return {};
    const std::uint32_t dataRva = Dword(data.data());
    const std::size_t size = std::min<std::size_t>(Dword(data.data() + 4), kMaxVersionBlock);
    std::vector<std::uint8_t> block(size);
    if (!image.ReadRva(dataRva, block.data(), block.size())) return {};
    return block;
}

} // namespace tarn::version
