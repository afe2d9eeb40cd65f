// The host programs speak UTF-8 and the machine its code page (1252 on a new machine): names typed
// on the command line find records written in ANSI, and output, the --log file and .reg files
// come back in the form each side reads.
#include "platform/portable/Utf16Text.h"
#include "support/TempMachine.h"
#include "support/ToolRunner.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace tarn::test {
namespace {

using platform::portable::Utf16leToUtf8;
using platform::portable::Utf8ToUtf16le;
constexpr auto npos = std::string::npos;
const std::string kUninstallList = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

bool IsUtf8(const std::string& text) {
    return Utf8ToUtf16le(text).has_value();
}

class HostTextTest : public testing::Test {
protected:
    ToolRun Run(const std::vector<std::string>& args) {
        return RunTool(args, machine_, folder_.Path(), "", folder_.Path());
    }
    void Add(std::vector<std::string> args) {
        args.insert(args.begin(), {"reg", "add"});
        args.push_back("/f");
        ToolRun run = Run(args);
        ASSERT_EQ(run.status, 0) << run.err;
    }
    std::string Registry() const { return ReadHostFile(machine_ / "registry.reg"); }
    std::filesystem::path File(const std::string& name) const { return folder_.Path() / name; }

    TempFolder folder_;
    std::filesystem::path machine_ = folder_.Path() / "m";
};

TEST_F(HostTextTest, AUtf8NameFindsItsAnsiRecordAndTheAnswersComeBackInUtf8) {
    const std::string record = kUninstallList + "\\Müller Tool";
    Add({record, "/v", "DisplayName", "/d", "Müller Tool"});
    Add({record + "\\Files", "/v", "File1", "/d", "C:\\Programme\\Müller\\Übersicht.hlp"});
    Add({record + "\\Files", "/v", "Entries", "/d", "1"});
    EXPECT_NE(Registry().find("\\M\xFCller Tool\\Files]\n"
                              "\"File1\"=\"C:\\\\Programme\\\\M\xFCller\\\\\xDC"
                              "bersicht.hlp\"\n"),
              npos)
        << "the record is in the code page, as an install writes it";
    const auto help = machine_ / "drive_c" / "Programme" / "Müller" / "Übersicht.hlp";
    WriteHostFile(help, "help");

    ToolRun query = Run({"reg", "query", record, "/s"});
    EXPECT_NE(query.out.find("    File1    REG_SZ    C:\\Programme\\Müller\\Übersicht.hlp\n"), npos)
        << query.out;
    EXPECT_TRUE(IsUtf8(query.out));

    ToolRun run = Run({"uninstall", "--yes", "--log", File("log.txt").string(), "Müller Tool"});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_NE(run.out.find("Remove Müller Tool\n"), npos) << run.out;
    EXPECT_NE(run.out.find("Removed Müller Tool.\n"), npos);
    EXPECT_TRUE(IsUtf8(run.out));
    EXPECT_NE(ReadHostFile(File("log.txt")).find("C:\\Programme\\Müller\\Übersicht.hlp"), npos);
    EXPECT_FALSE(std::filesystem::exists(help));
    EXPECT_EQ(Registry().find("M\xFCller Tool"), npos);

    // Again: nothing was there to remove, and the tool says so.
    const std::string before = Registry();
    ToolRun again = Run({"uninstall", "--yes", "Müller Tool"});
    EXPECT_EQ(again.status, 3);
    EXPECT_NE(again.out.find("No install record for Müller Tool was found; nothing was removed\n"),
              npos)
        << again.out;
    EXPECT_EQ(again.out.find("Removed"), npos);
    EXPECT_EQ(Registry(), before);
}

TEST_F(HostTextTest, AnArgumentTheCodePageCannotHoldIsRefused) {
    ASSERT_EQ(Run({"machine", "init"}).status, 0);
    const std::string before = Registry();
    ToolRun tool = Run({"uninstall", "--yes", "Ωmega Tool"});
    EXPECT_EQ(tool.status, 2);
    EXPECT_NE(tool.err.find("\"Ωmega Tool\" has characters that the machine's code page 1252"),
              npos)
        << tool.err;
    EXPECT_EQ(Run({"reg", "add", "HKCU\\Software\\Ωmega", "/f"}).status, 2);

    ToolCall call;
    call.program = TARN_UNINSTALL_PATH;
    call.args = {"Ωmega", "Tool"};
    call.environment = {{"TARNWELL_MACHINE", machine_.string()}};
    ToolRun program = RunTool(call, folder_.Path());
    EXPECT_EQ(program.status, 2);
    EXPECT_NE(program.err.find("\"Ωmega\""), npos) << program.err;
    EXPECT_EQ(Registry(), before);
}

TEST_F(HostTextTest, RegFilesOfBothFormatsRoundTripThroughTheCodePage) {
    const std::string key = "HKCU\\Software\\Größe";
    Add({key, "/v", "Name", "/d", "Müller"});
    Add({key, "/v", "Pfad", "/t", "REG_EXPAND_SZ", "/d", "%ProgramFiles%\\Müller"});
    Add({key, "/v", "Zahl", "/t", "REG_DWORD", "/d", "7"});
    Add({key + "\\Übersicht", "/v", "Liste", "/t", "REG_MULTI_SZ", "/d", "ä\\0ö"});
    const std::string before = Run({"reg", "query", key, "/s"}).out;
    ASSERT_NE(before.find("Liste    REG_MULTI_SZ    ä\\0ö\n"), npos) << before;

    for (const char* file : {"ansi.reg", "unicode.reg"}) {
        std::vector<std::string> exportArgs = {"reg", "export", key, file};
        if (std::string(file) == "unicode.reg") exportArgs.push_back("/unicode");
        ASSERT_EQ(Run(exportArgs).status, 0) << file;
        ASSERT_EQ(Run({"reg", "delete", key, "/f"}).status, 0);
        ToolRun import = Run({"reg", "import", file});
        ASSERT_EQ(import.status, 0) << file << ": " << import.err;
        EXPECT_EQ(Run({"reg", "query", key, "/s"}).out, before) << file;
    }
    const std::string ansi = ReadHostFile(File("ansi.reg"));
    EXPECT_TRUE(ansi.starts_with("REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Gr\xF6\xDF"
                                 "e]\n\"Name\"=\"M\xFCller\"\n"))
        << ansi;
    EXPECT_NE(ansi.find("\"Liste\"=hex(7):e4,00,f6,00,00\n"), npos);

    const std::string unicode = ReadHostFile(File("unicode.reg"));
    ASSERT_TRUE(unicode.starts_with("\xFF\xFE"));
    auto text = Utf16leToUtf8(std::string_view(unicode).substr(2));
    ASSERT_TRUE(text);
    EXPECT_TRUE(
        text->starts_with("Windows Registry Editor Version 5.00\r\n\r\n"
                          "[HKEY_CURRENT_USER\\Software\\Größe]\r\n\"Name\"=\"Müller\"\r\n"))
        << *text;
    EXPECT_NE(text->find("\"Liste\"=hex(7):e4,00,00,00,f6,00,00,00,00,00\r\n"), npos) << *text;
}

TEST_F(HostTextTest, AUnicodeFileWithTextTheCodePageCannotHoldImportsNothing) {
    ASSERT_EQ(Run({"machine", "init"}).status, 0);
    const std::string text = "Windows Registry Editor Version 5.00\r\n\r\n"
                             "[HKEY_CURRENT_USER\\Software\\Fine]\r\n\"A\"=\"ä\"\r\n\r\n"
                             "[HKEY_CURRENT_USER\\Software\\Größe]\r\n\"Zeichen\"=\"Ω\"\r\n";
    WriteHostFile(File("greek.reg"), "\xFF\xFE" + *Utf8ToUtf16le(text));
    const std::string before = Registry();
    ToolRun bad = Run({"reg", "import", "greek.reg"});
    EXPECT_EQ(bad.status, 1);
    EXPECT_NE(bad.err.find("greek.reg:7: the data of value \"Zeichen\" of "
                           "[HKEY_CURRENT_USER\\Software\\Größe] cannot be held in the machine's "
                           "code page 1252"),
              npos)
        << bad.err;
    EXPECT_EQ(Registry(), before);
}

TEST_F(HostTextTest, ListShowsTheUninstallListPlainAndAsJson) {
    const std::string record = kUninstallList + "\\Müller Werkzeuge";
    Add({record, "/v", "DisplayName", "/d", "Müller Werkzeuge"});
    Add({record, "/v", "DisplayVersion", "/d", "2.1"});
    Add({record, "/v", "UninstallString", "/d", "C:\\Programme\\Müller\\uninstall.exe Müller"});
    Add({record + "\\ActiveX", "/v", "Entries", "/d", "0"});
    Add({kUninstallList + "\\Other", "/v", "Publisher", "/d", "Someone"});

    ToolRun plain = Run({"list"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    EXPECT_NE(plain.out.find("Müller Werkzeuge\n  DisplayName: Müller Werkzeuge\n"
                             "  DisplayVersion: 2.1\n"
                             "  UninstallString: C:\\Programme\\Müller\\uninstall.exe Müller\n"
                             "  Files recorded: yes\n"),
              npos)
        << plain.out;
    EXPECT_NE(plain.out.find("Other\n  Publisher: Someone\n  Files recorded: no\n"), npos);

    ToolRun json = Run({"list", "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    const auto products = nlohmann::json::parse(json.out);
    ASSERT_EQ(products.size(), 2u);
    for (const auto& p : products) {
        const bool mueller = p["key"] == "Müller Werkzeuge";
        EXPECT_TRUE(mueller || p["key"] == "Other") << p;
        EXPECT_EQ(p["filesRecorded"], mueller);
        EXPECT_EQ(p["Publisher"], mueller ? nlohmann::json() : nlohmann::json("Someone"));
        if (mueller) {
            EXPECT_EQ(p["DisplayVersion"], "2.1");
        }
    }
}

// Host names are UTF-8, machine names ANSI: an archive member added from the host carries the
// code page's bytes, lists as UTF-8 and extracts under its host name again; the machine finds a
// host file by any case and by its short name, and a name the code page cannot hold shows with
// "?", through which nothing can be reached.
TEST_F(HostTextTest, HostNamesCrossIntoTheCodePageAndBack) {
    WriteHostFile(File("Übersicht.txt"), "overview");
    WriteHostFile(File("日本.txt"), "not in 1252");
    ToolRun add = Run({"archive", "add", File("a.arc").string(), File("Übersicht.txt").string()});
    ASSERT_EQ(add.status, 0) << add.err;
    const std::string archive = ReadHostFile(File("a.arc"));
    EXPECT_NE(archive.find("\\\xDC"
                           "bersicht.txt"),
              npos)
        << "the member name is ANSI";
    EXPECT_EQ(archive.find("Übersicht"), npos);
    ToolRun list = Run({"archive", "list", File("a.arc").string()});
    ASSERT_EQ(list.status, 0) << list.err;
    EXPECT_NE(list.out.find("Übersicht.txt"), npos) << list.out;
    EXPECT_TRUE(IsUtf8(list.out));
    ToolRun extract =
        Run({"archive", "extract", File("a.arc").string(), "-C", File("out").string()});
    ASSERT_EQ(extract.status, 0) << extract.err;
    EXPECT_EQ(ReadHostFile(File("out") / "Übersicht.txt"), "overview");

    // On the machine: the upper case of the code page, the short name, and the "?" name.
    WriteHostFile(machine_ / "drive_c" / "Programme" / "Müller" / "Übersicht.txt", "x");
    Add({kUninstallList + "\\Müller", "/v", "DisplayName", "/d", "Müller"});
    Add({kUninstallList + "\\Müller\\Files", "/v", "File1", "/d",
         "C:\\PROGRAMME\\MÜLLER\\ÜBERSICHT.TXT"});
    Add({kUninstallList + "\\Müller\\Files", "/v", "Entries", "/d", "1"});
    ToolRun dry = Run({"uninstall", "--dry-run", "--yes", "Müller"});
    EXPECT_NE(dry.out.find("would: delete C:\\PROGRAMME\\MÜLLER\\ÜBERSICHT.TXT"), npos) << dry.out;
    ToolRun removed = Run({"uninstall", "--yes", "Müller"});
    EXPECT_EQ(removed.status, 0) << removed.err;
    EXPECT_FALSE(
        std::filesystem::exists(machine_ / "drive_c" / "Programme" / "Müller" / "Übersicht.txt"));

    ToolRun odd = Run({"archive", "add", File("b.arc").string(), File("日本.txt").string()});
    EXPECT_EQ(odd.status, 1) << "a name shown with ? reaches no file: " << odd.out;
}

} // namespace
} // namespace tarn::test
