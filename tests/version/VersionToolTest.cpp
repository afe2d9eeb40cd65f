// tarnwell version and tarnwell compare, run as a separate program on a temporary machine.
#include "support/TempMachine.h"
#include "support/ToolRunner.h"
#include "version/PeWriter.h"

#include <gtest/gtest.h>
#include <map>
#include <nlohmann/json.hpp>

namespace tarn::test {
namespace {

ToolRun RunTool(const std::filesystem::path& machine, const std::vector<std::string>& args,
                const std::filesystem::path& scratch) {
    return tarn::test::RunTool(args, machine, {}, {}, scratch);
}

// "  Key: value" lines of the text listing, per file.
std::vector<std::map<std::string, std::string>> ParseListing(const std::string& text) {
    std::vector<std::map<std::string, std::string>> files;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        if (line.empty()) continue;
        if (line.rfind("  ", 0) != 0) {
            files.push_back({{"FileName", line}});
            continue;
        }
        const std::size_t colon = line.find(':');
        std::string value = line.substr(colon + 1);
        if (!value.empty() && value[0] == ' ') value.erase(0, 1);
        files.back()[line.substr(2, colon - 2)] = value;
    }
    return files;
}

VersionSpec ToolSpec(std::uint16_t major, std::uint32_t fileType, const std::u16string& company) {
    VersionSpec layout;
    layout.fileVersion = {major, 1, 2, 3};
    layout.productVersion = {7, 0, 0, 0};
    layout.fileType = fileType;
    layout.fileSubtype = fileType == 3 ? 9 : 0;
    layout.fileOS = 0x4;
    layout.tables.push_back({"040904E4",
                             {{"CompanyName", company},
                              {"FileDescription", u"Tool test"},
                              {"LegalCopyright", u"\u00A9 Tarn"},
                              {"OriginalFileName", u"TOOL.EXE"}}});
    layout.translations = {{0x0409, 1252}};
    return layout;
}

class VersionToolTest : public testing::Test {
protected:
    VersionToolTest() {
        WriteHostFile(machine_.Host("C:\\BIN\\APP32.EXE"),
                      AsString(BuildPeWithVersion(ToolSpec(5, 1, u"Tarn 32"), false).bytes));
        WriteHostFile(machine_.Host("C:\\BIN\\APP64.DLL"),
                      AsString(BuildPeWithVersion(ToolSpec(6, 2, u"Tarn 64"), true, true).bytes));
        WriteHostFile(machine_.Host("C:\\BIN\\SOUND.DRV"),
                      AsString(BuildPeWithVersion(ToolSpec(4, 3, u"Tarn \u4E2D"), true).bytes));
        WriteHostFile(machine_.Host("C:\\BIN\\README.TXT"), "no resources here");
        machineFolder_ = machine_.Folder() / "machine";
        machine_.Close(); // the tool takes the machine's lock itself
    }
    ToolRun Run(const std::vector<std::string>& args) {
        return RunTool(machineFolder_, args, machine_.Folder());
    }

    TempMachine machine_;
    std::filesystem::path machineFolder_;
};

TEST_F(VersionToolTest, ListsTheFixedAndStringInformationOfPe32AndPe32PlusFiles) {
    const ToolRun run =
        Run({"version", "C:\\BIN\\APP32.EXE", "C:\\BIN\\APP64.DLL", "C:\\BIN\\SOUND.DRV"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto files = ParseListing(run.out);
    ASSERT_EQ(files.size(), 3u) << run.out;

    EXPECT_EQ(files[0].at("FileName"), "C:\\BIN\\APP32.EXE");
    EXPECT_EQ(files[0].at("FileVersion"), "5.1.2.3");
    EXPECT_EQ(files[0].at("ProductVersion"), "7.0.0.0");
    EXPECT_EQ(files[0].at("FileOS"), "32 bit Windows");
    EXPECT_EQ(files[0].at("FileType"), "Application");
    EXPECT_EQ(files[0].at("FileSubType"), "");
    EXPECT_EQ(files[0].at("CompanyName"), "Tarn 32");
    EXPECT_EQ(files[0].at("FileDescription"), "Tool test");
    EXPECT_EQ(files[0].at("LegalCopyright"), "\xC2\xA9 Tarn") << "printed as UTF-8";
    EXPECT_EQ(files[0].at("OriginalFileName"), "TOOL.EXE");
    EXPECT_EQ(files[0].at("Comment"), "");
    EXPECT_EQ(files[0].at("LanguageValue"), "9");
    EXPECT_EQ(files[0].size(), 17u) << "the file name, 15 texts and the language value";

    EXPECT_EQ(files[1].at("FileVersion"), "6.1.2.3");
    EXPECT_EQ(files[1].at("FileType"), "Dynamic-Link Library");
    EXPECT_EQ(files[1].at("CompanyName"), "Tarn 64");

    EXPECT_EQ(files[2].at("FileType"), "Device Driver");
    EXPECT_EQ(files[2].at("FileSubType"), "Sound");
    EXPECT_EQ(files[2].at("CompanyName"), "Tarn ?") << "outside Windows-1252";
}

TEST_F(VersionToolTest, JsonListing) {
    const ToolRun run = Run({"version", "--json", "C:\\BIN\\APP64.DLL", "C:\\BIN\\README.TXT"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto json = nlohmann::json::parse(run.out);
    ASSERT_EQ(json.size(), 2u);
    EXPECT_EQ(json[0]["FileName"], "C:\\BIN\\APP64.DLL");
    EXPECT_EQ(json[0]["FileVersion"], "6.1.2.3");
    EXPECT_EQ(json[0]["ProductVersion"], "7.0.0.0");
    EXPECT_EQ(json[0]["CompanyName"], "Tarn 64");
    EXPECT_EQ(json[0]["LegalCopyright"], "\xC2\xA9 Tarn");
    EXPECT_EQ(json[0]["LanguageValue"], 9);
    EXPECT_EQ(json[1]["FileVersion"], "");
    EXPECT_EQ(json[1]["FileType"], "");
}

TEST_F(VersionToolTest, OtherStringTablesByLanguageOption) {
    const ToolRun run = Run({"version", "--language", "lnGerman", "C:\\BIN\\APP32.EXE"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto files = ParseListing(run.out);
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(files[0].at("FileVersion"), "5.1.2.3");
    EXPECT_EQ(files[0].at("CompanyName"), "");
    EXPECT_EQ(Run({"version", "--language", "0409", "--charset", "1252", "C:\\BIN\\APP32.EXE"})
                      .out.find("CompanyName: Tarn 32") != std::string::npos,
              true);
    EXPECT_EQ(Run({"version", "--language", "lnKlingon", "C:\\BIN\\APP32.EXE"}).status, 2);
}

TEST_F(VersionToolTest, MissingFileIsReportedAndTheOthersListed) {
    const ToolRun run = Run({"version", "C:\\BIN\\NONE.EXE", "C:\\BIN\\APP32.EXE"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("C:\\BIN\\NONE.EXE"), std::string::npos) << run.err;
    ASSERT_EQ(ParseListing(run.out).size(), 1u);
}

TEST_F(VersionToolTest, CompareAppliesTheRule) {
    auto compare = [this](const char* rule) {
        return Run({"compare", "C:\\BIN\\APP64.DLL", "C:\\BIN\\APP32.EXE", "--rule", rule});
    };
    EXPECT_EQ(compare("owVersion").out, "2 new file newer (replace)\n");
    EXPECT_EQ(compare("never").out, "3 existing file newer (keep)\n");
    EXPECT_EQ(compare("owAlways").out, "2 new file newer (replace)\n");
    EXPECT_EQ(compare("owAsk").out, "4 ask\n");
    EXPECT_EQ(Run({"compare", "C:\\BIN\\APP32.EXE", "C:\\BIN\\APP64.DLL", "--rule", "version"}).out,
              "3 existing file newer (keep)\n");
    EXPECT_EQ(
        Run({"compare", "C:\\BIN\\APP32.EXE", "C:\\BIN\\APP32.EXE", "--rule", "owVersion"}).out,
        "1 same\n");
    EXPECT_EQ(Run({"compare", "C:\\BIN\\NONE", "C:\\BIN\\APP32.EXE", "--rule", "owDate"}).out,
              "0 failed\n");
    const ToolRun json = Run(
        {"compare", "--json", "C:\\BIN\\APP64.DLL", "C:\\BIN\\APP32.EXE", "--rule", "owversion"});
    const auto parsed = nlohmann::json::parse(json.out);
    EXPECT_EQ(parsed["result"], 2);
    EXPECT_EQ(parsed["rule"], "owVersion");
    EXPECT_EQ(compare("sometimes").status, 2);
}

} // namespace
} // namespace tarn::test
