#include "translator/StoredTranslator.h"

#include "translator/cmp_TTranslator.h"

namespace tarn::translator {

namespace {

TTarnLanguage LanguageByName(const std::string& name) {
    if (name == LanguageName(tlUser)) return tlUser;
    for (const auto& info : kLanguages)
        if (LanguageName(info.ident) == name) return info.ident;
    throw EPropertyError("%s is not a language", name);
}

void RegisterLanguage(TClassInfo& info, int index) {
    const std::string prefix = std::string(kLanguages[index].property) + ".";
    auto language = [index](TTranslator& t) -> TLanguage& { return t.Languages(index); };
    const TFont defaults;
    info.Property<TTranslator>(
        prefix + "FontOverride",
        [language](TTranslator& t) { return TValue::Boolean(language(t).FontOverride()); },
        [language](TTranslator& t, const TValue& v) { language(t).SetFontOverride(AsBoolean(v)); },
        TValue::Boolean(false));
    info.Property<TTranslator>(
        prefix + "Font.Name",
        [language](TTranslator& t) { return TValue::String(language(t).Font().Name); },
        [language](TTranslator& t, const TValue& v) {
            TFont font = language(t).Font();
            font.Name = AsString(v);
            language(t).SetFont(font);
        },
        TValue::String(defaults.Name));
    info.Property<TTranslator>(
        prefix + "Font.Size",
        [language](TTranslator& t) { return TValue::Integer(language(t).Font().Size); },
        [language](TTranslator& t, const TValue& v) {
            TFont font = language(t).Font();
            font.Size = static_cast<int>(AsInteger(v));
            language(t).SetFont(font);
        },
        TValue::Integer(defaults.Size));
    // Each stored line is added in turn, as the text table is read line by line.
    info.Property<TTranslator>(
        prefix + "Strings",
        [language](TTranslator& t) {
            std::vector<std::string> lines;
            const TLanguage& l = language(t);
            for (int i = 0; i < l.Strings().Count(); ++i)
                lines.push_back(l.Strings().Strings(i));
            return TValue::Strings(lines);
        },
        [language](TTranslator& t, const TValue& v) {
            TLangFormatStrings& strings = language(t).Strings();
            strings.Clear();
            for (const auto& line : AsItems(v))
                strings.Add(line);
        },
        TValue::Strings({}));
}

} // namespace

void RegisterTranslatorClass(TClassRegistry& registry) {
    TClassInfo& info = registry.RegisterClass<TTranslator>("TTranslator");
    info.Property<TTranslator>(
        "TranslateIntoLanguage",
        [](TTranslator& t) { return TValue::Ident(LanguageName(t.TranslateIntoLanguage())); },
        [](TTranslator& t, const TValue& v) {
            t.SetTranslateIntoLanguage(LanguageByName(AsIdent(v)));
        },
        TValue::Ident("tlUser"));
    for (int i = 0; i < kLanguageCount; ++i)
        RegisterLanguage(info, i);
}

} // namespace tarn::translator
