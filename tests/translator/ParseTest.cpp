// Parsing of text tables loaded from files: strings, memos, comments and the three format errors.
#include "LangTables.h"
#include "translator/cmp_TTranslator.h"

#include <gtest/gtest.h>

using namespace tarn;
using namespace tarn::translator;
using tarn::test::TempMachine;
using tarn::test::WriteTable;

namespace {

struct Fixture : ::testing::Test {
    TempMachine machine;
    std::unique_ptr<TTranslator> translator = std::make_unique<TTranslator>(nullptr);
    TLanguage& english = translator->lgEnglish();

    std::string LoadError(const std::vector<std::string>& lines) {
        try {
            english.Strings().LoadFromFile(WriteTable(machine, "t.txt", lines));
        } catch (const ELanguageFormat& e) {
            return e.Message();
        }
        return "";
    }
};

using Parsing = Fixture;

TEST_F(Parsing, TextEndsAtTheSecondSemicolonAndKeepsItsBlanks) {
    english.Strings().LoadFromFile(
        WriteTable(machine, "t.txt", {"10;Hello;world", "  20; padded ", "-3;minus", "$1F;hex"}));
    ASSERT_EQ(english.ParsedStrings().size(), 4u);
    EXPECT_EQ(english.FindGLID(10)->Text, "Hello");
    EXPECT_EQ(english.FindGLID(20)->Text, " padded");
    EXPECT_EQ(english.FindGLID(20)->Line, 1);
    EXPECT_EQ(english.FindGLID(-3)->Text, "minus");
    EXPECT_EQ(english.FindGLID(31)->Text, "hex");
}

TEST_F(Parsing, LongTextsAreCutTo255Characters) {
    english.Strings().LoadFromFile(WriteTable(machine, "t.txt", {"1;" + std::string(300, 'x')}));
    EXPECT_EQ(english.FindGLID(1)->Text, std::string(255, 'x'));
}

TEST_F(Parsing, MissingTextIsTheGlidTextError) {
    EXPECT_EQ(LoadError({"10;"}),
              "The 0'th string (10;) does not have the proper format of GLID;Text");
    EXPECT_EQ(LoadError({"1;a", "10"}),
              "The 1'th string (10) does not have the proper format of GLID;Text");
    EXPECT_EQ(LoadError({"10;   ;x"}),
              "The 0'th string (10;   ;x) does not have the proper format of GLID;Text");
    EXPECT_EQ(LoadError({";Hello"}),
              "The 0'th string (;Hello) does not have the proper format of GLID;Text");
}

TEST_F(Parsing, NonNumericGlidIsTheGlidNumberError) {
    EXPECT_EQ(LoadError({"1;a", "", "  x;Hello  "}),
              "The 2'th string (x;Hello) does not have the proper format of GLID;Text or .GLID;");
    EXPECT_EQ(LoadError({"99999999999;big"}).substr(0, 16), "The 0'th string ");
    EXPECT_NE(LoadError({"99999999999;big"}).find("or .GLID;"), std::string::npos);
    EXPECT_NE(LoadError({"#abc;"}).find("or .GLID;"), std::string::npos);
    EXPECT_EQ(LoadError({"#;"}),
              "The 0'th string (#;) does not have the proper format of GLID;Text");
}

TEST_F(Parsing, MemoCollectsTrimmedLinesAndSkipsBlanksAndComments) {
    english.Strings().LoadFromFile(WriteTable(machine, "t.txt",
                                              {"1;before", "#5;", "first line", "  second line  ",
                                               "", "* note", "#not an end", "#", "2;after"}));
    ASSERT_EQ(english.ParsedMemos().size(), 1u);
    const auto& memo = *english.ParsedMemos()[0];
    EXPECT_EQ(memo.GLID, 5);
    EXPECT_EQ(memo.Line, 1);
    EXPECT_EQ(memo.Lines, (std::vector<std::string>{"first line", "second line", "#not an end"}));
    // Memos are not found as texts.
    EXPECT_EQ(english.FindGLID(5), nullptr);
    EXPECT_EQ(english.FindText("first line"), nullptr);
    EXPECT_EQ(english.FindGLID(2)->Text, "after");
}

TEST_F(Parsing, MemoOpenedWithoutSemicolonAndLeftOpenIsDropped) {
    english.Strings().LoadFromFile(WriteTable(machine, "t.txt", {"#7", "text", "1;kept?"}));
    EXPECT_TRUE(english.ParsedMemos().empty());
    EXPECT_TRUE(english.ParsedStrings().empty()); // the "1;kept?" line was memo text
}

TEST_F(Parsing, EndMarkerOutsideAMemoEmptiesTheLanguage) {
    english.Strings().LoadFromFile(WriteTable(machine, "t.txt", {"1;one", "2;two"}));
    ASSERT_EQ(english.ParsedStrings().size(), 2u);
    EXPECT_EQ(LoadError({"1;one", "2;two", "#", "3;three"}),
              "Found the end of memo marker # at line 2. Was not in a memo however");
    EXPECT_TRUE(english.ParsedStrings().empty());
    EXPECT_TRUE(english.ParsedMemos().empty());
    // The lines themselves were loaded; only the parse failed.
    EXPECT_EQ(english.Strings().Count(), 4);
}

TEST_F(Parsing, ErrorInsideAMemoReleasesEverything) {
    EXPECT_NE(LoadError({"#1;", "a", "#", "#2;", "b", "#", "bad"}), "");
    EXPECT_TRUE(english.ParsedMemos().empty());
}

TEST_F(Parsing, EachAddParsesAgainAndAFailedAddLeavesTheLanguageEmpty) {
    auto& strings = english.Strings();
    strings.Add("1;one");
    EXPECT_NE(english.FindGLID(1), nullptr);
    strings.Insert(0, "2;two");
    EXPECT_EQ(english.FindGLID(1)->Line, 1);
    strings.Move(1, 0);
    EXPECT_EQ(english.FindGLID(1)->Line, 0);
    EXPECT_THROW(strings.Add("oops"), ELanguageFormat);
    EXPECT_TRUE(english.ParsedStrings().empty());
    strings.Delete(2); // no parse: still empty
    EXPECT_TRUE(english.ParsedStrings().empty());
    strings.Clear();
    EXPECT_TRUE(english.ParsedStrings().empty());
}

TEST_F(Parsing, DeleteShiftsLaterStringsWithoutParsingAndLeavesMemos) {
    english.Strings().LoadFromFile(
        WriteTable(machine, "t.txt", {"1;first", "2;second", "#9;", "memo", "#", "3;third"}));
    english.Strings().Delete(0);
    ASSERT_EQ(english.ParsedStrings().size(), 3u);
    EXPECT_EQ(english.FindGLID(1)->Line, 0); // defined on the deleted line, still there
    EXPECT_EQ(english.FindGLID(2)->Line, 0);
    EXPECT_EQ(english.FindGLID(3)->Line, 4);
    EXPECT_EQ(english.ParsedMemos()[0]->Line, 2);
    EXPECT_EQ(english.Strings().Count(), 5);
}

TEST_F(Parsing, AssignParsesOnceAtTheEnd) {
    TStringList lines;
    lines.Add("#4;");
    lines.Add("body");
    lines.Add("#");
    english.SetStrings(lines);
    ASSERT_EQ(english.ParsedMemos().size(), 1u);
    EXPECT_EQ(english.ParsedMemos()[0]->Lines, std::vector<std::string>{"body"});

    TStringList bad;
    bad.Add("#");
    EXPECT_THROW(english.SetStrings(bad), ELanguageFormat);
    // Parsing is on again after the failed bulk change.
    english.Strings().Clear();
    english.Strings().Add("8;eight");
    EXPECT_NE(english.FindGLID(8), nullptr);
}

TEST_F(Parsing, MissingFileLeavesTheTableAndParsingUsable) {
    english.Strings().Add("1;one");
    EXPECT_THROW(english.Strings().LoadFromFile("C:\\lang\\none.txt"), Exception);
    english.Strings().Add("2;two");
    EXPECT_NE(english.FindGLID(2), nullptr);
}

} // namespace
