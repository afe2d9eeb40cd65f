// The fifteen standard specifiers: texts, checks and expansion rules against stand-ins for the
// install component and the containers.
#include "InstallDoubles.h"
#include "paths/StandardSpecifiers.h"
#include "routines/routines_Registry.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

using namespace tarn;
using namespace tarn::paths;
using tarn::test::FakeInstall;
using tarn::test::FakeNode;
using tarn::test::TempMachine;
using Kind = tarn::paths::IInstallNode::Kind;

namespace {

struct Standard : ::testing::Test {
    TempMachine machine;
    PathSpecifierUnit unit;
    std::unique_ptr<TComponent> form = std::make_unique<TComponent>(nullptr);

    template <class T> T* Make() { return Create<T>(form.get()); }
    FakeNode* Node(const std::string& name, Kind kind, bool fileRelated = true) {
        return Create<FakeNode>(form.get(), name, kind, fileRelated);
    }
    template <class E, class F> std::string Message(F&& call) {
        try {
            call();
        } catch (const E& e) {
            return e.Message();
        }
        return "(no error)";
    }
};

struct Texts {
    std::string identifier, description, caption;
};

TEST_F(Standard, IdentifiersDescriptionsAndCaptions) {
    CreateStandardSpecifiers(form.get(), false);
    const Texts expected[] = {
        {"psBDEDLL", "Borland Database Engine DLL Path", "BDE DLL"},
        {"psCommonFiles", "Path of the common files directory under the program files directory",
         "Common files"},
        {"psContainerArchiveFile", "Path to the archive file of the container",
         "Container archive file"},
        {"psContainerDestDir", "Path of the group (container)", "Path of the group (container)"},
        {"psDesktopMenu", "Path of the Desktop", "Desktop"},
        {"psInstallSource", "Path from which the user ran the install", "Install source"},
        {"psMainInstall", "Main installation directory", "Main install dir"},
        {"psProgramFiles", "Path of the program files directory", "Program files"},
        {"psProgramMenu", "Path of the Programs folder under the Start Menu", "Program menu"},
        {"psProgramMenuAllUsers", "Path of the Programs folder under the Start Menu for all users",
         "Program menu all"},
        {"psStartMenu", "Path of Start Menu", "Start menu"},
        {"psStartupMenu", "Path of the Startup folder in the Programs folder under the Start Menu",
         "Startup menu"},
        {"psSystem", "Path of system directory", "System dir"},
        {"psMainArchiveFile", "Archive containing most or all non-internet installation files",
         "Main archive"},
        {"psWindow", "Path of the Windows directory", "Windows dir"},
    };
    for (int i = 0; i < 15; ++i) {
        auto* s = dynamic_cast<TCustomPathSpecifier*>(form->Components(i));
        EXPECT_EQ(s->Identifier(), expected[i].identifier);
        EXPECT_EQ(s->GetDescription(), expected[i].description);
        EXPECT_EQ(s->GetCaption(), expected[i].caption);
        EXPECT_EQ(s->GetObjectDescription(nullptr), expected[i].description);
    }
}

TEST_F(Standard, SystemAndWindowsFolders) {
    EXPECT_EQ(Make<TpsSystem>()->ExpandPath(nullptr), "C:\\WINDOWS\\SYSTEM32");
    EXPECT_EQ(Make<TpsWindow>()->ExpandPath(nullptr), "C:\\WINDOWS");
}

TEST_F(Standard, DatabaseEngineFolderIsTheFirstOfTheListAndKeepsItsBackslash) {
    auto* bde = Make<TpsBDEDLL>();
    EXPECT_EQ(bde->ExpandPath(nullptr), "C:\\Program Files\\Borland\\Common Files\\BDE");
    WriteRegistryString(4, "\\Software\\Borland\\Database Engine", "DLLPath",
                        "D:\\BDE\\;E:\\Other");
    EXPECT_EQ(bde->ExpandPath(nullptr), "D:\\BDE\\");
    WriteRegistryString(4, "\\Software\\Borland\\Database Engine", "DLLPath", "");
    EXPECT_EQ(bde->ExpandPath(nullptr), "C:\\Program Files\\Borland\\Common Files\\BDE");
}

TEST_F(Standard, InstallSpecifiersNeedTheInstallComponent) {
    auto* group = Node("Group1", Kind::Group);
    for (TCustomPathSpecifier* s : std::initializer_list<TCustomPathSpecifier*>{
             Make<TpsInstallSource>(), Make<TpsMainInstall>(), Make<TpsMainArchiveFile>()})
        EXPECT_EQ(Message<IEPathSpecifier>([&] { s->ExpandPath(group); }),
                  "There is no TInstall component so the path specifier could not be expanded "
                  "for Group1");
}

TEST_F(Standard, InstallSourceAndMainInstall) {
    FakeInstall install(nullptr);
    install.sourceDir = "A:\\";
    install.destination = "C:\\Program Files\\MyApplication\\";
    auto* group = Node("Group1", Kind::Group);
    EXPECT_EQ(Make<TpsInstallSource>()->ExpandPath(group), "A:");
    auto* mainInstall = Make<TpsMainInstall>();
    EXPECT_EQ(mainInstall->ExpandPath(group), "C:\\Program Files\\MyApplication");
    EXPECT_EQ(Message<IEPathSpecifier>([&] { mainInstall->ExpandPath(&install); }),
              "Cannot use the ddMainInstallDir path specifier for a TInstall component");
}

TEST_F(Standard, MainArchiveFile) {
    FakeInstall install(nullptr);
    install.sourceDir = "D:\\Setup";
    auto* group = Node("Group1", Kind::Group);
    auto* archive = Make<TpsMainArchiveFile>();
    EXPECT_EQ(archive->ArchiveFolder, "");
    EXPECT_EQ(archive->ExpandPath(group), "D:\\Setup\\files.1");
    archive->ArchiveFolder = "  ";
    EXPECT_EQ(archive->ExpandPath(group), "D:\\Setup\\files.1");
    archive->ArchiveFolder = "B:\\Disk2";
    EXPECT_EQ(archive->ExpandPath(group), "B:\\Disk2\\files.1");
    archive->ArchiveFolder = "B:\\";
    EXPECT_EQ(archive->ExpandPath(group), "B:\\files.1");
    archive->ArchiveFolder.clear();
    install.sourceDir = "A:\\";
    EXPECT_EQ(archive->ExpandPath(group), "A:\\files.1");
    install.sourceDir = "D:\\Setup";

    install.selfExtracting = true;
    install.selfExtractName = " Setup.exe";
    EXPECT_EQ(archive->ExpandPath(group), "D:\\Setup\\ Setup.exe"); // the value as given
    install.selfExtractName = "  ";
    EXPECT_EQ(Message<IEInstall>([&] { archive->ExpandPath(group); }),
              "You forgot to pass in the name of the self-extracting executable. Usage example: "
              "\"-eSetup.exe\"");
}

TEST_F(Standard, ContainerArchiveFileChecks) {
    auto* s = Make<TpsContainerArchiveFile>();
    auto* plain = Create<TComponent>(form.get());
    plain->SetName("Button1");
    EXPECT_EQ(Message<IEPathSpecifier>([&] { s->ExpandPath(plain); }),
              "Button1 must be a TInstallObject to use the psContainerArchiveFile path specifier");
    auto* file = Node("File1", Kind::Other);
    EXPECT_EQ(Message<IEPathSpecifier>([&] { s->ExpandPath(file); }),
              "Cannot use ddContainerArchiveFile for File1 unless you assign a Container");
    auto* group = Node("Group1", Kind::Group, false);
    file->container = group;
    EXPECT_EQ(Message<IEPathSpecifier>([&] { s->ExpandPath(file); }),
              "Cannot use the ddContainerArchiveFile path specifier for File1 because the "
              "Container is not a TFileRelated descendant");
    auto* files = Node("Files1", Kind::FileContainer);
    files->archive = "A:\\files.1\\";
    file->container = files;
    EXPECT_EQ(s->ExpandPath(file), "A:\\files.1");
}

TEST_F(Standard, ContainerDestDir) {
    auto* s = Make<TpsContainerDestDir>();
    auto* plain = Create<TComponent>(form.get());
    plain->SetName("Button1");
    EXPECT_EQ(Message<IEPathSpecifier>([&] { s->ExpandPath(plain); }),
              "Button1 must be a TInstallObject to use the psContainerDestDir path specifier");
    auto* file = Node("File1", Kind::Other);
    EXPECT_EQ(Message<IEPathSpecifier>([&] { s->CheckObject(file); }),
              "Cannot use ddContainerDestDir for File1 unless you assign a Container");
    // Texts for an object that cannot use it: the plain description, no error.
    EXPECT_EQ(s->GetObjectCaption(file), "Path of the group (container)");
    EXPECT_EQ(s->GetObjectDescription(plain), "Path of the group (container)");
    EXPECT_EQ(s->GetObjectCaption(nullptr), "Path of the group (container)");

    auto* group = Node("Group1", Kind::Group, false);
    group->caption = "Tools";
    group->destination = "C:\\Tools\\";
    file->container = group;
    EXPECT_EQ(s->ExpandPath(file), "C:\\Tools");
    EXPECT_EQ(s->GetObjectDescription(file), "Path of the <Tools> group");
    EXPECT_EQ(s->GetObjectCaption(file), "<Tools>");

    auto* files = Node("Files1", Kind::FileContainer);
    files->caption = "Help files";
    file->container = files;
    EXPECT_EQ(s->GetObjectDescription(file), "Path of the <Help files> directory");
    EXPECT_EQ(s->GetObjectCaption(file), "<Help files>");

    FakeInstall install(nullptr);
    file->container = &install;
    EXPECT_EQ(s->GetObjectDescription(file), "Main installation directory");
    EXPECT_EQ(s->GetObjectCaption(file), "Main installation directory");

    auto* other = Node("Other1", Kind::Other);
    other->caption = "ignored";
    file->container = other;
    EXPECT_EQ(s->GetObjectDescription(file), "Path of the <Other1> group");
    EXPECT_EQ(s->GetObjectCaption(file), "<Other1>");
}

} // namespace
