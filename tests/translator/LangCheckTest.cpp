// Checking language tables: the shipped German and French tables pass "tarnwell lang check";
// broken tables are reported with their line.
#include "LangTables.h"
#include "support/ToolRunner.h"
#include "translator/LanguageCheck.h"
#include "translator/LanguageParser.h"

#include <gtest/gtest.h>

using namespace tarn;
using namespace tarn::translator;
using tarn::test::ShippedLangFolder;
using tarn::test::TempFolder;
using tarn::test::ToolRun;
using tarn::test::WriteHostFile;

namespace {

ToolRun Check(const std::vector<std::string>& args, const TempFolder& scratch) {
    std::vector<std::string> all = {"lang", "check"};
    all.insert(all.end(), args.begin(), args.end());
    return tarn::test::RunTool(all, {}, {}, {}, scratch.Path());
}

TEST(LangCheckTool, ShippedGermanAndFrenchTablesPass) {
    TempFolder scratch;
    for (const char* name : {"trnfGerman.txt", "trnfFrench.txt"}) {
        const ToolRun run = Check({(ShippedLangFolder() / name).string()}, scratch);
        EXPECT_EQ(run.status, 0) << name << '\n' << run.out << run.err;
        EXPECT_NE(run.out.find(": ok"), std::string::npos);
    }
}

TEST(LangCheckTool, ReportsParseErrorsMissingGlidsAndPlaceholders) {
    TempFolder scratch;
    const auto english = scratch.Path() / "trnfEnglish.txt";
    WriteHostFile(english, "1;Hello\r\n2;File %s of %d\r\n3;Disk #%d\r\n");
    const auto german = scratch.Path() / "trnfGerman.txt";
    WriteHostFile(german, "1;Hallo\r\n2;%d Datei %s\r\n9;extra\r\n");
    ToolRun run = Check({german.string()}, scratch);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(
        run.out.find("trnfGerman.txt:2: GLID 2 has placeholders %d %s where English has %s %d"),
        std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find("GLID 3 is missing (English: Disk #%d)"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(":3: GLID 9 is not in the English table"), std::string::npos);

    WriteHostFile(german, "* c\r\n1;Hallo\r\nx;kaputt\r\n");
    run = Check({german.string(), "--english", english.string()}, scratch);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("trnfGerman.txt:3: The 2'th string (x;kaputt) does not have the "
                           "proper format of GLID;Text or .GLID;"),
              std::string::npos)
        << run.out;

    run = Check({(scratch.Path() / "none.txt").string()}, scratch);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("cannot open"), std::string::npos);
}

TEST(LanguageCheck, PlaceholdersInOrder) {
    EXPECT_EQ(Placeholders("a %s b %d c %% d %5.2f %S"),
              (std::vector<std::string>{"%s", "%d", "%5.2f", "%s"}));
    EXPECT_TRUE(Placeholders("100%").empty());
}

TEST(LanguageCheck, DuplicateGlidAndUnclosedMemo) {
    auto problems = CheckLanguageTable({"1;a", "1;b", "#5;", "x"}, {"1;a"});
    ASSERT_EQ(problems.size(), 2u);
    EXPECT_EQ(problems[0].line, 3);
    EXPECT_NE(problems[0].message.find("memo"), std::string::npos);
    EXPECT_EQ(problems[1].line, 2);
    EXPECT_EQ(problems[1].message, "GLID 1 is defined again (first on line 1)");
}

// The shipped tables hold every text with the same GLIDs and placeholders; the English table
// parses and has no GLID twice.
TEST(ShippedTables, AgreeWithEnglish) {
    auto read = [](const char* name) {
        std::vector<std::string> lines;
        std::string text = tarn::test::ReadHostFile(ShippedLangFolder() / name);
        std::size_t start = 0;
        while (start < text.size()) {
            std::size_t end = text.find("\r\n", start);
            if (end == std::string::npos) end = text.size();
            lines.push_back(text.substr(start, end - start));
            start = end + 2;
        }
        return lines;
    };
    const auto english = read("trnfEnglish.txt");
    EXPECT_TRUE(CheckLanguageTable(english, english).empty());
    const auto parsed = ParseLanguageTable(english);
    EXPECT_FALSE(parsed.strings.empty());
    bool disk = false, reboot = false;
    for (const auto& s : parsed.strings) {
        disk |= s.text == "Please insert disk #%d";
        reboot |= s.text == "Could not reboot windows. Please manually reboot windows.";
        EXPECT_LE(s.text.size(), kMaxLanguageText) << s.glid;
    }
    EXPECT_TRUE(disk);
    EXPECT_TRUE(reboot);
    for (const char* name : {"trnfGerman.txt", "trnfFrench.txt"})
        EXPECT_TRUE(CheckLanguageTable(read(name), english).empty()) << name;
}

} // namespace

namespace {

TEST(LanguageCheck, TextTooLongToBeHeldIsReported) {
    const std::string text(256, 'a');
    auto problems = CheckLanguageTable({"1;" + text}, {"1;" + text});
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].message, "GLID 1 is longer than 255 characters and would be cut");
}

} // namespace
