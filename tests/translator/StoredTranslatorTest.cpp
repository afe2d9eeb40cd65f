// A translator stored in a form: its target language and text tables come back, each stored line
// added in turn; a table line that does not parse refuses the form.
#include "translator/StoredTranslator.h"
#include "LangTables.h"
#include "framework/FormReader.h"
#include "framework/FormWriter.h"
#include "translator/cmp_TTranslator.h"

#include <gtest/gtest.h>

using namespace tarn;
using namespace tarn::translator;
using tarn::test::TempMachine;

namespace {

class TLangForm : public TComponent {
public:
    using TComponent::TComponent;
};

TClassRegistry& Registry() {
    static TClassRegistry registry;
    static bool done = false;
    if (!done) {
        done = true;
        registry.RegisterClass<TLangForm>("TLangForm");
        RegisterTranslatorClass(registry);
    }
    return registry;
}

TEST(StoredTranslator, TablesAndTargetLanguageRoundTrip) {
    TempMachine machine;
    auto form = std::make_unique<TLangForm>(nullptr);
    form->SetName("Form1");
    auto* translator = Create<TTranslator>(form.get());
    translator->SetName("MainTranslator");
    translator->SetTranslateIntoLanguage(tlGerman);
    translator->lgEnglish().Strings().Add("10;Hello");
    translator->lgEnglish().Strings().Add("* it's a comment");
    translator->lgGerman().Strings().Add("10;Hallo");
    translator->lgGerman().SetFontOverride(true);
    const std::string text = WriteForm(*form, Registry());
    EXPECT_NE(text.find("    TranslateIntoLanguage = tlGerman\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("    lgGerman.FontOverride = True\r\n"), std::string::npos);
    EXPECT_EQ(text.find("lgFrench"), std::string::npos); // nothing but defaults

    form.reset();
    auto again = ReadForm(text, "Form1.txt", Registry());
    auto& copy = dynamic_cast<TTranslator&>(*again->FindComponent("MainTranslator"));
    EXPECT_EQ(CurrentTranslator(), &copy);
    EXPECT_EQ(copy.TranslateIntoLanguage(), tlGerman);
    EXPECT_TRUE(copy.lgGerman().FontOverride());
    EXPECT_EQ(copy.lgEnglish().Strings().Count(), 2);
    EXPECT_EQ(TranslateText("HELLO"), "Hallo");
    EXPECT_EQ(WriteForm(*again, Registry()), text);
}

TEST(StoredTranslator, BadLanguageOrTableLineRefusesTheForm) {
    TempMachine machine;
    auto error = [](const std::string& text) {
        try {
            ReadForm(text, "Form1.txt", Registry());
        } catch (const EFormError& e) {
            return e.Message();
        }
        return std::string("(read)");
    };
    EXPECT_EQ(error("object Form1: TLangForm\n  object T: TTranslator\n"
                    "    TranslateIntoLanguage = tlKlingon\n  end\nend\n"),
              "Form1.txt(3): Invalid value for TranslateIntoLanguage: tlKlingon is not a language");
    EXPECT_EQ(error("object Form1: TLangForm\n  object T: TTranslator\n"
                    "    lgGerman.Strings = (\n      '1;eins'\n      'zwei')\n  end\nend\n"),
              "Form1.txt(3): Invalid value for lgGerman.Strings: The 1'th string (zwei) does not "
              "have the proper format of GLID;Text or .GLID;");
    EXPECT_EQ(CurrentTranslator(), nullptr);
}

} // namespace
