// Translation between tables loaded from files, the user's language on the machine, the current
// translator and the translated install errors.
#include "LangTables.h"
#include "routines/routines_Exceptions.h"
#include "translator/cmp_TTranslator.h"

#include <gtest/gtest.h>

using namespace tarn;
using namespace tarn::translator;
using tarn::test::InstallShippedTable;
using tarn::test::TempMachine;
using tarn::test::WriteTable;

namespace {

struct Translating : ::testing::Test {
    TempMachine machine;
    std::unique_ptr<TTranslator> translator = std::make_unique<TTranslator>(nullptr);

    void SetUp() override {
        translator->lgEnglish().Strings().LoadFromFile(
            WriteTable(machine, "en.txt", {"10;Hello", "20;Cancel"}));
        translator->lgGerman().Strings().LoadFromFile(WriteTable(machine, "de.txt", {"10;Hallo"}));
        translator->lgPortugese().Strings().LoadFromFile(
            WriteTable(machine, "pt.txt", {"10;Ol\xE1", "20;Cancelar"}));
        translator->lgFrench().Strings().LoadFromFile(
            WriteTable(machine, "fr.txt", {"10;Bonjour", "20;Annuler"}));
    }
};

TEST_F(Translating, FindsTheTextWithoutRegardToCaseAndFallsBackToTheText) {
    translator->SetTranslateIntoLanguage(tlGerman);
    EXPECT_EQ(translator->Translate(tlEnglish, "HELLO"), "Hallo");
    EXPECT_EQ(translator->Translate(tlEnglish, "Cancel"), "Cancel"); // no GLID 20 in German
    EXPECT_EQ(translator->Translate(tlEnglish, "Bye"), "Bye");
    EXPECT_EQ(translator->Translate(tlEnglish, "Hello "), "Hello "); // whole text only
    // From another language, and into a language without a table.
    translator->SetTranslateIntoLanguage(tlEnglish);
    EXPECT_EQ(translator->Translate(tlFrench, "annuler"), "Cancel");
    translator->SetTranslateIntoLanguage(tlJapanese);
    EXPECT_EQ(translator->Translate(tlEnglish, "Hello"), "Hello");
}

TEST_F(Translating, ChangingTheTargetLanguageTellsTheTranslator) {
    int told = 0;
    translator->OnChangeLanguage = [&](TTranslator& sender) {
        EXPECT_EQ(&sender, translator.get());
        EXPECT_EQ(sender.TranslateIntoLanguage(), tlFrench); // stored before the notice
        ++told;
    };
    EXPECT_EQ(translator->TranslateIntoLanguage(), tlUser);
    translator->SetTranslateIntoLanguage(tlFrench);
    EXPECT_EQ(told, 1);
}

struct UserLanguageCase {
    std::uint16_t langId;
    TTarnLanguage expected;
    const char* hello;
};

class UserLanguage : public Translating, public ::testing::WithParamInterface<UserLanguageCase> {};

TEST_P(UserLanguage, TheMachinesLocalePicksTheTable) {
    const auto& c = GetParam();
    machine->SetUserLanguage(c.langId);
    ASSERT_NE(translator->UserLanguage(), nullptr);
    EXPECT_EQ(translator->UserLanguage()->LanguageIdent(), c.expected);
    EXPECT_EQ(translator->Translate(tlEnglish, "Hello"), c.hello);
    EXPECT_EQ(TranslateText("hello"), c.hello);
    // From the user's language back into English.
    translator->SetTranslateIntoLanguage(tlEnglish);
    EXPECT_EQ(translator->Translate(tlUser, c.hello), "Hello");
}

INSTANTIATE_TEST_SUITE_P(
    Machine, UserLanguage,
    ::testing::Values(UserLanguageCase{0x0407, tlGerman, "Hallo"},
                      UserLanguageCase{0x0807, tlGerman, "Hallo"}, // Swiss German
                      UserLanguageCase{0x040C, tlFrench, "Bonjour"},
                      UserLanguageCase{0x0C0C, tlFrench, "Bonjour"}, // Canadian French
                      UserLanguageCase{0x0816, tlPortugese, "Ol\xE1"},
                      UserLanguageCase{0x0416, tlPortugese, "Ol\xE1"},
                      UserLanguageCase{0x040B, tlEnglish, "Hello"}, // Finnish: no table
                      UserLanguageCase{0x0409, tlEnglish, "Hello"}));

TEST(LanguageMapping, FollowsPrimaryAndSubLanguage) {
    EXPECT_EQ(LanguageFromLangID(0x0404), tlChineseTraditional);
    EXPECT_EQ(LanguageFromLangID(0x0804), tlChineseSimplified);
    EXPECT_EQ(LanguageFromLangID(0x0414), tlNorwegianBokmal);
    EXPECT_EQ(LanguageFromLangID(0x0814), tlNorwegianNynorsk);
    EXPECT_EQ(LanguageFromLangID(0x0C14), tlNorwegianBokmal);
    EXPECT_EQ(LanguageFromLangID(0x042A), tlVietnamese);
    EXPECT_EQ(LanguageFromLangID(0x041D), tlSwedish);
    EXPECT_EQ(LanguageFromLangID(0x0419), tlRussian);
    EXPECT_EQ(LanguageFromLangID(0x0413), tlDutch);
    EXPECT_EQ(LanguageFromLangID(0x0425), tlEnglish); // Estonian
    // Only the low 10 bits name the language.
    EXPECT_EQ(LanguageFromLangID(0x0405), tlCzech);
    EXPECT_EQ(LanguageFromLangID(0x0445 & 0x3FF), tlEnglish);
}

TEST(TranslatorLanguages, TwentyOneInListOrderWithTheirFiles) {
    TTranslator translator(nullptr);
    ASSERT_EQ(translator.LanguageCount(), 21);
    int previous = -1;
    for (int i = 0; i < translator.LanguageCount(); ++i) {
        TLanguage& language = translator.Languages(i);
        EXPECT_GT(static_cast<int>(language.LanguageIdent()), previous);
        EXPECT_NE(language.LanguageIdent(), tlUser);
        previous = language.LanguageIdent();
        EXPECT_EQ(translator.LanguageOf(language.LanguageIdent()), &language);
        EXPECT_EQ(language.Translator(), &translator);
    }
    EXPECT_EQ(translator.LanguageOf(tlUser), nullptr);
    EXPECT_EQ(translator.lgVietnamese().FileName(), "trnfVietnamese.txt");
    EXPECT_EQ(translator.lgChineseSimplified().ResourceName(), "BM_LANG_SIMPCHINESE");
    EXPECT_EQ(translator.lgPortugese().FileName(), "trnfPortugese.txt");
    EXPECT_EQ(LanguageName(tlNorwegianNynorsk), "tlNorwegianNynorsk");
    EXPECT_THROW(translator.Languages(21), Exception);
}

TEST(TranslatorLanguages, AssignCopiesFontOverrideAndTable) {
    TempMachine machine;
    TTranslator translator(nullptr);
    translator.lgGerman().Strings().Add("1;eins");
    TFont font;
    font.Name = "Arial";
    translator.lgGerman().SetFont(font);
    translator.lgGerman().SetFontOverride(true);
    translator.lgDutch().Assign(translator.lgGerman());
    EXPECT_EQ(translator.lgDutch().Font().Name, "Arial");
    EXPECT_TRUE(translator.lgDutch().FontOverride());
    EXPECT_EQ(translator.lgDutch().FindGLID(1)->Text, "eins");
    EXPECT_EQ(translator.lgDutch().FindGLID(1)->Language, &translator.lgDutch());
    EXPECT_EQ(translator.lgDutch().LanguageIdent(), tlDutch);
}

TEST(CurrentTranslator, FirstOneCreatedUntilItIsDestroyed) {
    TempMachine machine;
    EXPECT_EQ(CurrentTranslator(), nullptr);
    EXPECT_EQ(TranslateText("Hello"), "Hello");
    auto first = std::make_unique<TTranslator>(nullptr);
    auto second = std::make_unique<TTranslator>(nullptr);
    EXPECT_EQ(CurrentTranslator(), first.get());
    second.reset();
    EXPECT_EQ(CurrentTranslator(), first.get());
    first.reset();
    EXPECT_EQ(CurrentTranslator(), nullptr);
    auto third = std::make_unique<TTranslator>(nullptr);
    EXPECT_EQ(CurrentTranslator(), third.get());
}

TEST(CurrentTranslator, OwnedTranslatorGoesWithItsOwner) {
    TempMachine machine;
    auto form = std::make_unique<TComponent>(nullptr);
    auto* translator = Create<TTranslator>(form.get());
    EXPECT_EQ(CurrentTranslator(), translator);
    form.reset();
    EXPECT_EQ(CurrentTranslator(), nullptr);
}

TEST(InstallErrors, AreTranslatedBeforeFormattingWithTheShippedTables) {
    TempMachine machine;
    TTranslator translator(nullptr);
    translator.lgEnglish().Strings().LoadFromFile(InstallShippedTable(machine, "trnfEnglish.txt"));
    translator.lgGerman().Strings().LoadFromFile(InstallShippedTable(machine, "trnfGerman.txt"));
    translator.lgFrench().Strings().LoadFromFile(InstallShippedTable(machine, "trnfFrench.txt"));

    machine->SetUserLanguage(0x0407);
    IEFileContainer german("%s cannot delete the archive file %s", "Files", "C:\\a\\files.1");
    EXPECT_EQ(german.Message(), "Files kann die Archivdatei C:\\a\\files.1 nicht l\xF6schen");
    EXPECT_EQ(TranslateText("Please insert disk #%d"), "Bitte legen Sie Datentr\xE4ger Nr. %d ein");

    machine->SetUserLanguage(0x040C);
    EXPECT_EQ(IException("Circular reference").Message(), "R\xE9"
                                                          "f\xE9"
                                                          "rence circulaire");
    EXPECT_EQ(TranslateText("Could not reboot windows. Please manually reboot windows."),
              "Impossible de red\xE9marrer Windows. Veuillez red\xE9marrer Windows manuellement.");

    machine->SetUserLanguage(0x040B); // Finnish: English stays
    EXPECT_EQ(IException("Circular reference").Message(), "Circular reference");
}

TEST(InstallErrors, StayEnglishWithoutATranslator) {
    TempMachine machine;
    machine->SetUserLanguage(0x0407);
    EXPECT_EQ(IException("Circular reference").Message(), "Circular reference");
}

} // namespace
