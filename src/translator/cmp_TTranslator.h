// TTranslator: translates the library's English texts into the user's language (or a chosen one)
// through numbered text tables, one TLanguage per language.
#pragma once

#include "framework/Component.h"
#include "framework/StringList.h"
#include "translator/LanguageParser.h"
#include "translator/TarnLanguage.h"

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tarn::translator {

class TLanguage;
class TTranslator;

// The font attributes a language may ask its texts to be shown in.
struct TFont {
    std::string Name = "MS Sans Serif";
    int Size = 8;
    int Charset = 1; // DEFAULT_CHARSET
    bool Bold = false;
    bool Italic = false;
    bool operator==(const TFont&) const = default;
};

class TLanguageElement {
public:
    TLanguageElement(std::int32_t glid, TLanguage* language, int line)
        : GLID(glid), Language(language), Line(line) {}
    std::int32_t GLID;
    TLanguage* Language;
    int Line; // 0-based index of the defining line in the text table
};

class TLanguageString : public TLanguageElement {
public:
    TLanguageString(std::int32_t glid, TLanguage* language, int line, std::string text)
        : TLanguageElement(glid, language, line), Text(std::move(text)) {}
    std::string Text;
};

class TLanguageMemo : public TLanguageElement {
public:
    TLanguageMemo(std::int32_t glid, TLanguage* language, int line, std::vector<std::string> lines)
        : TLanguageElement(glid, language, line), Lines(std::move(lines)) {}
    std::vector<std::string> Lines;
};

// A language's text table. Every change parses the language again, except Delete, which only
// moves the line numbers of the parsed strings after the deleted line.
class TLangFormatStrings {
public:
    explicit TLangFormatStrings(TLanguage& language) : language_(language) {}

    int Count() const { return lines_.Count(); }
    const std::string& Strings(int index) const { return lines_.Strings(index); }
    const TStringList& Lines() const { return lines_; }

    int Add(const std::string& s);
    template <class T> int AddObject(const std::string& s, T* object) {
        int index = lines_.AddObject(s, object);
        Reparse();
        return index;
    }
    void AddStrings(const TStringList& strings);
    void Insert(int index, const std::string& s);
    void Move(int curIndex, int newIndex);
    void Clear();
    void Delete(int index);
    void LoadFromStream(TStream& stream);
    // Bulk changes: parsed once at the end.
    void Assign(const TStringList& source);
    void Assign(const TLangFormatStrings& source) { Assign(source.lines_); }
    void LoadFromFile(const std::string& fileName);
    void SaveToFile(const std::string& fileName) const { lines_.SaveToFile(fileName); }

private:
    void Reparse();
    template <class F> void Bulk(F&& change);

    TLanguage& language_;
    TStringList lines_;
};

class TLanguage {
public:
    TLanguage(TTranslator* translator, const LanguageInfo& info);
    TLanguage(const TLanguage&) = delete;
    TLanguage& operator=(const TLanguage&) = delete;

    const TFont& Font() const { return font_; }
    void SetFont(const TFont& font) { font_ = font; }
    bool FontOverride() const { return fontOverride_; }
    void SetFontOverride(bool value) { fontOverride_ = value; }
    TTarnLanguage LanguageIdent() const { return ident_; }
    TLangFormatStrings& Strings() { return strings_; }
    const TLangFormatStrings& Strings() const { return strings_; }
    void SetStrings(const TStringList& lines) { strings_.Assign(lines); }
    // Copies the font, its override and the text table (a language keeps its own identity).
    void Assign(const TLanguage& source);

    TTranslator* Translator() const { return translator_; }
    const std::string& FileName() const { return fileName_; }
    const std::string& ResourceName() const { return resourceName_; }

    // The first parsed string equal to text, without regard to case, in the platform's
    // comparison; nullptr when there is none. Memos are not searched.
    const TLanguageString* FindText(const std::string& text) const;
    const TLanguageString* FindGLID(std::int32_t glid) const;

    const std::vector<std::unique_ptr<TLanguageString>>& ParsedStrings() const { return parsed_; }
    const std::vector<std::unique_ptr<TLanguageMemo>>& ParsedMemos() const { return memos_; }

private:
    friend class TLangFormatStrings;
    void Parse();

    TTranslator* translator_;
    TTarnLanguage ident_;
    std::string fileName_;
    std::string resourceName_;
    TFont font_;
    bool fontOverride_ = false;
    bool autoParse_ = true;
    TLangFormatStrings strings_;
    std::vector<std::unique_ptr<TLanguageString>> parsed_;
    std::vector<std::unique_ptr<TLanguageMemo>> memos_;
};

class TTranslator : public TComponent {
public:
    explicit TTranslator(TComponent* owner);
    ~TTranslator() override;

    int LanguageCount() const { return kLanguageCount; }
    TLanguage& Languages(int index) const;
    TLanguage* LanguageOf(TTarnLanguage ident) const;
    // The language of the user's default language identifier, or nullptr.
    TLanguage* UserLanguage() const;

    TTarnLanguage TranslateIntoLanguage() const { return into_; }
    void SetTranslateIntoLanguage(TTarnLanguage language);
    // Told after TranslateIntoLanguage has been set.
    std::function<void(TTranslator& sender)> OnChangeLanguage;

    std::string Translate(TTarnLanguage fromLanguage, const std::string& text) const;

    // The lg properties.
    TLanguage& lgChineseSimplified() const { return *languages_[0]; }
    TLanguage& lgChineseTraditional() const { return *languages_[1]; }
    TLanguage& lgCzech() const { return *languages_[2]; }
    TLanguage& lgDanish() const { return *languages_[3]; }
    TLanguage& lgDutch() const { return *languages_[4]; }
    TLanguage& lgEnglish() const { return *languages_[5]; }
    TLanguage& lgFrench() const { return *languages_[6]; }
    TLanguage& lgGerman() const { return *languages_[7]; }
    TLanguage& lgGreek() const { return *languages_[8]; }
    TLanguage& lgHebrew() const { return *languages_[9]; }
    TLanguage& lgItalian() const { return *languages_[10]; }
    TLanguage& lgJapanese() const { return *languages_[11]; }
    TLanguage& lgKorean() const { return *languages_[12]; }
    TLanguage& lgNorwegianBokmal() const { return *languages_[13]; }
    TLanguage& lgNorwegianNynorsk() const { return *languages_[14]; }
    TLanguage& lgPolish() const { return *languages_[15]; }
    TLanguage& lgPortugese() const { return *languages_[16]; }
    TLanguage& lgRussian() const { return *languages_[17]; }
    TLanguage& lgSpanish() const { return *languages_[18]; }
    TLanguage& lgSwedish() const { return *languages_[19]; }
    TLanguage& lgVietnamese() const { return *languages_[20]; }

private:
    std::array<std::unique_ptr<TLanguage>, kLanguageCount> languages_;
    TTarnLanguage into_ = tlUser;
};

// The process-wide current translator: the first one created while there is none.
TTranslator* CurrentTranslator();

// Text translated from English by the current translator; text itself without one.
std::string TranslateText(const std::string& text);

} // namespace tarn::translator
