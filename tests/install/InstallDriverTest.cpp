// The install component as a program runs it: the command line, the run mode of a loaded form,
// the record of install runs and the install run's stages, also when one fails.
#include "framework/Application.h"
#include "framework/Form.h"
#include "install/TreeFixture.h"
#include "install/cmp_TInstall.h"
#include "platform/ScriptedUserInterface.h"
#include "routines/cmp_TTarnRegistry.h"
#include "routines/routines_Registry.h"
#include "translator/cmp_TTranslator.h"

#include <gtest/gtest.h>

namespace tarn::test {
namespace {

using namespace install;

// An install object of a given stage that writes down when it is installed.
class StageObject : public TInstallObject {
public:
    StageObject(TComponent* owner, std::vector<int>* log, int type, bool fail = false)
        : TInstallObject(owner), log_(log), type_(type), fail_(fail) {
        InstallWithContainer = false; // stages install it, not its container
    }
    int RegisteredType() const override { return type_; }
    void Install() override {
        log_->push_back(type_);
        if (fail_) throw IEInstall("stage %d failed", type_);
    }

private:
    std::vector<int>* log_;
    int type_;
    bool fail_;
};

struct StatusLog : IInstallProgress {
    std::vector<std::string> lines;
    void Status(const std::string& text) override { lines.push_back(text); }
    void Action(const std::string& what, const std::string& item) override {
        lines.push_back(what + " " + item);
    }
    void Progress(std::int64_t, std::int64_t) override {}
};

struct DriverTest : ::testing::Test {
    TempMachine machine;
    paths::PathSpecifierUnit specifiers;
    NetInstallLocationUnit locations;
    InstallContainerUnit containers;
    platform::ScriptedUserInterface ui;
    platform::ScopedPlatform scripted{[this] {
        platform::Services s;
        s.ui = &ui;
        return s;
    }()};
    TApplication app;
    ScopedApplication appScope{app};
    std::unique_ptr<TForm> form = std::make_unique<TForm>(nullptr);

    DriverTest() {
        WriteHostFile(machine.Host("C:\\Dist\\setup.exe"), std::string(500, 'x'));
        app.ExeName = "C:\\Dist\\setup.exe";
    }
    TInstall* MakeInstall(std::vector<std::string> params = {}) {
        app.Params = std::move(params);
        auto* install = Create<TInstall>(form.get());
        install->SetName("Install1");
        install->SetUseLoadingProgram(false);
        install->BuildInfo().AddUninstallOnCreate = false;
        return install;
    }
    // Loads the component as a form read from a file would.
    void Load(TInstall* install) {
        install->BeginLoading();
        install->EndLoading();
    }
    static std::vector<std::string> RunKeys() {
        TStringList names;
        TtarnRegistry reg;
        reg.SetRootKey(platform::HKEY_LOCAL_MACHINE);
        if (reg.OpenKey(kInstallRunsKey, false)) reg.GetKeyNames(names);
        std::vector<std::string> keys;
        for (int i = 0; i < names.Count(); ++i)
            keys.push_back(names.Strings(i));
        return keys;
    }
    template <class F> static std::string Message(F&& call) {
        try {
            call();
        } catch (const IException& e) {
            return e.Message();
        }
        return "(no error)";
    }
};

TEST_F(DriverTest, TheCommandLineTakesSwitchesInEitherCaseAndRefusesTheRest) {
    TInstall* install = MakeInstall({"-sC:\\My Build", "-R", "*TODISK", "*X", "-c", "-S"});
    install->ParseCommandLine();
    EXPECT_TRUE(install->HasSwitch(swSource));
    EXPECT_EQ(install->SwitchValue(swSource), ""); // the last -s wins
    EXPECT_TRUE(install->HasSwitch(swReboot));
    EXPECT_TRUE(install->HasSwitch(swCleanup));
    EXPECT_FALSE(install->HasSwitch(swFloppies));
    app.Params = {"-sC:\\My Build"};
    install->ParseCommandLine();
    EXPECT_EQ(install->SwitchValue(swSource), "C:\\My Build");
    for (const char* bad : {"x", "/b", "-X", "-"}) {
        app.Params = {bad};
        EXPECT_EQ(Message([&] { install->ParseCommandLine(); }),
                  "Invalid parameter <" + std::string(bad) +
                      ">. Valid command line parameters are: -b (Build), -d (Debug), -f "
                      "(Transfer to floppies), -e (Called by self-extractor), -r (After reboot)");
    }
}

TEST_F(DriverTest, OneComponentPerProcessAndOnlyOnAForm) {
    MakeInstall();
    EXPECT_EQ(Message([&] { Create<TInstall>(form.get()); }), std::string(STwoInstalls));
    form.reset();
    TComponent plain(nullptr);
    EXPECT_EQ(Message([&] { Create<TInstall>(&plain); }), std::string(SBadOwner));
}

TEST_F(DriverTest, AtDesignTimeTheFormGetsATranslatorUnderAFreeName) {
    form->SetDesigning(true);
    Create<TInstall>(form.get());
    EXPECT_NE(dynamic_cast<translator::TTranslator*>(form->FindComponent("MainTranslator")),
              nullptr);
    form = std::make_unique<TForm>(nullptr);
    form->SetDesigning(true);
    auto* taken = Create<StageObject>(form.get(), nullptr, 4000);
    taken->SetName("MainTranslator");
    Create<TInstall>(form.get());
    // The name is taken by a component that is no translator: the next free one is used.
    EXPECT_NE(dynamic_cast<translator::TTranslator*>(form->FindComponent("MainTranslator1")),
              nullptr);
}

TEST_F(DriverTest, LoadingChecksTheDebugSwitchAndTakesTheSourceFolder) {
    TInstall* install = MakeInstall({"-d"});
    EXPECT_EQ(Message([&] { Load(install); }), std::string(SForgotBuildDirectory));
    app.Params = {"-sC:\\Build"};
    Load(install);
    EXPECT_EQ(install->SourceFolder(), "C:\\Build");
    app.Params = {};
    Load(install);
    EXPECT_EQ(install->SourceFolder(), "C:\\Dist");
    // Without -s a program started through the loading program cannot find its archives.
    install->SetUseLoadingProgram(true);
    EXPECT_EQ(Message([&] { install->Install(); }), std::string(SNoLoadingProgramPath));
}

TEST_F(DriverTest, ARunReusesItsRecordByProgramSizeAndDateAndNamesNewOnesInTheGaps) {
    TInstall* install = MakeInstall();
    for (const char* name : {"Install0", "Install2"})
        WriteRegistryString(rcLocalMachine, std::string(kInstallRunsKey) + "\\" + name, "Path",
                            "elsewhere");
    const std::string first = install->FindInstallRecord(true);
    EXPECT_EQ(first, std::string(kInstallRunsKey) + "\\Install1");
    InstallStartTime = 46000.5;
    EXPECT_EQ(install->FindInstallRecord(false), first);
    TtarnRegistry reg;
    reg.SetRootKey(platform::HKEY_LOCAL_MACHINE);
    ASSERT_TRUE(reg.OpenKey(first, false));
    EXPECT_DOUBLE_EQ(reg.ReadFloat("LastRunDate"), 46000.5);
    EXPECT_EQ(reg.ReadInteger("Size"), 500);
    reg.CloseKey();

    // The same size a second later is another program.
    platform::FILETIME written = 0;
    ASSERT_EQ(platform::Files().GetLastWriteTime(app.ExeName, written), platform::ERROR_SUCCESS);
    ASSERT_EQ(platform::Files().SetLastWriteTime(app.ExeName, written + 10000000),
              platform::ERROR_SUCCESS);
    EXPECT_EQ(install->FindInstallRecord(false), "");
    EXPECT_EQ(install->FindInstallRecord(true), std::string(kInstallRunsKey) + "\\Install3");

    InstallRecordKey = first;
    install->RemoveInstallRecord();
    EXPECT_EQ(RunKeys(), (std::vector<std::string>{"Install0", "Install2", "Install3"}));
}

TEST_F(DriverTest, TheRunInstallsTheStagesInTheirOrderAndRemovesItsRecord) {
    TInstall* install = MakeInstall();
    StatusLog status;
    install->Progress = &status;
    std::vector<int> log;
    for (int type : {9054, 9050, 9052, 8700, 8500, 4000, 8000, 7000, 3000, 2875, 2750, 4000})
        Create<StageObject>(form.get(), &log, type);
    bool finished = false;
    install->OnInstallFinished = [&](TCustomInstall&, bool aborted) {
        finished = true;
        EXPECT_FALSE(aborted);
    };
    Load(install);
    form->Activate();
    EXPECT_EQ(log, (std::vector<int>{2750, 2875, 3000, 7000, 8000, 4000, 4000, 8500, 8700, 9052,
                                     9050, 9054}));
    EXPECT_TRUE(finished);
    EXPECT_TRUE(app.Terminated());
    EXPECT_FALSE(install->Running());
    EXPECT_TRUE(RunKeys().empty()); // the record of a finished run goes
    // One caption per stage, cleared after it; the two INI objects share one.
    int ini = 0;
    for (const std::string& line : status.lines)
        ini += line == "Installing INI files...";
    EXPECT_EQ(ini, 1);
    // Later activations do not start another run.
    form->Activate();
    EXPECT_EQ(log.size(), 12u);
}

TEST_F(DriverTest, AFailedStageStillEndsTheRunKeepsTheRecordAndShowsTheError) {
    TInstall* install = MakeInstall();
    std::vector<int> log;
    Create<StageObject>(form.get(), &log, 4000, true);
    Create<StageObject>(form.get(), &log, 8500);
    bool finished = false, terminateAsked = false;
    install->OnInstallFinished = [&](TCustomInstall&, bool) { finished = true; };
    install->OnQueryTerminate = [&](TCustomInstall&, bool& terminate) {
        terminateAsked = true;
        terminate = false;
    };
    Load(install);
    form->Activate();
    EXPECT_EQ(log, std::vector<int>{4000});
    EXPECT_TRUE(finished);
    EXPECT_TRUE(terminateAsked);
    EXPECT_TRUE(install->Cancelled());
    EXPECT_FALSE(app.Terminated());
    EXPECT_EQ(RunKeys(), std::vector<std::string>{"Install0"});
    EXPECT_EQ(ui.Texts(platform::ScriptedUserInterface::Kind::Error),
              std::vector<std::string>{"stage 4000 failed"});
}

TEST_F(DriverTest, AUserAbortRemovesTheRecordAndNoMoreIsInstalled) {
    TInstall* install = MakeInstall();
    std::vector<int> log;
    install->OnBeforeInstall = [](TComponent&) { throw EAIUserAbort(); };
    Create<StageObject>(form.get(), &log, 4000);
    Load(install);
    form->Activate();
    EXPECT_TRUE(log.empty());
    EXPECT_TRUE(install->Cancelled());
    EXPECT_TRUE(RunKeys().empty());
    EXPECT_TRUE(ui.Texts(platform::ScriptedUserInterface::Kind::Error).empty());
}

TEST_F(DriverTest, ForgettingUnfinishedBusinessNeedsARecord) {
    TInstall* install = MakeInstall({"-n"});
    Load(install);
    EXPECT_EQ(Message([&] { install->Install(); }), std::string(SNoUnfinishedRecord));
    EXPECT_TRUE(RunKeys().empty());
}

TEST_F(DriverTest, ACleanupSwitchOutsideTheTemporaryFolderDeletesNothing) {
    TInstall* install = MakeInstall({"-c", "-sC:\\Dist"});
    install->SetUseLoadingProgram(true);
    WriteHostFile(machine.Host("C:\\Dist\\readme.txt"), "keep me");
    Load(install);
    install->CleanupTemporaryCopy();
    EXPECT_FALSE(install->CleanupPending());
    EXPECT_EQ(ReadHostFile(machine.Host("C:\\Dist\\readme.txt")), "keep me");
}

} // namespace
} // namespace tarn::test
