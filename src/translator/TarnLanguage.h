// The library's languages: the enumeration, the table of language files and resources, and the
// mapping from a Windows language identifier.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tarn::translator {

enum TTarnLanguage {
    tlChineseSimplified,
    tlChineseTraditional,
    tlCzech,
    tlDanish,
    tlDutch,
    tlEnglish,
    tlFrench,
    tlGerman,
    tlGreek,
    tlHebrew,
    tlItalian,
    tlJapanese,
    tlKorean,
    tlNorwegianBokmal,
    tlNorwegianNynorsk,
    tlPolish,
    tlPortugese,
    tlRussian,
    tlSpanish,
    tlSwedish,
    tlUser,
    tlVietnamese
};

struct LanguageInfo {
    TTarnLanguage ident;
    std::string_view property; // the translator's property, "lgEnglish"
    std::string_view fileName; // "trnfEnglish.txt"
    std::string_view resourceName;
};

inline constexpr int kLanguageCount = 21;

// In the translator's list order; tlUser has no entry.
extern const std::array<LanguageInfo, kLanguageCount> kLanguages;

// The enumeration value's name ("tlGerman").
std::string LanguageName(TTarnLanguage language);

// The language a Windows language identifier stands for (primary language in the low 10 bits,
// sub-language in the next 6); tlEnglish for languages the library has no table for.
TTarnLanguage LanguageFromLangID(std::uint16_t langId);

} // namespace tarn::translator
