// cmp_TVersion: the version resource of an executable read into text properties, and the
// decision whether a new file replaces an existing one under an overwrite rule.
//
//     auto reader = std::make_unique<TVersionResource>(nullptr);
//     reader->SetFileName("C:\\WINDOWS\\SYSTEM\\COMCTL32.DLL");
//     reader->VersionInfo().FileVersion();   // "5.81.4704.1100"
//
//     TVersionResource::IsFileNewerByName(source, target, owVersionDate);  // a cmp... result
#pragma once

#include "framework/Component.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tarn::version {

// Languages of a string table, declared in the order of their identifiers' table (LanguageId).
enum TLanguage {
    lnArabic,
    lnBulgarian,
    lnCatalan,
    lnTraditionalChinese,
    lnCzech,
    lnDanish,
    lnGerman,
    lnGreek,
    lnUSEnglish,
    lnCastilianSpanish,
    lnFinnish,
    lnFrench,
    lnHebrew,
    lnHungarian,
    lnIcelandic,
    lnItalian,
    lnJapanese,
    lnKorean,
    lnDutch,
    lnNorwegianBokmal,
    lnPolish,
    lnBrazilianPortuguese,
    lnRhaetoRomanic,
    lnRomanian,
    lnRussian,
    lnCroatoSerbian,
    lnSlovak,
    lnAlbanian,
    lnSwedish,
    lnThai,
    lnTurkish,
    lnUrdu,
    lnBahasa,
    lnSimplifiedChinese,
    lnSwissGerman,
    lnUKEnglish,
    lnMexicanSpanish,
    lnBelgianFrench,
    lnSwissItalian,
    lnBelgianDutch,
    lnNorwegianNynorsk,
    lnPortuguese,
    lnSerboCroatian,
    lnCanadianFrench,
    lnSwissFrench
};

// Code pages of a string table (CharacterSetCodePage).
enum TCharacterSet {
    csASCII,
    csJapan,
    csKorea,
    csTaiwan,
    csUnicode,
    csLatin2,
    csCyrillic,
    csMultilingual,
    csGreek,
    csTurkish,
    csHebrew,
    csArabic
};

enum TOverwriteType { owAlways, owNever, owVersion, owDate, owVersionDate, owAsk };

// Results of the file comparisons (shared with the archive engine).
inline constexpr int cmpFailed = 0;
inline constexpr int cmpSame = 1;
inline constexpr int cmpNewFileNewer = 2;  // replace
inline constexpr int cmpExistingNewer = 3; // keep
inline constexpr int cmpAsk = 4;           // replace, the caller's replace event asking

// The texts of a version resource. Plain values: read and written without side effects.
class TVersionInfo {
public:
    const std::string& Comment() const { return comment_; }
    const std::string& CompanyName() const { return companyName_; }
    const std::string& FileDescription() const { return fileDescription_; }
    const std::string& FileVersion() const { return fileVersion_; }
    const std::string& InternalName() const { return internalName_; }
    const std::string& LegalCopyright() const { return legalCopyright_; }
    const std::string& LegalTradeMarks() const { return legalTradeMarks_; }
    const std::string& OriginalFileName() const { return originalFileName_; }
    const std::string& PrivateBuild() const { return privateBuild_; }
    const std::string& ProductName() const { return productName_; }
    const std::string& ProductVersion() const { return productVersion_; }
    const std::string& SpecialBuild() const { return specialBuild_; }
    const std::string& FileOS() const { return fileOS_; }
    const std::string& FileType() const { return fileType_; }
    const std::string& FileSubType() const { return fileSubType_; }
    // The primary-language part (low 10 bits) of the file's translation, when it lists exactly
    // one; otherwise 0.
    std::uint16_t LanguageValue() const { return languageValue_; }

    void SetComment(const std::string& s) { comment_ = s; }
    void SetCompanyName(const std::string& s) { companyName_ = s; }
    void SetFileDescription(const std::string& s) { fileDescription_ = s; }
    void SetFileVersion(const std::string& s) { fileVersion_ = s; }
    void SetInternalName(const std::string& s) { internalName_ = s; }
    void SetLegalCopyright(const std::string& s) { legalCopyright_ = s; }
    void SetLegalTradeMarks(const std::string& s) { legalTradeMarks_ = s; }
    void SetOriginalFileName(const std::string& s) { originalFileName_ = s; }
    void SetPrivateBuild(const std::string& s) { privateBuild_ = s; }
    void SetProductName(const std::string& s) { productName_ = s; }
    void SetProductVersion(const std::string& s) { productVersion_ = s; }
    void SetSpecialBuild(const std::string& s) { specialBuild_ = s; }
    void SetFileOS(const std::string& s) { fileOS_ = s; }
    void SetFileType(const std::string& s) { fileType_ = s; }
    void SetFileSubType(const std::string& s) { fileSubType_ = s; }
    void SetLanguageValue(std::uint16_t value) { languageValue_ = value; }

    // Every text empty, the language value 0.
    void Clear() { *this = TVersionInfo{}; }

    // The published texts by name, in declaration order; Text/SetText take these names.
    static std::span<const std::string_view> PropertyNames();
    std::string Text(std::string_view property) const;
    void SetText(std::string_view property, const std::string& value);

    friend bool operator==(const TVersionInfo&, const TVersionInfo&) = default;

private:
    std::string* Field(std::string_view property);
    const std::string* Field(std::string_view property) const;

    std::string comment_, companyName_, fileDescription_, fileVersion_, internalName_,
        legalCopyright_, legalTradeMarks_, originalFileName_, privateBuild_, productName_,
        productVersion_, specialBuild_, fileOS_, fileType_, fileSubType_;
    std::uint16_t languageValue_ = 0;
};

// Reads the version resource of FileName into VersionInfo whenever FileName, Language or
// CharacterSet changes (while the component is loading, once loading ends).
class TVersionResource : public TComponent {
public:
    // FileName starts as the running program's own path, which is read at once.
    explicit TVersionResource(TComponent* owner);

    const std::string& FileName() const { return fileName_; }
    void SetFileName(const std::string& fileName);
    // Whether FileName is worth storing with the component: it differs (case-sensitively) from
    // the running program's own path.
    bool FileNameStored() const;

    TLanguage Language() const { return language_; }
    // A value outside TLanguage throws Exception and changes nothing.
    void SetLanguage(TLanguage language);
    TCharacterSet CharacterSet() const { return characterSet_; }
    // A value outside TCharacterSet throws Exception and changes nothing.
    void SetCharacterSet(TCharacterSet characterSet);

    const TVersionInfo& VersionInfo() const { return versionInfo_; }
    TVersionInfo& VersionInfo() { return versionInfo_; }

    // Reads FileName again. A file without version information, or no file, leaves every text
    // empty; reading never fails.
    void ReadVersionInfo();

    // Whether a file known by its version text and date (a day count in local time, as archive
    // members carry it) should replace existingFile under rule; a cmp... result.
    static int IsFileNewerThan(const std::string& newVersion, double newDate,
                               const std::string& existingFile, TOverwriteType rule);
    // The same for two files on disk.
    static int IsFileNewerByName(const std::string& newFile, const std::string& existingFile,
                                 TOverwriteType rule);

protected:
    void Loaded() override;

private:
    void Changed();

    std::string fileName_;
    TLanguage language_ = lnUSEnglish;
    TCharacterSet characterSet_ = csMultilingual;
    TVersionInfo versionInfo_;
};

// Compares two "."-separated version texts field by field: 0 equal, 1 a is newer, 2 b is newer.
// Fields that are both numbers compare as numbers, others as byte strings; the text that still
// has a field when the other has run out (or holds an empty field) is newer.
int CompareVersionStrings(const std::string& a, const std::string& b);

// The process-wide reader that the comparisons and the archive header builder point at the files
// they need. Created by the library's start-up (CreateSharedVersionResource) or on first need,
// freed by FreeSharedVersionResource at shutdown.
TVersionResource* SharedVersionResource();
TVersionResource& NeedSharedVersionResource();
void CreateSharedVersionResource();
void FreeSharedVersionResource();

} // namespace tarn::version
