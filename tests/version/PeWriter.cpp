#include "version/PeWriter.h"

#include <stdexcept>

namespace tarn::test {
namespace {

void Append16(Bytes& b, std::uint16_t v) {
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Append32(Bytes& b, std::uint32_t v) {
    Append16(b, static_cast<std::uint16_t>(v));
    Append16(b, static_cast<std::uint16_t>(v >> 16));
}
void Pad4(Bytes& b) {
    while (b.size() % 4 != 0)
        b.push_back(0);
}
void PadTo(Bytes& b, std::size_t size) {
    if (b.size() > size) throw std::logic_error("PE layout overflow");
    b.resize(size, 0);
}
Bytes TextValue(const std::u16string& text) {
    Bytes b;
    for (char16_t c : text)
        Append16(b, c);
    Append16(b, 0);
    return b;
}
std::uint32_t Pack(const std::array<std::uint16_t, 4>& v, std::size_t first) {
    return (static_cast<std::uint32_t>(v[first]) << 16) | v[first + 1];
}

constexpr std::uint32_t kFileAlignment = 0x200;
constexpr std::uint32_t kCodeRva = 0x1000;
constexpr std::uint32_t kCodeRaw = 0x400;
constexpr std::uint32_t kCodeSize = 0x1000;
constexpr std::uint32_t kResourceRva = 0x3000;
constexpr std::uint32_t kResourceRaw = kCodeRaw + kCodeSize;

} // namespace

void PutWord(Bytes& b, std::size_t at, std::uint16_t v) {
    b.at(at) = static_cast<std::uint8_t>(v);
    b.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
}
void PutDword(Bytes& b, std::size_t at, std::uint32_t v) {
    PutWord(b, at, static_cast<std::uint16_t>(v));
    PutWord(b, at + 2, static_cast<std::uint16_t>(v >> 16));
}
std::string AsString(const Bytes& b) {
    return std::string(b.begin(), b.end());
}

std::u16string Widen(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

Bytes SerializeBlock(const VersionBlockSpec& block) {
    Bytes b;
    Append16(b, 0); // length, filled in below
    const std::size_t valueLength =
        block.valueLength >= 0 ? static_cast<std::size_t>(block.valueLength)
                               : (block.type == 1 ? block.value.size() / 2 : block.value.size());
    Append16(b, static_cast<std::uint16_t>(valueLength));
    Append16(b, block.type);
    for (char16_t c : block.key)
        Append16(b, c);
    Append16(b, 0);
    Pad4(b);
    b.insert(b.end(), block.value.begin(), block.value.end());
    for (const VersionBlockSpec& child : block.children) {
        Pad4(b);
        Bytes c = SerializeBlock(child);
        b.insert(b.end(), c.begin(), c.end());
    }
    PutWord(b, 0, static_cast<std::uint16_t>(b.size()));
    return b;
}

VersionBlockSpec StringBlock(const std::string& key, const std::u16string& text) {
    return {Widen(key), 1, TextValue(text), -1, {}};
}

VersionBlockSpec VersionTree(const VersionSpec& layout) {
    VersionBlockSpec root{u"VS_VERSION_INFO", 0, {}, -1, {}};
    if (layout.withFixed) {
        Bytes& f = root.value;
        Append32(f, layout.signature);
        Append32(f, 0x00010000); // structure version
        Append32(f, Pack(layout.fileVersion, 0));
        Append32(f, Pack(layout.fileVersion, 2));
        Append32(f, Pack(layout.productVersion, 0));
        Append32(f, Pack(layout.productVersion, 2));
        Append32(f, 0x3F); // flags mask
        Append32(f, 0);    // flags
        Append32(f, layout.fileOS);
        Append32(f, layout.fileType);
        Append32(f, layout.fileSubtype);
        Append32(f, 0); // date
        Append32(f, 0);
    }
    if (!layout.tables.empty()) {
        VersionBlockSpec info{u"StringFileInfo", 1, {}, -1, {}};
        for (const StringTableSpec& t : layout.tables) {
            VersionBlockSpec table{Widen(t.key), 1, {}, -1, {}};
            for (const auto& [key, text] : t.strings)
                table.children.push_back(StringBlock(key, text));
            info.children.push_back(table);
        }
        root.children.push_back(info);
    }
    if (!layout.translations.empty()) {
        VersionBlockSpec var{u"Translation", 0, {}, -1, {}};
        for (auto [language, codePage] : layout.translations) {
            Append16(var.value, language);
            Append16(var.value, codePage);
        }
        root.children.push_back({u"VarFileInfo", 1, {}, -1, {var}});
    }
    return root;
}

Bytes BuildVersionResource(const VersionSpec& layout) {
    return SerializeBlock(VersionTree(layout));
}

PeImage BuildPe(const PeSpec& layout) {
    PeImage image;
    Bytes& b = image.bytes;

    // The resource section: root directory, the RT_VERSION name and language directories, the
    // data entries, a name string, then the data (unless it goes to the code section).
    Bytes rsrc;
    auto directory = [&rsrc](std::uint16_t named, std::uint16_t ids) {
        Append32(rsrc, 0);
        Append32(rsrc, 0);
        Append16(rsrc, 4);
        Append16(rsrc, 0);
        Append16(rsrc, named);
        Append16(rsrc, ids);
    };
    // Other types, and a named resource of RT_VERSION, lead to an empty directory, so that only
    // the right path reaches the data.
    const auto types = static_cast<std::uint16_t>(layout.otherTypes.size() + 1);
    const std::size_t rootSize = 16 + 8 * (1 + types);
    const std::size_t namesAt = rootSize;
    const std::size_t languagesAt = namesAt + 16 + 8 * 2;
    const std::size_t emptyAt = languagesAt + 16 + 8 * layout.versions.size();
    const std::size_t entriesAt = emptyAt + 16;
    const std::size_t stringAt = entriesAt + 16 * layout.versions.size();
    const std::size_t dataAt = stringAt + 8;
    const std::uint32_t toEmpty = 0x80000000u | static_cast<std::uint32_t>(emptyAt);

    directory(1, types);
    Append32(rsrc, 0x80000000u | static_cast<std::uint32_t>(stringAt)); // a named type
    Append32(rsrc, toEmpty);
    for (std::uint32_t t : layout.otherTypes) {
        Append32(rsrc, t);
        Append32(rsrc, toEmpty);
    }
    Append32(rsrc, 16);
    Append32(rsrc, 0x80000000u | static_cast<std::uint32_t>(namesAt));

    directory(1, 1);
    Append32(rsrc, 0x80000000u | static_cast<std::uint32_t>(stringAt)); // a named resource
    Append32(rsrc, toEmpty);
    Append32(rsrc, layout.versionName);
    Append32(rsrc, 0x80000000u | static_cast<std::uint32_t>(languagesAt));

    directory(0, static_cast<std::uint16_t>(layout.versions.size()));
    for (std::size_t i = 0; i < layout.versions.size(); ++i) {
        Append32(rsrc, layout.versions[i].language);
        Append32(rsrc, static_cast<std::uint32_t>(entriesAt + 16 * i));
    }
    directory(0, 0);

    Bytes code(kCodeSize, 0xCC);
    std::size_t codeUsed = 0x100;
    std::size_t dataOffset = dataAt;
    std::vector<std::uint32_t> dataRvas;
    Bytes data;
    for (const LanguageResource& r : layout.versions) {
        if (layout.dataInCodeSection) {
            dataRvas.push_back(kCodeRva + static_cast<std::uint32_t>(codeUsed));
            std::copy(r.data.begin(), r.data.end(), code.begin() + static_cast<long>(codeUsed));
            codeUsed = (codeUsed + r.data.size() + 3) & ~std::size_t{3};
            if (codeUsed > kCodeSize) throw std::logic_error("version data too large for code");
        } else {
            dataRvas.push_back(kResourceRva + static_cast<std::uint32_t>(dataOffset + data.size()));
            data.insert(data.end(), r.data.begin(), r.data.end());
            Pad4(data);
        }
    }
    for (std::size_t i = 0; i < layout.versions.size(); ++i) {
        Append32(rsrc, dataRvas[i]);
        Append32(rsrc, static_cast<std::uint32_t>(layout.versions[i].data.size()));
        Append32(rsrc, 1252);
        Append32(rsrc, 0);
    }
    Append16(rsrc, 3); // the named type's name: "BIN"
    Append16(rsrc, u'B');
    Append16(rsrc, u'I');
    Append16(rsrc, u'N');
    rsrc.insert(rsrc.end(), data.begin(), data.end());

    // Headers.
    b.assign(kCodeRaw, 0);
    PutWord(b, 0, 0x5A4D);
    PutDword(b, 0x3C, 0x80);
    const std::size_t pe = 0x80;
    PutDword(b, pe, 0x00004550);
    const std::size_t coff = pe + 4;
    PutWord(b, coff, layout.pe32plus ? 0x8664 : 0x014C);
    PutWord(b, coff + 2, 2);
    const std::uint16_t optionalSize = layout.pe32plus ? 240 : 224;
    PutWord(b, coff + 16, optionalSize);
    PutWord(b, coff + 18,
            static_cast<std::uint16_t>((layout.pe32plus ? 0x0022 : 0x0102) |
                                       (layout.dll ? 0x2000 : 0)));
    const std::size_t opt = coff + 20;
    PutWord(b, opt, layout.pe32plus ? 0x20B : 0x10B);
    PutDword(b, opt + 16, kCodeRva); // entry point
    PutDword(b, opt + 32, 0x1000);   // section alignment
    PutDword(b, opt + 36, kFileAlignment);
    const std::size_t countAt = opt + (layout.pe32plus ? 108 : 92);
    PutDword(b, opt + 56, kResourceRva + 0x1000); // size of image
    PutDword(b, opt + 60, kCodeRaw);              // size of headers
    PutDword(b, countAt, layout.numberOfRvaAndSizes);
    const std::size_t resourceDirectory = countAt + 4 + 8 * 2;
    PutDword(b, resourceDirectory, kResourceRva);
    PutDword(b, resourceDirectory + 4, static_cast<std::uint32_t>(rsrc.size()));

    const std::size_t sections = opt + optionalSize;
    const std::uint32_t rsrcRawSize =
        (static_cast<std::uint32_t>(rsrc.size()) + kFileAlignment - 1) & ~(kFileAlignment - 1);
    auto section = [&b](std::size_t at, const char* name, std::uint32_t vsize, std::uint32_t va,
                        std::uint32_t rawSize, std::uint32_t raw, std::uint32_t flags) {
        for (int i = 0; name[i] && i < 8; ++i)
            b[at + i] = static_cast<std::uint8_t>(name[i]);
        PutDword(b, at + 8, vsize);
        PutDword(b, at + 12, va);
        PutDword(b, at + 16, rawSize);
        PutDword(b, at + 20, raw);
        PutDword(b, at + 36, flags);
    };
    section(sections, ".text", kCodeSize, kCodeRva, kCodeSize, kCodeRaw, 0x60000020);
    section(sections + 40, ".rsrc", static_cast<std::uint32_t>(rsrc.size()), kResourceRva,
            rsrcRawSize, kResourceRaw, 0x40000040);

    b.insert(b.end(), code.begin(), code.end());
    PadTo(b, kResourceRaw);
    b.insert(b.end(), rsrc.begin(), rsrc.end());
    PadTo(b, kResourceRaw + rsrcRawSize);

    image.resourceOffset = kResourceRaw;
    if (!dataRvas.empty())
        image.versionDataOffset = dataRvas[0] >= kResourceRva
                                      ? kResourceRaw + (dataRvas[0] - kResourceRva)
                                      : kCodeRaw + (dataRvas[0] - kCodeRva);
    return image;
}

PeImage BuildPeWithVersion(const VersionSpec& layout, bool pe32plus, bool dll) {
    PeSpec pe;
    pe.pe32plus = pe32plus;
    pe.dll = dll;
    pe.versions.push_back({0x0409, BuildVersionResource(layout)});
    return BuildPe(pe);
}

} // namespace tarn::test
