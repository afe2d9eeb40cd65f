// Arbitrary bytes as a language text table (trnfXxx.txt, written by translators): loaded into a
// translator it is either refused with ELanguageFormat, which the table check then reports as
// its only problem, or it translates each English text into the first text of the same GLID.
#include "FuzzMachine.h"
#include "framework/MemoryStream.h"
#include "translator/LanguageCheck.h"
#include "translator/cmp_TTranslator.h"

#include <cstdint>
#include <cstdlib>
#include <map>

using namespace tarn;
using namespace tarn::translator;

namespace {

// A few lines of the shipped English table: placeholders, a memo and a hexadecimal GLID.
const std::vector<std::string> kEnglish = {
    "* English",
    "100;Please insert disk #%d",
    "204;%s must be a %s to use the %s path specifier",
    "$1F4;Could not find the path specifier",
    "#600;",
    "The memo's first line",
    "#",
    "601;Cancel",
};

std::vector<std::string> Lines(const TLangFormatStrings& strings) {
    std::vector<std::string> lines;
    for (int i = 0; i < strings.Count(); ++i)
        lines.push_back(strings.Strings(i));
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static fuzz::FuzzMachine machine("language");
    TTranslator translator(nullptr);
    for (const auto& line : kEnglish)
        translator.lgEnglish().Strings().Add(line);
    translator.SetTranslateIntoLanguage(tlGerman);

    TMemoryStream stream;
    stream.WriteBuffer(data, size);
    stream.SetPosition(0);
    TLanguage& german = translator.lgGerman();
    bool parsed = true;
    try {
        german.Strings().LoadFromStream(stream);
    } catch (const ELanguageFormat&) {
        parsed = false;
    }
    const std::vector<LanguageProblem> problems =
        CheckLanguageTable(Lines(german.Strings()), kEnglish);
    if (!parsed) {
        if (problems.size() != 1 || problems[0].line < 1 ||
            problems[0].line > german.Strings().Count())
            std::abort();
        return 0;
    }

    std::map<std::int32_t, std::string> first;
    for (const auto& s : german.ParsedStrings()) {
        if (s->Text.size() > kMaxLanguageText || s->Line < 0 || s->Line >= german.Strings().Count())
            std::abort();
        first.emplace(s->GLID, s->Text);
    }
    for (const auto& e : translator.lgEnglish().ParsedStrings()) {
        auto found = first.find(e->GLID);
        const std::string& expected = found == first.end() ? e->Text : found->second;
        if (translator.Translate(tlEnglish, e->Text) != expected) std::abort();
    }
    return 0;
}
