// The install component across a restart: the run-once command, the unfinished list in the run's
// record, the continuation that works through it, the stored language and the reboot.
#include "TreeFixture.h"
#include "framework/Application.h"
#include "install/cmp_TInstall.h"
#include "platform/ScriptedUserInterface.h"
#include "platform/portable/PortableReboot.h"
#include "routines/cmp_TTarnRegistry.h"
#include "routines/routines_Registry.h"
#include "translator/cmp_TTranslator.h"

using namespace tarn;
using namespace tarn::install;
using namespace tarn::test;

namespace {

class FinishingObject : public RecordingObject {
public:
    using RecordingObject::RecordingObject;
    void CompleteAfterReboot() override { ++completed; }
    int completed = 0;
};

struct Unfinished : TreeTest {
    TApplication app;
    ScopedApplication scope{app};
    ~Unfinished() override { form.reset(); } // the install goes while the application is ours

    TInstall* Install(std::vector<std::string> params, bool load) {
        WriteHostFile(machine.Host("C:\\Temp\\app.exe"), "MZ setup");
        app.ExeName = "C:\\Temp\\app.exe";
        app.Params = std::move(params);
        TInstall* install = Create<TInstall>(form.get());
        if (load) {
            install->BeginLoading();
            install->EndLoading();
        }
        return install;
    }
    // A run's record, as the interrupted run left it.
    TInstall* Recorded() {
        TInstall* install = Install({}, false);
        InstallRecordKey = install->FindInstallRecord(true);
        EXPECT_FALSE(InstallRecordKey.empty());
        return install;
    }
    static std::string RunOnce(const std::string& name) {
        std::string command;
        ReadRegistryString(rcCurrentUser, kRunOnceKey, name, command, "<none>");
        return command;
    }
    static bool KeyExists(const std::string& key) {
        TtarnRegistry registry;
        SetRootByCode(registry, rcLocalMachine);
        return registry.KeyExists(key);
    }
};

TEST_F(Unfinished, TheCommandComesBackFromTheSourceFolderUnderAFreeName) {
    WriteRegistryString(rcCurrentUser, kRunOnceKey, kRunOnceName, "other");
    Install({"-sC:\\Dist", "-c"}, true)->RegisterRunOnce();
    EXPECT_EQ(RunOnce(kRunOnceName), "other");
    EXPECT_EQ(RunOnce(std::string(kRunOnceName) + "1"),
              "\"C:\\Temp\\app.exe\" -r \"-sC:\\Dist\" -c");
}

TEST_F(Unfinished, ASelfExtractedRunNamesItsExecutableAndARefusedKeyIsReported) {
    TInstall* install = Install({"-eSetup.exe", "-sC:\\Dist"}, true);
    install->RegisterRunOnce();
    EXPECT_EQ(RunOnce(kRunOnceName), "\"C:\\Temp\\app.exe\" -r \"-eSetup.exe\" \"-sC:\\Dist\"");
    machine->GetFaults().denyWriteKeys.push_back("HKCU\\Software\\Microsoft\\Windows");
    EXPECT_EQ(Message<IEInstall>([&] { install->RegisterRunOnce(); }), SNoRunOnce);
}

TEST_F(Unfinished, TheListKeepsRegistryOrderAndNeedsARecord) {
    TInstall* install = Install({}, false);
    TStringList list;
    EXPECT_EQ(Message<IEInstall>([&] { install->AddUnfinished("Fonts", 0); }), SNoUnfinishedRecord);
    EXPECT_EQ(Message<IEInstall>([&] { install->ReadUnfinished(list); }), SNoUnfinishedRecord);
    InstallRecordKey = std::string(kInstallRunsKey) + "\\Install4";
    install->AddUnfinished("Zeta", 0);
    install->AddUnfinished("C:\\WINDOWS\\TEMP\\ren.bat", 1);
    install->AddUnfinished("alpha", 0);
    install->ReadUnfinished(list);
    EXPECT_EQ(list.Text(), "Zeta;0\r\nC:\\WINDOWS\\TEMP\\ren.bat;1\r\nalpha;0\r\n");
    EXPECT_EQ(install->UnfinishedCount(), 3);
    install->ClearUnfinished();
    install->ReadUnfinished(list);
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(Unfinished, TheContinuationFinishesEveryObjectOfTheNameAndEndsTheRun) {
    TInstall* install = Recorded();
    const std::string record = InstallRecordKey;
    auto otherForm = std::make_unique<TForm>(nullptr);
    auto* first = Make<FinishingObject>("Fonts");
    auto* second = Create<FinishingObject>(otherForm.get());
    second->SetName("FONTS");
    auto* unrelated = Make<FinishingObject>("Drivers");
    const auto batch = machine.Host("C:\\WINDOWS\\TEMP\\ren1.bat");
    WriteHostFile(batch, "@echo off");
    install->AddUnfinished("fonts", 0);
    install->AddUnfinished("C:\\WINDOWS\\TEMP\\ren1.bat", 1);
    install->AddUnfinished("Nobody", 0);
    bool asked = false;
    install->OnQueryTerminate = [&](TCustomInstall&, bool& end) {
        asked = true;
        end = false;
    };
    install->ContinueAfterReboot();
    EXPECT_EQ(first->completed, 1);
    EXPECT_EQ(second->completed, 1);
    EXPECT_EQ(unrelated->completed, 0);
    EXPECT_FALSE(std::filesystem::exists(batch));
    EXPECT_FALSE(KeyExists(record));
    EXPECT_TRUE(asked);
    EXPECT_FALSE(install->Running());
}

TEST_F(Unfinished, AMalformedEntryStopsTheContinuationWithTheListGone) {
    TInstall* install = Recorded();
    auto* fonts = Make<FinishingObject>("Fonts");
    auto* drivers = Make<FinishingObject>("Drivers");
    install->AddUnfinished("Fonts", 0);
    WriteRegistryString(rcLocalMachine, InstallRecordKey + "\\Unfinished", "Broken", "x");
    install->AddUnfinished("Drivers", 0);
    EXPECT_EQ(Message<IEInstall>([&] { install->ContinueAfterReboot(); }),
              Format(SBadUnfinishedEntry, "Broken;x"));
    EXPECT_EQ(fonts->completed, 1);
    EXPECT_EQ(drivers->completed, 0);
    EXPECT_FALSE(KeyExists(InstallRecordKey + "\\Unfinished"));
}

TEST_F(Unfinished, TheContinuationSpeaksTheLanguageOfTheInterruptedRun) {
    TInstall* install = Recorded();
    EXPECT_EQ(install->LoadLanguage(), translator::tlUser);
    auto* words = Create<translator::TTranslator>(form.get());
    words->SetTranslateIntoLanguage(translator::tlGerman);
    install->SaveLanguage();
    words->SetTranslateIntoLanguage(translator::tlFrench);
    install->ContinueAfterReboot();
    EXPECT_EQ(words->TranslateIntoLanguage(), translator::tlGerman);
}

TEST_F(Unfinished, ARefusedRebootGoesToOnRebootFailed) {
    TInstall* install = Install({}, false);
    dynamic_cast<platform::portable::PortableReboot&>(platform::Reboot()).SetRefused(true);
    int failures = 0;
    install->OnRebootFailed = [&](TComponent&) { ++failures; };
    install->RebootWindows();
    EXPECT_EQ(failures, 1);
    EXPECT_FALSE(machine->RestartRequested());
}

TEST_F(Unfinished, OnlyTheOldFamiliesRebootAndTheUserIsToldOtherwise) {
    TInstall* install = Install({}, false);
    platform::ScriptedUserInterface ui;
    platform::Services services;
    services.ui = &ui;
    platform::ScopedPlatform boxes(services);
    machine->SetWindowsVersion(platform::VER_PLATFORM_WIN32_NT, 10, 0); // code 4
    install->RebootWindows();
    EXPECT_FALSE(machine->RestartRequested());
    EXPECT_EQ(ui.Texts(platform::ScriptedUserInterface::Kind::Inform),
              std::vector<std::string>{std::string(SRebootFailed)});
    machine->SetWindowsVersion(platform::VER_PLATFORM_WIN32_WINDOWS, 4, 10); // code 7
    install->RebootWindows();
    EXPECT_TRUE(machine->RestartRequested());
    EXPECT_EQ(ui.Boxes().size(), 1u);
}

} // namespace
