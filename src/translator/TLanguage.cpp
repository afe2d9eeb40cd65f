#include "platform/Platform.h"
#include "translator/cmp_TTranslator.h"

namespace tarn::translator {

TLanguage::TLanguage(TTranslator* translator, const LanguageInfo& info)
    : translator_(translator), ident_(info.ident), fileName_(info.fileName),
      resourceName_(info.resourceName), strings_(*this) {}

void TLanguage::Assign(const TLanguage& source) {
    font_ = source.font_;
    fontOverride_ = source.fontOverride_;
    strings_.Assign(source.strings_);
}

void TLanguage::Parse() {
    parsed_.clear();
    memos_.clear();
    std::vector<std::string> lines;
    lines.reserve(strings_.Count());
    for (int i = 0; i < strings_.Count(); ++i)
        lines.push_back(strings_.Strings(i));
    ParsedTable table = ParseLanguageTable(lines);
    for (auto& s : table.strings)
        parsed_.push_back(std::make_unique<TLanguageString>(s.glid, this, s.line, s.text));
    for (auto& m : table.memos)
        memos_.push_back(std::make_unique<TLanguageMemo>(m.glid, this, m.line, m.lines));
}

const TLanguageString* TLanguage::FindText(const std::string& text) const {
    auto& system = platform::System();
    for (const auto& s : parsed_)
        if (system.CompareString(s->Text, text, true) == 0) return s.get();
    return nullptr;
}

const TLanguageString* TLanguage::FindGLID(std::int32_t glid) const {
    for (const auto& s : parsed_)
        if (s->GLID == glid) return s.get();
    return nullptr;
}

} // namespace tarn::translator
