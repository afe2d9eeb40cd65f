#include "translator/TarnLanguage.h"

namespace tarn::translator {

const std::array<LanguageInfo, kLanguageCount> kLanguages = {{
    {tlChineseSimplified, "lgChineseSimplified", "trnfChineseSimplified.txt",
     "BM_LANG_SIMPCHINESE"},
    {tlChineseTraditional, "lgChineseTraditional", "trnfChineseTraditional.txt",
     "BM_LANG_CHINESE_TRADITIONAL"},
    {tlCzech, "lgCzech", "trnfCzech.txt", "BM_LANG_CZECH"},
    {tlDanish, "lgDanish", "trnfDanish.txt", "BM_LANG_DANISH"},
    {tlDutch, "lgDutch", "trnfDutch.txt", "BM_LANG_DUTCH"},
    {tlEnglish, "lgEnglish", "trnfEnglish.txt", "BM_LANG_ENGLISH"},
    {tlFrench, "lgFrench", "trnfFrench.txt", "BM_LANG_FRENCH"},
    {tlGerman, "lgGerman", "trnfGerman.txt", "BM_LANG_GERMAN"},
    {tlGreek, "lgGreek", "trnfGreek.txt", "BM_LANG_GREEK"},
    {tlHebrew, "lgHebrew", "trnfHebrew.txt", "BM_LANG_HEBREW"},
    {tlItalian, "lgItalian", "trnfItalian.txt", "BM_LANG_ITALIAN"},
    {tlJapanese, "lgJapanese", "trnfJapanese.txt", "BM_LANG_JAPANESE"},
    {tlKorean, "lgKorean", "trnfKorean.txt", "BM_LANG_KOREAN"},
    {tlNorwegianBokmal, "lgNorwegianBokmal", "trnfNorwegianBokmal.txt", "BM_LANG_NORWEGIAN_BOKMAL"},
    {tlNorwegianNynorsk, "lgNorwegianNynorsk", "trnfNorwegianNynorsk.txt",
     "BM_LANG_NORWEGIAN_NYNORSK"},
    {tlPolish, "lgPolish", "trnfPolish.txt", "BM_LANG_POLISH"},
    {tlPortugese, "lgPortugese", "trnfPortugese.txt", "BM_LANG_PORTUGESE"},
    {tlRussian, "lgRussian", "trnfRussian.txt", "BM_LANG_RUSSIAN"},
    {tlSpanish, "lgSpanish", "trnfSpanish.txt", "BM_LANG_SPANISH"},
    {tlSwedish, "lgSwedish", "trnfSwedish.txt", "BM_LANG_SWEDISH"},
    {tlVietnamese, "lgVietnamese", "trnfVietnamese.txt", "BM_LANG_VIETNAMESE"},
}};

std::string LanguageName(TTarnLanguage language) {
    if (language == tlUser) return "tlUser";
    for (const auto& info : kLanguages)
        if (info.ident == language) return "tl" + std::string(info.property.substr(2));
    return "";
}

TTarnLanguage LanguageFromLangID(std::uint16_t langId) {
    const unsigned primary = langId & 0x3FF;
    const unsigned sub = langId >> 10;
    switch (primary) {
    case 0x04:
        return sub == 1 ? tlChineseTraditional : tlChineseSimplified;
    case 0x05:
        return tlCzech;
    case 0x06:
        return tlDanish;
    case 0x07:
        return tlGerman;
    case 0x08:
        return tlGreek;
    case 0x0A:
        return tlSpanish;
    case 0x0C:
        return tlFrench;
    case 0x0D:
        return tlHebrew;
    case 0x10:
        return tlItalian;
    case 0x11:
        return tlJapanese;
    case 0x12:
        return tlKorean;
    case 0x13:
        return tlDutch;
    // Norwegian without a known sub-language is taken as Bokmål, the more widely written one.
    case 0x14:
        return sub == 2 ? tlNorwegianNynorsk : tlNorwegianBokmal;
    case 0x15:
        return tlPolish;
    case 0x16:
        return tlPortugese;
    case 0x19:
        return tlRussian;
    case 0x1D:
        return tlSwedish;
    case 0x2A:
        return tlVietnamese;
    default:
        return tlEnglish;
    }
}

} // namespace tarn::translator
