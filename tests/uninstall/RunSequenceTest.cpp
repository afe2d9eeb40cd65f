// Start-up, the order of the phases, the progress display, the state table and the end of a run.
#include "UninstallFixture.h"

#include "routines/cmp_TTarnRegistry.h"

using namespace tarn;
using namespace tarn::test;
using tarn::uninstall::TForm1;
using tarn::uninstall::TUninstallState;

TEST_F(UninstallTest, WithoutArgumentsStartIsRefusedAndNothingIsTouched) {
    PutString(kRecord + "\\Files", "File1", "C:\\App\\a.txt");
    PutFile("C:\\App\\a.txt");
    EXPECT_FALSE(form->Create({}));
    EXPECT_EQ(form->State(), TUninstallState::usRefused);
    EXPECT_FALSE(view.StartEnabled());
    EXPECT_EQ(view.Caption(), "Uninstall program");
    EXPECT_EQ(form->ProductName(), "");
    EXPECT_EQ(form->RecordKey(), "");
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_EQ(Errors()[0], "Please remove this software from the Add/Remove Programs from the "
                           "Control Panel.");
    EXPECT_EQ(ui.Boxes()[0].caption, form->Title());
    EXPECT_TRUE(KeyExists(kRecord + "\\Files"));
    EXPECT_TRUE(Exists("C:\\App\\a.txt"));
    form->CloseBtnClick(nullptr);
    EXPECT_TRUE(view.Closed());
}

TEST_F(UninstallTest, ArgumentsAreJoinedIntoTheProductName) {
    Create();
    EXPECT_EQ(view.Caption(), "Remove Demo Product");
    EXPECT_EQ(form->RecordKey(), kRecord);
    EXPECT_EQ(form->State(), TUninstallState::usReady);
    EXPECT_TRUE(view.StartEnabled());
}

TEST_F(UninstallTest, TrailingBlanksAreTrimmedForThePhasesButNotForTheRecordDeletion) {
    const std::string trimmed = kRecord;
    const std::string untrimmed = kRecord + "  ";
    PutString(trimmed + "\\RegistryKeys\\1", "Key", "\\Software\\Demo");
    PutString(untrimmed, "DisplayName", "with blanks");
    PutString("\\Software\\Demo", "", "");
    ASSERT_TRUE(form->Create({"Demo", "Product  "}));
    EXPECT_EQ(form->RecordKey(), trimmed);
    EXPECT_TRUE(form->Start());
    // The registry phase read the trimmed record ...
    EXPECT_FALSE(KeyExists(trimmed + "\\RegistryKeys"));
    // ... while the record deletion went to the name as given.
    EXPECT_FALSE(KeyExists(untrimmed));
    EXPECT_TRUE(KeyExists(trimmed));
}

TEST_F(UninstallTest, CheckBoxesAppearAndTickOneByOneInPhaseOrder) {
    ASSERT_TRUE(Run());
    std::vector<std::string> boxes;
    for (const auto& e : view.Events())
        if (e.rfind("show ", 0) == 0 || e.rfind("tick ", 0) == 0) boxes.push_back(e);
    EXPECT_EQ(boxes, (std::vector<std::string>{
                         "show Aliases", "tick Aliases", "show ActiveX/OCX components",
                         "tick ActiveX/OCX components", "show Files", "tick Files",
                         "show INI file entries", "tick INI file entries", "show BDE", "tick BDE",
                         "show Registry entries", "tick Registry entries"}));
    EXPECT_EQ(view.Events().front(), "caption Remove Demo Product");
    EXPECT_EQ(view.Events()[1], "start off");
    EXPECT_EQ(view.Events().back(), "close");
    EXPECT_FALSE(view.ProgressVisible());
    EXPECT_EQ(form->State(), TUninstallState::usFinished);
}

TEST_F(UninstallTest, ProgressIsRoundedHalvesToEvenAndZeroForOneValue) {
    EXPECT_EQ(TForm1::ProgressPosition(0, 1), 0);
    EXPECT_EQ(TForm1::ProgressPosition(0, 3), 0);
    EXPECT_EQ(TForm1::ProgressPosition(1, 3), 50);
    EXPECT_EQ(TForm1::ProgressPosition(2, 3), 100);
    EXPECT_EQ(TForm1::ProgressPosition(1, 9), 12);  // 12.5 to the even neighbour
    EXPECT_EQ(TForm1::ProgressPosition(3, 9), 38);  // 37.5
    EXPECT_EQ(TForm1::ProgressPosition(1, 201), 0); // 0.5
    EXPECT_EQ(TForm1::ProgressPosition(2, 7), 33);
}

TEST_F(UninstallTest, TheFilesPhaseShowsTheBarAtZeroFiftyAndHundredForThreeFiles) {
    RecordFiles(kRecord + "\\Files", {"C:\\App\\a", "C:\\App\\b", "C:\\App\\c"});
    RecordFiles(kRecord + "\\ActiveX", {"C:\\App\\x.ocx;2"});
    ASSERT_TRUE(Run());
    const auto& events = view.Events();
    auto at = std::find(events.begin(), events.end(), "show Files");
    ASSERT_NE(at, events.end());
    EXPECT_EQ(*(at - 1), "progress 0");
    std::vector<std::string> files(at, std::find(at, events.end(), "tick Files"));
    EXPECT_EQ(files, (std::vector<std::string>{"show Files", "repaint", "progress 0", "progress 50",
                                               "progress 100", "hide progress"}));
    auto ax = std::find(events.begin(), events.end(), "show ActiveX/OCX components");
    std::vector<std::string> activeX(ax, std::find(ax, events.end(), "hide progress"));
    // One value: the bar stays at 0.
    EXPECT_EQ(activeX,
              (std::vector<std::string>{"show ActiveX/OCX components", "repaint", "progress 0"}));
}

TEST_F(UninstallTest, WithoutARecordEveryPhaseDoesNothingAndTheProgramStillLeaves) {
    ASSERT_TRUE(Run());
    EXPECT_TRUE(Questions().empty());
    EXPECT_TRUE(Errors().empty());
    // The running program cannot delete its own file: it goes at the next restart.
    ASSERT_EQ(Notices().size(), 1u);
    EXPECT_EQ(Notices()[0], "The uninstallation program for Demo Product will be removed after "
                            "you reboot your computer.");
    EXPECT_EQ(engine.calls, (std::vector<std::string>{"init 500", "exit"}));
    // A second run finds nothing as well.
    ui.ClearBoxes();
    ASSERT_TRUE(form->Start());
    EXPECT_EQ(Notices().size(), 1u);
}

namespace {

// The machine's system information, reporting another program path as the running one.
class OtherModule : public platform::ISystemInfo {
public:
    OtherModule(platform::ISystemInfo& real, std::string module)
        : real_(real), module_(std::move(module)) {}
    bool GetVersion(platform::OsVersion& v) override { return real_.GetVersion(v); }
    platform::DWORD GetWindowsDirectory(std::string& p) override {
        return real_.GetWindowsDirectory(p);
    }
    platform::DWORD GetSystemDirectory(std::string& p) override {
        return real_.GetSystemDirectory(p);
    }
    platform::DWORD GetTempPath(std::string& p) override { return real_.GetTempPath(p); }
    platform::WORD GetUserDefaultLangID() override { return real_.GetUserDefaultLangID(); }
    unsigned GetACP() override { return real_.GetACP(); }
    std::string GetModuleFileName() override { return module_; }
    bool GetEnvironmentVariable(const std::string& n, std::string& v) override {
        return real_.GetEnvironmentVariable(n, v);
    }
    int CompareString(const std::string& a, const std::string& b, bool i) override {
        return real_.CompareString(a, b, i);
    }
    std::string CharToOem(const std::string& t) override { return real_.CharToOem(t); }
    std::string ErrorText(platform::DWORD c) override { return real_.ErrorText(c); }

private:
    platform::ISystemInfo& real_;
    std::string module_;
};

} // namespace

TEST_F(UninstallTest, AProgramFileThatCanBeDeletedGoesAtOnceWithoutARestartJob) {
    PutFile("C:\\Program Files\\Demo\\UNWISE.EXE", "program");
    OtherModule system(platform::System(), "C:\\Program Files\\Demo\\UNWISE.EXE");
    platform::Services services = platform::Current();
    services.system = &system;
    platform::ScopedPlatform withModule(services);
    ASSERT_TRUE(Run());
    EXPECT_FALSE(Exists("C:\\Program Files\\Demo\\UNWISE.EXE"));
    EXPECT_EQ(Notices(), (std::vector<std::string>{"Demo Product has finished removing itself"}));
    EXPECT_EQ(ui.Boxes().back().caption, "UNWISE");
    TtarnRegistry reg;
    SetRootByCode(reg, rcLocalMachine);
    ASSERT_TRUE(reg.OpenKey("\\System\\CurrentControlSet\\Control\\Session Manager", true));
    EXPECT_FALSE(reg.ValueExists("PendingFileRenameOperations"));
}

TEST_F(UninstallTest, NoteFolderKeepsOneUpperCaseEntryPerFolderAndDriveRoots) {
    form->NoteFolder("C:\\App\\Sub\\a.txt");
    form->NoteFolder("c:\\app\\sub\\B.TXT");
    form->NoteFolder("C:\\root.txt");
    form->NoteFolder("D:file.txt");
    form->NoteFolder("\\\\server\\share\\x");
    const auto& dirs = form->RemovedDirs();
    ASSERT_EQ(dirs.Count(), 4);
    EXPECT_EQ(dirs[0], "C:\\APP\\SUB");
    EXPECT_EQ(dirs[1], "C:\\");
    EXPECT_EQ(dirs[2], "D:");
    EXPECT_EQ(dirs[3], "\\\\SERVER\\SHARE");
}
