#include "version/cmp_TVersion.h"

#include "platform/Platform.h"
#include "version/VersionInfoReader.h"
#include "version/VersionTables.h"

#include <array>
#include <utility>

namespace tarn::version {
namespace {

constexpr std::array<std::string_view, 15> kPropertyNames = {
    "Comment",        "CompanyName",     "FileDescription",  "FileVersion",  "InternalName",
    "LegalCopyright", "LegalTradeMarks", "OriginalFileName", "PrivateBuild", "ProductName",
    "ProductVersion", "SpecialBuild",    "FileOS",           "FileType",     "FileSubType"};

} // namespace

std::span<const std::string_view> TVersionInfo::PropertyNames() {
    return kPropertyNames;
}

const std::string* TVersionInfo::Field(std::string_view property) const {
    const std::array<const std::string*, 15> fields = {
        &comment_,        &companyName_,     &fileDescription_,  &fileVersion_,  &internalName_,
        &legalCopyright_, &legalTradeMarks_, &originalFileName_, &privateBuild_, &productName_,
        &productVersion_, &specialBuild_,    &fileOS_,           &fileType_,     &fileSubType_};
    for (std::size_t i = 0; i < kPropertyNames.size(); ++i)
        if (kPropertyNames[i] == property) return fields[i];
    return nullptr;
}

std::string* TVersionInfo::Field(std::string_view property) {
    return const_cast<std::string*>(std::as_const(*this).Field(property));
}

std::string TVersionInfo::Text(std::string_view property) const {
    const std::string* field = Field(property);
    if (!field) throw Exception("TVersionInfo has no text named %s", std::string(property));
    return *field;
}

void TVersionInfo::SetText(std::string_view property, const std::string& value) {
    std::string* field = Field(property);
    if (!field) throw Exception("TVersionInfo has no text named %s", std::string(property));
    *field = value;
}

TVersionResource::TVersionResource(TComponent* owner)
    : TComponent(owner), fileName_(platform::System().GetModuleFileName()) {
    ReadVersionInfo();
}

void TVersionResource::SetFileName(const std::string& fileName) {
    fileName_ = fileName;
    Changed();
}

bool TVersionResource::FileNameStored() const {
    return fileName_ != platform::System().GetModuleFileName();
}

void TVersionResource::SetLanguage(TLanguage language) {
    if (!IsValidLanguage(language))
        throw Exception("%d is not a TLanguage value", static_cast<int>(language));
    language_ = language;
    Changed();
}

void TVersionResource::SetCharacterSet(TCharacterSet characterSet) {
    if (!IsValidCharacterSet(characterSet))
        throw Exception("%d is not a TCharacterSet value", static_cast<int>(characterSet));
    characterSet_ = characterSet;
    Changed();
}

void TVersionResource::Changed() {
    // While loading, values are stored as they come; Loaded reads once they are all in.
    if (!ComponentState().Contains(csLoading)) ReadVersionInfo();
}

void TVersionResource::Loaded() {
    TComponent::Loaded();
    ReadVersionInfo();
}

void TVersionResource::ReadVersionInfo() {
    versionInfo_.Clear();
    std::vector<std::uint8_t> resource;
    if (!ReadFileVersionResource(fileName_, resource)) return;
    FillVersionInfo(resource, LanguageId(language_), CharacterSetCodePage(characterSet_),
                    versionInfo_);
}

} // namespace tarn::version
