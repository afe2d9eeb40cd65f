// The install application's pages on a tree: what the user may change, what a password guards,
// where a changed folder goes, what a quiet run takes, and the front end's own command line.
#include "RecordingInstallView.h"
#include "TreeFixture.h"
#include "framework/Application.h"
#include "install/cmp_TInstall.h"

#include <algorithm>

using namespace tarn;
using namespace tarn::install;
using namespace tarn::test;
using setup::TSetupFrontEnd;

namespace {

struct SetupPages : TreeTest {
    TApplication application;
    ScopedApplication applicationScope{application};
    TInstall* driver = Make<TInstall>("Install1");
    RecordingInstallView view;

    // The component goes while the application it installed its handler on still lives.
    ~SetupPages() override { form.reset(); }

    TInstallGroup* Group(const std::string& name, const std::string& caption) {
        auto* group = Make<TInstallGroup>(name);
        group->CaptionText = caption;
        group->SetContainer(driver);
        return group;
    }
    const setup::TGroupChoice* Shown(const std::string& caption) const {
        for (const auto& group : view.shownGroups)
            if (group.caption == caption) return &group;
        return nullptr;
    }
};

TEST_F(SetupPages, AGroupWithoutExcludeIncludeKeepsItsStateWhateverTheViewSays) {
    auto* core = Group("Core", "Program files");
    core->DialogOptions().AllowExcludeInclude = false;
    auto* legacy = Group("Legacy", "Old converters");
    legacy->Include = false;
    legacy->DialogOptions().AllowExcludeInclude = false;
    auto* examples = Group("Examples", "Example projects");
    view.include = {
        {"Program files", false}, {"Old converters", true}, {"Example projects", false}};

    TSetupFrontEnd frontEnd(*driver, view, false);
    ASSERT_TRUE(frontEnd.RunPages());
    ASSERT_EQ(view.shownGroups.size(), 3u);
    EXPECT_FALSE(Shown("Program files")->changeable);
    EXPECT_TRUE(Shown("Example projects")->changeable);
    EXPECT_TRUE(core->Include);
    EXPECT_FALSE(legacy->Include);
    EXPECT_FALSE(examples->Include);
}

TEST_F(SetupPages, AWrongPasswordKeepsTheGroupOut) {
    auto* admin = Group("Admin", "Administration tools");
    admin->Include = false;
    admin->DialogOptions().SetPassword("swordfish");
    auto* manual = Group("Manual", "Printed manual");
    manual->DialogOptions().SetPassword("open sesame");
    auto* plain = Group("Plain", "Readme");
    view.include = {{"Administration tools", true}};
    view.passwords = {{"Administration tools", "Swordfish"}, {"Printed manual", "open sesame"}};

    TSetupFrontEnd frontEnd(*driver, view, false);
    ASSERT_TRUE(frontEnd.RunPages());
    EXPECT_EQ(view.Events("password"),
              (std::vector<std::string>{"Administration tools", "Printed manual"}));
    EXPECT_FALSE(admin->Include);
    EXPECT_TRUE(manual->Include);
    EXPECT_TRUE(plain->Include);
    const auto messages = view.Events("message");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Administration tools"), std::string::npos);
}

TEST_F(SetupPages, AChangedFolderBecomesTheInstallComponentsDestination) {
    auto* group = Group("Core", "Program files");
    const std::string before = driver->GetDestination();
    view.folders = {"Tools\\Acme", "  D:/Tools/Acme\\  "};

    TSetupFrontEnd frontEnd(*driver, view, false);
    ASSERT_TRUE(frontEnd.RunPages());
    // The relative folder is refused with a message and asked again.
    const auto folders = view.Events("folder");
    ASSERT_EQ(folders.size(), 2u);
    EXPECT_EQ(folders[0], before + " changeable");
    EXPECT_EQ(view.Events("message").size(), 1u);
    EXPECT_EQ(driver->GetDestination(), "D:\\Tools\\Acme");
    // What stands for the main folder follows it.
    EXPECT_EQ(group->GetDestination(), "D:\\Tools\\Acme");
}

TEST_F(SetupPages, TheFolderIsFixedWhileAGroupThatWillBeInstalledForbidsAChange) {
    auto* pinned = Group("Drivers", "Device drivers");
    pinned->DialogOptions().AllowChangeDir = false;
    auto* optional = Group("Extras", "Extras");
    optional->DialogOptions().AllowChangeDir = false;
    view.include = {{"Extras", false}};
    const std::string before = driver->GetDestination();
    view.folders = {"D:\\Elsewhere"};

    {
        TSetupFrontEnd frontEnd(*driver, view, false);
        ASSERT_TRUE(frontEnd.RunPages());
    }
    EXPECT_EQ(view.Events("folder"), std::vector<std::string>{before + " fixed"});
    EXPECT_EQ(driver->GetDestination(), before);

    // Without the pinned group the excluded one does not hold the folder.
    pinned->Include = false;
    view.events.clear();
    view.folders = {"D:\\Elsewhere"};
    TSetupFrontEnd again(*driver, view, false);
    ASSERT_TRUE(again.RunPages());
    EXPECT_EQ(view.Events("folder"), std::vector<std::string>{before + " changeable"});
    EXPECT_EQ(driver->GetDestination(), "D:\\Elsewhere");
}

TEST_F(SetupPages, QuietTakesEveryDefaultAndLeavesTheRestartForLater) {
    auto* core = Group("Core", "Program files");
    auto* compactOnly = Group("Small", "Small help");
    compactOnly->InstallTypes = TNumberSet{1};
    auto* examples = Group("Examples", "Example projects");
    examples->Include = false;
    auto* admin = Group("Admin", "Administration tools");
    admin->DialogOptions().SetPassword("swordfish");
    const std::string folder = driver->GetDestination();
    const int type = driver->InstallType;
    // The script would change everything; quiet asks nothing.
    view.installType = 1;
    view.include = {{"Program files", false}, {"Example projects", true}};
    view.folders = {"D:\\Elsewhere"};
    view.restartNow = true;

    WriteHostFile(machine.Host("C:\\setup.log"), "earlier\tline\r\n");
    {
        setup::TActionLog log("C:\\setup.log");
        TSetupFrontEnd frontEnd(*driver, view, true, &log);
        ASSERT_TRUE(frontEnd.RunPages());
        ASSERT_EQ(driver->Progress, &frontEnd);
        driver->Progress->Status("Installing INI files...");
        driver->Progress->Action("installed", folder + "\\a.exe");
        driver->Progress->Action("replaced at restart", folder + "\\b.dll");
        bool reboot = true;
        driver->OnQueryReboot(*driver, reboot);
        EXPECT_FALSE(reboot);
        bool terminate = false;
        driver->OnQueryTerminate(*driver, terminate);
        EXPECT_TRUE(terminate);
        frontEnd.Finish();
    }
    EXPECT_TRUE(view.events.empty());
    EXPECT_TRUE(core->Include);
    EXPECT_FALSE(examples->Include);
    EXPECT_FALSE(compactOnly->IsSelected());
    EXPECT_EQ(driver->InstallType, type);
    EXPECT_EQ(driver->GetDestination(), folder);
    // Nobody gave the password.
    EXPECT_FALSE(admin->Include);
    EXPECT_EQ(ReadHostFile(machine.Host("C:\\setup.log")), "earlier\tline\r\ninstalled\t" + folder +
                                                               "\\a.exe\r\nreplaced at restart\t" +
                                                               folder + "\\b.dll\r\n");
    // The front end is gone: the component no longer reports to it.
    EXPECT_EQ(driver->Progress, nullptr);
    EXPECT_FALSE(driver->OnQueryReboot);
}

TEST(SetupArguments, TheFrontEndsOwnParametersNeverReachTheDriver) {
    setup::TSetupArguments args;
    const std::vector<std::string> given = {
        "-sC:\\My Build", "*quiet", "*FORM=D:\\p\\a.frm", "*TODISK", "*Log=C:\\run.log", "-c"};
    ASSERT_FALSE(setup::ParseSetupArguments(given, args));
    EXPECT_TRUE(args.quiet);
    EXPECT_EQ(args.formFile, "D:\\p\\a.frm");
    EXPECT_EQ(args.logFile, "C:\\run.log");
    // "*FORM=" would read as -f (floppies) to the driver.
    EXPECT_EQ(args.driverParams, (std::vector<std::string>{"-sC:\\My Build", "*TODISK", "-c"}));
    EXPECT_EQ(setup::CheckDriverParameters(args.driverParams), "");
    EXPECT_TRUE(setup::ParseSetupArguments({"*LOG= "}, args).has_value());

    EXPECT_NE(setup::CheckDriverParameters({"-c", "-x"}).find("<-x>"), std::string::npos);
    EXPECT_NE(setup::CheckDriverParameters({"/b"}).find("</b>"), std::string::npos);
    EXPECT_EQ(setup::CheckDriverParameters({"-d", "-s  "}), std::string(SForgotBuildDirectory));
    EXPECT_EQ(setup::CheckDriverParameters({"-D", "-Sc:\\b"}), "");
}

} // namespace
