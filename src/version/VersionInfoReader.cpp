#include "version/VersionInfoReader.h"

#include "framework/FileStream.h"
#include "version/AnsiText.h"
#include "version/PeVersionReader.h"
#include "version/VersionBlock.h"
#include "version/VersionTables.h"

#include <array>
#include <cstdio>

namespace tarn::version {
namespace {

constexpr std::uint32_t kFixedSignature = 0xFEEF04BD;
constexpr std::size_t kFixedSize = 52; // VS_FIXEDFILEINFO

struct FixedFileInfo {
    std::uint32_t fileVersionMS, fileVersionLS, productVersionMS, productVersionLS;
    std::uint32_t fileOS, fileType, fileSubtype;
};

std::uint32_t Dword(const std::vector<std::uint8_t>& v, std::size_t at) {
    return static_cast<std::uint32_t>(v[at]) | (static_cast<std::uint32_t>(v[at + 1]) << 8) |
           (static_cast<std::uint32_t>(v[at + 2]) << 16) |
           (static_cast<std::uint32_t>(v[at + 3]) << 24);
}

// The root's value, when it is a whole VS_FIXEDFILEINFO with its signature.
bool ReadFixed(const VersionNode& root, FixedFileInfo& fixed) {
    const auto& v = root.value;
    if (v.size() < kFixedSize || Dword(v, 0) != kFixedSignature) return false;
    fixed = {Dword(v, 8),  Dword(v, 12), Dword(v, 16), Dword(v, 20),
             Dword(v, 32), Dword(v, 36), Dword(v, 40)};
    return true;
}

std::string VersionText(std::uint32_t ms, std::uint32_t ls) {
    return std::to_string(ms >> 16) + "." + std::to_string(ms & 0xFFFF) + "." +
           std::to_string(ls >> 16) + "." + std::to_string(ls & 0xFFFF);
}

// The string table's keys in the order they are read, with the property each fills.
using Setter = void (TVersionInfo::*)(const std::string&);
struct StringKey {
    const char* key;
    Setter set;
};
constexpr std::array<StringKey, 11> kStringKeys = {{
    {"Comment", &TVersionInfo::SetComment},
    {"CompanyName", &TVersionInfo::SetCompanyName},
    {"FileDescription", &TVersionInfo::SetFileDescription},
    {"InternalName", &TVersionInfo::SetInternalName},
    {"LegalCopyright", &TVersionInfo::SetLegalCopyright},
    {"LegalTradeMarks", &TVersionInfo::SetLegalTradeMarks},
    {"OriginalFileName", &TVersionInfo::SetOriginalFileName},
    {"PrivateBuild", &TVersionInfo::SetPrivateBuild},
    {"ProductName", &TVersionInfo::SetProductName},
    {"ProductVersion", &TVersionInfo::SetProductVersion},
    {"SpecialBuild", &TVersionInfo::SetSpecialBuild},
}};
// Resource compilers write the comment under Windows' standard key "Comments"; it is read when
// the table has no "Comment".
constexpr const char* kStandardCommentKey = "Comments";

} // namespace

std::string StringTablePath(std::uint16_t languageId, std::uint16_t codePage) {
    char text[9];
    std::snprintf(text, sizeof text, "%04X%04X", languageId, codePage);
    return std::string("\\StringFileInfo\\") + text + "\\";
}

bool ReadFileVersionResource(const std::string& fileName, std::vector<std::uint8_t>& resource) {
    try {
        TFileStream file(fileName, fmOpenRead | fmShareDenyNone);
        StreamSource source(file);
        resource = ReadPeVersionResource(source);
        return !resource.empty();
    } catch (const EStreamError&) {
        return false;
    }
}

void FillVersionInfo(std::span<const std::uint8_t> resource, std::uint16_t languageId,
                     std::uint16_t codePage, TVersionInfo& info) {
    VersionBlock block;
    if (!block.Parse(resource)) return;
    FixedFileInfo fixed{};
    if (!ReadFixed(block.Root(), fixed)) return;

    const VersionNode* translation = block.Find("\\VarFileInfo\\Translation");
    if (translation && translation->value.size() == 4)
        info.SetLanguageValue(static_cast<std::uint16_t>(
            (translation->value[0] | (translation->value[1] << 8)) & 0x3FF));

    info.SetFileVersion(VersionText(fixed.fileVersionMS, fixed.fileVersionLS));
    info.SetProductVersion(VersionText(fixed.productVersionMS, fixed.productVersionLS));
    info.SetFileOS(FileOSText(fixed.fileOS));
    info.SetFileType(FileTypeText(fixed.fileType));
    info.SetFileSubType(FileSubTypeText(fixed.fileType, fixed.fileSubtype));

    const std::string path = StringTablePath(languageId, codePage);
    for (const StringKey& key : kStringKeys) {
        const VersionNode* value = block.Find(path + key.key);
        if (!value && key.set == &TVersionInfo::SetComment)
            value = block.Find(path + kStandardCommentKey);
        if (value) (info.*key.set)(Utf16ToAnsi(value->Text()));
    }
}

} // namespace tarn::version
