// The dry run against the real run on one record of every kind, in process: the dry run leaves
// the machine byte for byte as it was and shows no box, and the steps it names are the ones the
// real run then takes, in the same order.
#include "UninstallFixture.h"

#include "platform/portable/PortableLibraries.h"

#include <algorithm>
#include <map>

using namespace tarn;
using namespace tarn::test;

namespace {

class DryRunTest : public UninstallTest {
protected:
    // Aliases, ActiveX servers of both kinds, files with counts above one, at one and none, an
    // INI file shared with others, the engine's last use and registry keys under two keys; every
    // folder the run notes is left empty by it.
    void LayOut() {
        const std::string r = kRecord;
        PutString(r, "DisplayName", "Demo Product");
        PutKey(r + "\\Aliases\\Orders");

        PutFile("C:\\App\\Grid.ocx");
        PutInteger(uninstall::kSharedDllsKey, "C:\\App\\Grid.ocx", 1);
        PutFile("C:\\App\\Server.exe", ServerScript(Seen()));
        std::filesystem::permissions(machine.Host("C:\\App\\Server.exe"),
                                     std::filesystem::perms::owner_all);
        RecordFiles(r + "\\ActiveX", {"C:\\App\\Grid.ocx;0", "C:\\App\\Server.exe;1"});

        PutFile("C:\\App\\a.txt");
        PutFile("C:\\App\\b.dll");
        PutFile("C:\\Lib\\c.dll");
        PutInteger(uninstall::kSharedDllsKey, "C:\\App\\b.dll", 1);
        PutInteger(uninstall::kSharedDllsKey, "C:\\Lib\\c.dll", 3);
        RecordFiles(r + "\\Files",
                    {"C:\\App\\a.txt", "C:\\App\\b.dll", "C:\\Lib\\c.dll", "C:\\App\\gone.txt"});

        PutFile("C:\\WINDOWS\\WIN.INI", "[windows]\r\nload=\r\n[Extensions]\r\ntxt=notepad.exe "
                                        "^.txt\r\ndmo=demo.exe ^.dmo\r\n[Demo]\r\nWindow=1\r\n");
        PutString(r + "\\INIFiles\\1", "FilePath", "C:\\WINDOWS\\WIN.INI");
        PutString(r + "\\INIFiles\\1\\Entries\\Extensions", "dmo", "");
        PutString(r + "\\INIFiles\\1\\Entries\\Demo", "Window", "");

        PutString(r + "\\BDE", "Entries", "1");
        PutString(uninstall::kEngineKey, "UseCount", "1");
        PutString(uninstall::kEngineKey, "CONFIGFILE01", "C:\\BDE\\IDAPI.CFG");
        PutFile("C:\\BDE\\IDAPI.CFG");
        PutKey(uninstall::kBlw32Key);
        PutKey("\\Software\\Borland\\Delphi");

        PutString("\\Software\\Demo Company\\Demo", "Version", "1.0");
        PutString("\\Software\\Demo Company\\Demo", "Path", "C:\\App");
        PutString(r + "\\RegistryKeys\\1", "Key", "\\Software\\Demo Company");
        PutInteger(r + "\\RegistryKeys\\1", "Root", 4);
        PutString(r + "\\RegistryKeys\\2", "Key", "\\Software\\Demo Company\\Demo");
        PutInteger(r + "\\RegistryKeys\\2", "Root", 4);
        PutString(r + "\\RegistryKeys\\2\\Entries", "Version", "");
        PutString(r + "\\RegistryKeys\\2\\Entries", "Path", "");
    }

    // The control's DllUnregisterServer, counting its calls (the machine forgets it on reopening).
    void RegisterControl() {
        platform::portable::FakeLibrary library;
        library.entryPoints["DllUnregisterServer"] = [this] {
            ++unregistered;
            return 0;
        };
        machine->GetLibraries().Register("C:\\App\\Grid.ocx", std::move(library));
    }

    // Sets the run up and collects its lines.
    void Prepare(bool dryRun, std::vector<std::string>& lines) {
        form->DryRun = dryRun;
        form->DryRunAnswer = true;
        form->OnAction = [&lines](const std::string& line) { lines.push_back(line); };
    }

    std::filesystem::path Seen() const { return machine.Folder() / "server-seen.txt"; }
    int unregistered = 0;
};

// The line of the real run for a step the dry run names, when the step succeeds.
std::string AsDone(const std::string& planned) {
    const auto without = [&planned](const std::string& head, const std::string& tail) {
        return planned.substr(head.size(), planned.size() - head.size() - tail.size());
    };
    const auto shaped = [&planned](const std::string& head, const std::string& tail) {
        return planned.starts_with(head) && planned.ends_with(tail);
    };
    if (shaped("unregister ", " through DllUnregisterServer"))
        return "unregistered " + without("unregister ", " through DllUnregisterServer");
    if (shaped("unregister ", " by starting it with /UNREGSERVER"))
        return "unregistered " + without("unregister ", " by starting it with /UNREGSERVER") +
               " (started with /UNREGSERVER, exit code 0)";
    for (const auto& [verb, done] : std::vector<std::pair<std::string, std::string>>{
             {"delete ", "deleted "}, {"remove ", "removed "}, {"keep ", "kept "}}) {
        if (shaped(verb, " when it is empty")) return done + without(verb, " when it is empty");
        if (shaped(verb, "")) return done + without(verb, "");
    }
    return planned;
}

} // namespace

TEST_F(DryRunTest, ADryRunOverEveryKindOfEntryChangesNothingAndShowsNoBox) {
    LayOut();
    PutFile("C:\\Solo\\solo.ini", "[S]\r\nA=1\r\n"); // left empty: followed on a scratch copy
    PutString(kRecord + "\\INIFiles\\2", "FilePath", "C:\\Solo\\solo.ini");
    PutString(kRecord + "\\INIFiles\\2\\Entries\\S", "A", "");
    Detach();
    const auto before = SnapshotMachineFolder(machine.Folder() / "machine");
    Attach();
    RegisterControl();
    std::vector<std::string> lines;
    Prepare(true, lines);
    ASSERT_TRUE(Run());
    EXPECT_TRUE(ui.Boxes().empty());
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"init 500", "exit"}));
    EXPECT_EQ(unregistered, 0);
    Detach();
    EXPECT_EQ(SnapshotMachineFolder(machine.Folder() / "machine"), before);
    EXPECT_FALSE(std::filesystem::exists(Seen()));
    // The plan went down every branch that would have changed something.
    for (const std::string expected :
         {"delete alias Orders", "delete C:\\BDE\\IDAPI.CFG", "delete C:\\Solo\\solo.ini",
          "remove folder C:\\Solo\\", "keep C:\\Lib\\c.dll with count 2",
          "delete registry key HKEY_LOCAL_MACHINE\\Software\\Borland\\Database Engine",
          "delete key \\Software\\Demo Company when it is empty"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), expected), lines.end()) << expected;
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines.back().starts_with("delete own program ")) << lines.back();
    Attach();
}

TEST_F(DryRunTest, TheRealRunTakesTheStepsTheDryRunNamedInTheirOrder) {
    LayOut();
    RegisterControl();
    form->RemoveOwnProgram = false;
    std::vector<std::string> planned;
    Prepare(true, planned);
    ASSERT_TRUE(Run());
    ASSERT_TRUE(ui.Boxes().empty());

    // The same form, the flag turned off: the run chooses its actions when it starts.
    std::vector<std::string> done;
    Prepare(false, done);
    ui.SetDefaultAnswer(true);
    ASSERT_TRUE(Run());

    std::vector<std::string> asked;
    std::vector<std::string> expected;
    for (const std::string& line : planned) {
        if (line.starts_with("ask: ") && line.ends_with(" (answered Yes)"))
            asked.push_back(line.substr(5, line.size() - 5 - 15));
        else
            expected.push_back(AsDone(line));
    }
    EXPECT_EQ(asked.size(), 4u); // Grid.ocx, Server.exe, b.dll, the engine
    EXPECT_EQ(Questions(), asked);
    EXPECT_EQ(done, expected);
    EXPECT_EQ(unregistered, 1);
    EXPECT_FALSE(KeyExists(kRecord));
    EXPECT_FALSE(Exists("C:\\App"));
    EXPECT_FALSE(Exists("C:\\BDE"));
    EXPECT_EQ(SharedCount("C:\\Lib\\c.dll"), 2);
}
