#include "version/VersionTables.h"

#include "framework/TextCase.h"

#include <array>
#include <utility>

namespace tarn::version {
namespace {

struct LanguageEntry {
    std::string_view name;
    std::uint16_t id;
};

constexpr std::array<LanguageEntry, kLanguageCount> kLanguages = {{
    {"lnArabic", 0x0401},
    {"lnBulgarian", 0x0402},
    {"lnCatalan", 0x0403},
    {"lnTraditionalChinese", 0x0404},
    {"lnCzech", 0x0405},
    {"lnDanish", 0x0406},
    {"lnGerman", 0x0407},
    {"lnGreek", 0x0408},
    {"lnUSEnglish", 0x0409},
    {"lnCastilianSpanish", 0x040A},
    {"lnFinnish", 0x040B},
    {"lnFrench", 0x040C},
    {"lnHebrew", 0x040D},
    {"lnHungarian", 0x040E},
    {"lnIcelandic", 0x040F},
    {"lnItalian", 0x0410},
    {"lnJapanese", 0x0411},
    {"lnKorean", 0x0412},
    {"lnDutch", 0x0413},
    {"lnNorwegianBokmal", 0x0414},
    {"lnPolish", 0x0415},
    {"lnBrazilianPortuguese", 0x0416},
    {"lnRhaetoRomanic", 0x0417},
    {"lnRomanian", 0x0418},
    {"lnRussian", 0x0419},
    {"lnCroatoSerbian", 0x041A},
    {"lnSlovak", 0x041B},
    {"lnAlbanian", 0x041C},
    {"lnSwedish", 0x041D},
    {"lnThai", 0x041E},
    {"lnTurkish", 0x041F},
    {"lnUrdu", 0x0420},
    {"lnBahasa", 0x0421},
    {"lnSimplifiedChinese", 0x0804},
    {"lnSwissGerman", 0x0807},
    {"lnUKEnglish", 0x0809},
    {"lnMexicanSpanish", 0x080A},
    {"lnBelgianFrench", 0x080C},
    {"lnSwissItalian", 0x0810},
    {"lnBelgianDutch", 0x0813},
    {"lnNorwegianNynorsk", 0x0814},
    {"lnPortuguese", 0x0816},
    {"lnSerboCroatian", 0x081A},
    {"lnCanadianFrench", 0x0C0C},
    {"lnSwissFrench", 0x100C},
}};

constexpr std::array<LanguageEntry, kCharacterSetCount> kCharacterSets = {{
    {"csASCII", 0},
    {"csJapan", 932},
    {"csKorea", 949},
    {"csTaiwan", 950},
    {"csUnicode", 1200},
    {"csLatin2", 1250},
    {"csCyrillic", 1251},
    {"csMultilingual", 1252},
    {"csGreek", 1253},
    {"csTurkish", 1254},
    {"csHebrew", 1255},
    {"csArabic", 1256},
}};

constexpr std::array<std::string_view, 6> kOverwriteTypes = {
    "owAlways", "owNever", "owVersion", "owDate", "owVersionDate", "owAsk"};

template <class E, class Table, class NameOf>
std::optional<E> FromName(const Table& table, std::string_view name, NameOf nameOf) {
    for (std::size_t i = 0; i < table.size(); ++i)
        if (SameTextAscii(nameOf(table[i]), name)) return static_cast<E>(i);
    return std::nullopt;
}

} // namespace

bool IsValidLanguage(TLanguage language) {
    return static_cast<int>(language) >= 0 && static_cast<int>(language) < kLanguageCount;
}

bool IsValidCharacterSet(TCharacterSet characterSet) {
    return static_cast<int>(characterSet) >= 0 &&
           static_cast<int>(characterSet) < kCharacterSetCount;
}

std::uint16_t LanguageId(TLanguage language) {
    return kLanguages.at(language).id;
}
std::uint16_t CharacterSetCodePage(TCharacterSet characterSet) {
    return kCharacterSets.at(characterSet).id;
}

std::string_view LanguageName(TLanguage language) {
    return kLanguages.at(language).name;
}
std::string_view CharacterSetName(TCharacterSet characterSet) {
    return kCharacterSets.at(characterSet).name;
}
std::string_view OverwriteTypeName(TOverwriteType rule) {
    return kOverwriteTypes.at(rule);
}

std::optional<TLanguage> LanguageFromName(std::string_view name) {
    return FromName<TLanguage>(kLanguages, name, [](const LanguageEntry& e) { return e.name; });
}
std::optional<TCharacterSet> CharacterSetFromName(std::string_view name) {
    return FromName<TCharacterSet>(kCharacterSets, name,
                                   [](const LanguageEntry& e) { return e.name; });
}
std::optional<TOverwriteType> OverwriteTypeFromName(std::string_view name) {
    return FromName<TOverwriteType>(kOverwriteTypes, name, [](std::string_view n) { return n; });
}

std::string FileOSText(std::uint32_t fileOS) {
    static constexpr std::pair<std::uint32_t, const char*> kTexts[] = {
        {0x1, "Windows 3.0 or later"},
        {0x2, "16 bit OS/2 Presentation Manager"},
        {0x3, "32 bit OS/2 Presentation Manager"},
        {0x4, "32 bit Windows"},
        {0x10000, "MS-Dos"},
        {0x10001, "Windows 3.0 or later with MS-Dos"},
        {0x10004, "32 bit Windows with MS-Dos"},
        {0x20000, "16 bit OS/2"},
        {0x20002, "16 bit OS/2 with Presentation Manager"},
        {0x30000, "32 bit OS/2"},
        {0x30003, "32 bit OS/2 with Presentation Manager"},
        {0x40000, "Windows NT"},
        {0x40004, "Windows NT with 32 bit Windows"},
    };
    for (const auto& [value, text] : kTexts)
        if (value == fileOS) return text;
    return "Unknown";
}

std::string FileTypeText(std::uint32_t fileType) {
    switch (fileType) {
    case 1:
        return "Application";
    case 2:
        return "Dynamic-Link Library";
    case 3:
        return "Device Driver";
    case 4:
        return "Font";
    case 5:
        return "Virtual Device Driver";
    case 7:
        return "Static-Link Library";
    default:
        return "Unknown";
    }
}

std::string FileSubTypeText(std::uint32_t fileType, std::uint32_t fileSubType) {
    static constexpr const char* kDrivers[] = {
        "Printer", "Keyboard", "Language",    "Display", "Mouse",
        "Network", "System",   "Installable", "Sound",   "Communications"};
    static constexpr const char* kFonts[] = {"Raster", "Vector", "TrueType"};
    if (fileType == 3)
        return fileSubType >= 1 && fileSubType <= std::size(kDrivers) ? kDrivers[fileSubType - 1]
                                                                      : "Unknown";
    if (fileType == 4)
        return fileSubType >= 1 && fileSubType <= std::size(kFonts) ? kFonts[fileSubType - 1]
                                                                    : "Unknown";
    return "";
}

} // namespace tarn::version
