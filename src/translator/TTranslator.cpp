#include "platform/Platform.h"
#include "routines/routines_Exceptions.h"
#include "translator/cmp_TTranslator.h"

namespace tarn::translator {

namespace {

TTranslator*& Current() {
    static TTranslator* current = nullptr;
    return current;
}

} // namespace

TTranslator* CurrentTranslator() {
    return Current();
}

std::string TranslateText(const std::string& text) {
    TTranslator* translator = Current();
    return translator ? translator->Translate(tlEnglish, text) : text;
}

TTranslator::TTranslator(TComponent* owner) : TComponent(owner) {
    for (int i = 0; i < kLanguageCount; ++i)
        languages_[i] = std::make_unique<TLanguage>(this, kLanguages[i]);
    into_ = tlUser;
    if (!Current()) {
        Current() = this;
        ExceptionTranslator() = [](const std::string& text) { return TranslateText(text); };
    }
}

TTranslator::~TTranslator() {
    if (Current() == this) {
        Current() = nullptr;
        ExceptionTranslator() = nullptr;
    }
}

TLanguage& TTranslator::Languages(int index) const {
    if (index < 0 || index >= kLanguageCount) throw EComponentError(SListIndexError, index);
    return *languages_[index];
}

TLanguage* TTranslator::LanguageOf(TTarnLanguage ident) const {
    for (const auto& language : languages_)
        if (language->LanguageIdent() == ident) return language.get();
    return nullptr;
}

TLanguage* TTranslator::UserLanguage() const {
    return LanguageOf(LanguageFromLangID(platform::System().GetUserDefaultLangID()));
}

void TTranslator::SetTranslateIntoLanguage(TTarnLanguage language) {
    into_ = language;
    if (OnChangeLanguage) OnChangeLanguage(*this);
}

std::string TTranslator::Translate(TTarnLanguage fromLanguage, const std::string& text) const {
    const TLanguage* source = fromLanguage == tlUser ? UserLanguage() : LanguageOf(fromLanguage);
    if (!source) return text;
    const TLanguageString* found = source->FindText(text);
    if (!found) return text;
    const TLanguage* target = into_ == tlUser ? UserLanguage() : LanguageOf(into_);
    if (!target) return text;
    const TLanguageString* translated = target->FindGLID(found->GLID);
    return translated ? translated->Text : text;
}

} // namespace tarn::translator
