// The tree read from a stored form: a hand-written project, a written form read back to the
// same tree, and the errors of a bad form.
#include "TreeFixture.h"
#include "framework/FormLexer.h"
#include "framework/FormReader.h"
#include "framework/FormWriter.h"

using namespace tarn;
using namespace tarn::install;
using namespace tarn::test;

namespace {

TClassRegistry& Registry() {
    return TestClasses();
}

std::vector<std::string> HelperNames(const TInstallContainer& node) {
    std::vector<std::string> names;
    for (TInstallObject* h : node.Helpers())
        names.push_back(h->Name());
    return names;
}

template <class T> T& Find(TComponent& form, const char* name) {
    auto* found = dynamic_cast<T*>(form.FindComponent(name));
    if (!found) throw std::runtime_error(std::string("no ") + name);
    return *found;
}

constexpr const char* kProject = R"(object SetupForm: TForm
  object Install1: TStandInDriver
    ArchiveSpecifier = psMainArchiveFile
  end
  object Tools: TInstallGroup
    Container = Install1
    DestinationSpecifier = psContainerDestDir
    ArchiveSpecifier = psContainerArchiveFile
    SubPath = '\Tools'
    Caption = 'Tools'
    DialogOptions.AllowChangeDir = False
    DialogOptions.Password = 'secret'
    DialogOptions.Description = (
      'Viewers and converters'
      'for every format')
  end
  object Docs: TInstallGroup
    Container = Install1
    Include = False
  end
  object Viewer: TSizedFile
    Container = Tools
    DestinationSpecifier = psContainerDestDir
    ArchiveSpecifier = psContainerArchiveFile
    OperatingSystems = [osNT5, osNT6]
    InstallTypes = [it1, it2]
  end
end
)";

TEST_F(TreeTest, AHandWrittenProjectLoadsIntoAWorkingTree) {
    std::unique_ptr<TComponent> project = ReadForm(kProject, "project.tfm", Registry());
    auto& driver = Find<StandInDriver>(*project, "Install1");
    auto& tools = Find<TInstallGroup>(*project, "Tools");
    auto& viewer = Find<TCustomInstallFile>(*project, "Viewer");
    // Same-type siblings end up in reverse form order: each goes before its kind.
    EXPECT_EQ(HelperNames(driver), (std::vector<std::string>{"Docs", "Tools"}));
    EXPECT_EQ(HelperNames(tools), (std::vector<std::string>{"Viewer"}));
    EXPECT_EQ(viewer.GetDestination(), "C:\\Program Files\\Acme\\Tools");
    EXPECT_EQ(viewer.GetArchiveFile(), "A:\\files.1");
    EXPECT_EQ(viewer.OperatingSystems, (TNumberSet{4, 6}));
    EXPECT_FALSE(viewer.NetFile());
    EXPECT_TRUE(tools.NetFile());
    EXPECT_FALSE(tools.DialogOptions().AllowChangeDir);
    EXPECT_TRUE(tools.DialogOptions().HasPassword);
    EXPECT_EQ(tools.DialogOptions().Description().Count(), 2);
    EXPECT_FALSE(Find<TInstallGroup>(*project, "Docs").Include);
    // The form names no specifiers: the tree made them, one of each and one per container.
    EXPECT_NE(project->FindComponent("psProgramFiles"), nullptr);
    EXPECT_EQ(tools.FileContainerSpecifier()->ExpandPath(project.get()),
              "C:\\Program Files\\Acme\\Tools");

    tools.SetInstallType(1);
    driver.Install();
    EXPECT_TRUE(viewer.Installed);
}

TEST_F(TreeTest, AWrittenFormReadsBackToTheSameTree) {
    StandInDriver* driver = Driver();
    auto* first = Make<TFileContainer>("Folder1");
    auto* second = Make<TFileContainer>("Folder2");
    auto* group = Make<TInstallGroup>("Group1");
    auto* file = Make<SizedFile>("File1", 5);
    first->SetContainer(driver);
    second->SetContainer(driver);
    group->SetContainer(driver);
    file->SetContainer(second);
    second->SetSubPath("\\Data");
    second->CaptionText = "Data files";
    group->InstallTypes = {0, 7};
    group->DialogOptions().SetPassword("it's");
    driver->SetArchiveSpecifier(StandardSpecifier<paths::TpsMainArchiveFile>());
    form->SetName("SetupForm");

    const std::string text = WriteForm(*form, Registry());
    EXPECT_NE(text.find("    InstallTypes = [it0, it7]\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("OperatingSystems"), std::string::npos); // defaults are not written
    form.reset();
    ASSERT_EQ(InstallContainerList()->Count(), 0);

    std::unique_ptr<TComponent> again = ReadForm(text, "setup.tfm", Registry());
    EXPECT_EQ(WriteForm(*again, Registry()), text);
    auto& driver2 = Find<StandInDriver>(*again, "Install1");
    EXPECT_EQ(HelperNames(driver2), (std::vector<std::string>{"Group1", "Folder2", "Folder1"}));
    auto& second2 = Find<TFileContainer>(*again, "Folder2");
    EXPECT_EQ(second2.FileContainerSpecifier(), again->FindComponent("psFileContainer2"));
    EXPECT_EQ(second2.FileContainerSpecifier()->FileContainer(), &second2);
    EXPECT_EQ(Find<TCustomInstallFile>(*again, "File1").GetDestination(),
              "C:\\Program Files\\Acme\\Data");
    EXPECT_EQ(Find<TInstallGroup>(*again, "Group1").DialogOptions().Password(), "it's");
    // Only the stored specifiers are left: the ones the constructors made gave way to them.
    for (int i = 0; i < again->ComponentCount(); ++i)
        EXPECT_EQ(again->Components(i)->Name().rfind("nameClash", 0), std::string::npos);
}

TEST_F(TreeTest, ABadProjectIsRefusedNamingTheLine) {
    const auto error = [](const std::string& text) {
        try {
            ReadForm(text, "project.tfm", Registry());
        } catch (const EFormError& e) {
            return e.Message();
        }
        return std::string("(read)");
    };
    std::string bad = kProject;
    bad.replace(bad.find("    Include = False"), 19, "    Inclde = False");
    EXPECT_NE(error(bad).find("19"), std::string::npos) << error(bad);
    EXPECT_NE(error(bad).find("Inclde"), std::string::npos);
    bad = kProject;
    bad.replace(bad.find("Container = Tools"), 17, "Container = Tolls");
    EXPECT_NE(error(bad).find("Tolls"), std::string::npos);
    bad = kProject;
    bad.replace(bad.find("[osNT5, osNT6]"), 14, "[osNT5, osMac]");
    EXPECT_NE(error(bad).find("osMac"), std::string::npos);
    bad = kProject;
    bad.replace(bad.find("Container = Tools"), 17, "Container = Viewer");
    EXPECT_NE(error(bad).find("Circular reference"), std::string::npos) << error(bad);
    EXPECT_EQ(InstallContainerList()->Count(), 0); // nothing is kept of a refused form
}

} // namespace
