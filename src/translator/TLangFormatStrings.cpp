#include "framework/Streams.h"
#include "translator/cmp_TTranslator.h"

namespace tarn::translator {

void TLangFormatStrings::Reparse() {
    if (language_.autoParse_) language_.Parse();
}

template <class F> void TLangFormatStrings::Bulk(F&& change) {
    language_.autoParse_ = false;
    try {
        change();
    } catch (...) {
        language_.autoParse_ = true;
        throw;
    }
    language_.autoParse_ = true;
    language_.Parse();
}

int TLangFormatStrings::Add(const std::string& s) {
    const int index = lines_.Add(s);
    Reparse();
    return index;
}

void TLangFormatStrings::AddStrings(const TStringList& strings) {
    lines_.AddStrings(strings);
    Reparse();
}

void TLangFormatStrings::Insert(int index, const std::string& s) {
    lines_.Insert(index, s);
    Reparse();
}

void TLangFormatStrings::Move(int curIndex, int newIndex) {
    lines_.Move(curIndex, newIndex);
    Reparse();
}

void TLangFormatStrings::Clear() {
    lines_.Clear();
    Reparse();
}

void TLangFormatStrings::Delete(int index) {
    lines_.Delete(index);
    for (auto& parsed : language_.parsed_)
        if (parsed->Line > index) --parsed->Line;
}

void TLangFormatStrings::LoadFromStream(TStream& stream) {
    lines_.LoadFromStream(stream);
    Reparse();
}

void TLangFormatStrings::Assign(const TStringList& source) {
    Bulk([&] {
        lines_.Clear();
        for (int i = 0; i < source.Count(); ++i)
            lines_.Add(source[i]);
    });
}

void TLangFormatStrings::LoadFromFile(const std::string& fileName) {
    Bulk([&] { lines_.LoadFromFile(fileName); });
}

} // namespace tarn::translator
