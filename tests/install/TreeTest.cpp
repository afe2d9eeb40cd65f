// The tree's rules on a tree built in code: helper order, circular references, containers and
// their defaults, destruction, selection and the install walk with its events in order.
#include "TreeFixture.h"
#include "install/cmp_TInstallContainer_Library.h"
#include "routines/routines_Text.h"

using namespace tarn;
using namespace tarn::install;
using namespace tarn::test;

namespace {

std::vector<std::string> HelperNames(const TInstallContainer& node) {
    std::vector<std::string> names;
    for (TInstallObject* h : node.Helpers())
        names.push_back(h->Name());
    return names;
}

// A database-engine installer: whatever its type, it goes first.
class EngineInstaller : public RecordingObject {
public:
    using RecordingObject::RecordingObject;
    std::string_view ClassName() const override { return "TInstallBde"; }
};

using Names = std::vector<std::string>;

TEST_F(TreeTest, HelpersAreKeptByRegisteredTypeWithNewcomersBeforeTheirKind) {
    StandInDriver* driver = Driver();
    auto* file = Make<SizedFile>("File1", 10);
    auto* group = Make<TInstallGroup>("Group1");
    auto* first = Make<TFileContainer>("Folder1");
    file->SetContainer(driver);
    group->SetContainer(driver);
    first->SetContainer(driver);
    EXPECT_EQ(HelperNames(*driver), (Names{"Group1", "Folder1", "File1"}));

    auto* second = Make<TFileContainer>("Folder2");
    second->SetContainer(driver);
    auto* engine = Make<EngineInstaller>("Engine", nullptr, 9000);
    engine->SetContainer(driver);
    EXPECT_EQ(HelperNames(*driver), (Names{"Engine", "Group1", "Folder2", "Folder1", "File1"}));
    EXPECT_EQ(driver->FileContainerCount(), 3); // a group is a file container
    EXPECT_EQ(driver->FileContainers(1), second);
    EXPECT_EQ(driver->HelperOfClass<TCustomInstallFile>(0), file);
    EXPECT_EQ(Message<IEInstallContainer>([&] { driver->HelperOfClass<TCustomInstallFile>(1); }),
              "Bad call to the Comp procedure which returns a TInstallObject for a "
              "TInstallContainer component. The parameters are probably reversed. Index: 1, "
              "ComponentType: 2000");
    EXPECT_EQ(Message<IEInstallContainer>([&] { driver->Helper(5); }),
              "Tried to reference a helper component in the following component: Install1. The "
              "following index was used: 5");
    EXPECT_EQ(Message<IEInstallContainer>([&] { driver->AddHelper(nullptr); }),
              "Cannot add a blank base helper component to Install1");

    // Added twice, the node is listed twice; when it goes, no entry is left behind.
    driver->AddHelper(file);
    EXPECT_EQ(driver->HelperCount(), 6);
    delete file;
    EXPECT_EQ(HelperNames(*driver), (Names{"Engine", "Group1", "Folder2", "Folder1"}));
}

TEST_F(TreeTest, ACircularReferenceIsRefusedAndChangesNothing) {
    StandInDriver* driver = Driver();
    auto* outer = Make<TInstallGroup>("Outer");
    auto* inner = Make<TInstallGroup>("Inner");
    auto* innermost = Make<TInstallGroup>("Innermost");
    outer->SetContainer(driver);
    inner->SetContainer(outer);
    innermost->SetContainer(inner);

    for (TInstallContainer* target :
         {static_cast<TInstallContainer*>(outer), static_cast<TInstallContainer*>(innermost)}) {
        EXPECT_EQ(Message<IEInstallContainer>([&] { outer->SetContainer(target); }),
                  "Circular reference");
        EXPECT_EQ(outer->GetContainer(), driver);
        EXPECT_EQ(HelperNames(*driver), (Names{"Outer"}));
        EXPECT_EQ(HelperNames(*target), target == outer ? Names{"Inner"} : Names{});
    }
}

TEST_F(TreeTest, GroupsLiveInGroupsOrTheInstallComponentOnly) {
    StandInDriver* driver = Driver();
    auto* folder = Make<TFileContainer>("Folder");
    auto* group = Make<TInstallGroup>("Group");
    folder->SetContainer(driver);
    group->SetContainer(driver);
    EXPECT_EQ(Message<IEInstallGroup>([&] { group->SetContainer(folder); }),
              "A TInstallGroup component can only be contained by a TInstall, or another "
              "TInstallGroup component");
    EXPECT_EQ(group->GetContainer(), driver);
    EXPECT_EQ(HelperNames(*folder), Names{});

    auto* loose = Make<TInstallGroup>("Loose");
    loose->SetContainer(nullptr); // none means the install component
    EXPECT_EQ(loose->GetContainer(), driver);
}

TEST_F(TreeTest, DestinationsAndArchivesFollowTheContainers) {
    StandInDriver* driver = Driver();
    auto* group = Make<TInstallGroup>("Tools");
    auto* file = Make<SizedFile>("Viewer", 10);
    group->SetContainer(driver);
    group->SetSubPath("\\Tools\\");
    file->SetContainer(group);
    file->SetSubPath("\\Bin");
    EXPECT_EQ(group->GetDestination(), "C:\\Program Files\\Acme\\Tools");
    EXPECT_EQ(file->GetDestination(), "C:\\Program Files\\Acme\\Tools\\Bin");
    ASSERT_NE(group->FileContainerSpecifier(), nullptr);
    EXPECT_EQ(group->FileContainerSpecifier()->ExpandPath(form.get()),
              "C:\\Program Files\\Acme\\Tools");
    EXPECT_EQ(Message<paths::IEPathSpecifier>(
                  [&] { file->SetDestinationSpecifier(group->FileContainerSpecifier()); }),
              "A file container cannot reference another file container or group");

    driver->SetArchiveSpecifier(StandardSpecifier<paths::TpsMainArchiveFile>());
    EXPECT_EQ(group->GetArchiveFile(), "A:\\files.1");
    EXPECT_EQ(file->GetArchiveFile(), "A:\\files.1");
    // Taken out of its container, a node drops the container-relative specifiers.
    file->SetContainer(nullptr);
    EXPECT_EQ(file->DestinationSpecifier(), nullptr);
    EXPECT_EQ(file->ArchiveSpecifier(), nullptr);
    EXPECT_EQ(file->GetDestination(), "\\Bin");
}

TEST_F(TreeTest, DestroyingAContainerFreesItsFilesAndSpecifierAndLetsGoOfTheRest) {
    StandInDriver* driver = Driver();
    auto* folder = Make<TFileContainer>("Folder");
    auto* other = Make<TFileContainer>("Other");
    // The install component, a file container too, has the first name.
    EXPECT_EQ(driver->FileContainerSpecifier()->Name(), "psFileContainer");
    EXPECT_EQ(folder->FileContainerSpecifier()->Name(), "psFileContainer1");
    EXPECT_EQ(other->FileContainerSpecifier()->Name(), "psFileContainer2");
    folder->SetContainer(driver);
    auto* file = Make<SizedFile>("File1", 1);
    auto* object = Make<RecordingObject>("Object");
    auto* sub = Make<TFileContainer>("Sub");
    file->SetContainer(folder);
    object->SetContainer(folder);
    sub->SetContainer(folder);
    object->ExclusiveHelper = nullptr;
    folder->ExclusiveHelper = object;
    const int files = InstallFileList()->Count();

    delete folder;
    EXPECT_EQ(form->FindComponent("File1"), nullptr);
    EXPECT_EQ(form->FindComponent("psFileContainer1"), nullptr);
    EXPECT_EQ(InstallFileList()->Count(), files - 1);
    EXPECT_EQ(object->GetContainer(), nullptr);
    EXPECT_EQ(sub->GetContainer(), nullptr);
    EXPECT_EQ(HelperNames(*driver), Names{});
    // The whole form goes without a dangling reference (checked under the sanitizers).
    form.reset();
    EXPECT_EQ(InstallContainerList()->Count(), 0);
}

TEST_F(TreeTest, DesignTimeDefaultsAreUndoneByLoadedUnlessConfirmed) {
    StandInDriver* driver = Driver();
    DesignOverride = true;
    auto* kept = Make<TFileContainer>("Kept");
    auto* dropped = Make<TFileContainer>("Dropped");
    auto* group = Make<TInstallGroup>("Group");
    DesignOverride = false;
    for (TFileContainer* node : {kept, dropped, static_cast<TFileContainer*>(group)}) {
        EXPECT_EQ(node->GetContainer(), driver);
        EXPECT_TRUE(dynamic_cast<paths::TpsContainerDestDir*>(node->DestinationSpecifier()));
        EXPECT_TRUE(dynamic_cast<paths::TpsContainerArchiveFile*>(node->ArchiveSpecifier()));
        node->BeginLoading();
    }
    // What a stored form confirms, it sets while loading.
    kept->SetContainer(driver);
    kept->SetDestinationSpecifier(StandardSpecifier<paths::TpsContainerDestDir>());
    for (TFileContainer* node : {kept, dropped, static_cast<TFileContainer*>(group)})
        node->EndLoading();

    EXPECT_EQ(kept->GetContainer(), driver);
    EXPECT_NE(kept->DestinationSpecifier(), nullptr);
    EXPECT_EQ(kept->ArchiveSpecifier(), nullptr); // not confirmed
    EXPECT_EQ(dropped->GetContainer(), nullptr);
    EXPECT_EQ(dropped->DestinationSpecifier(), nullptr);
    // A group let go at run time goes back to the install component, with its defaults.
    EXPECT_EQ(group->GetContainer(), driver);
    EXPECT_EQ(HelperNames(*driver), (Names{"Group", "Kept"}));
}

struct InstallWalk : TreeTest {
    std::vector<std::string> log;
    StandInDriver* driver = nullptr;

    void SetUp() override {
        driver = Driver();
        Make<RecordingObject>("Watcher", &log)->SetContainer(driver);
    }
    void Watch(TInstallContainer* node) {
        const std::string name = node->Name();
        node->OnBeforeProcess = [this, name](TComponent&) { log.push_back(name + " before"); };
        node->OnIncluded = [this, name](TComponent&) { log.push_back(name + " included"); };
        node->OnAfterProcess = [this, name](TComponent&) { log.push_back(name + " after"); };
    }
};

TEST_F(InstallWalk, EventsAndNotificationsComeInOrderAndTheNodeIsRecorded) {
    auto* folder = Make<TFileContainer>("Folder");
    auto* object = Make<RecordingObject>("Object", &log);
    folder->SetContainer(driver);
    object->SetContainer(folder);
    Watch(driver);
    Watch(folder);
    driver->OnInstallDone = [this](TFileContainer& c, bool aborted) {
        log.push_back(c.Name() + " done " + (aborted ? "aborted" : "whole"));
    };
    driver->Install();
    EXPECT_EQ(log,
              (Names{"Install1 before", "Watcher -990 from Install1", "Install1 included",
                     "Watcher -999 from Install1", "Watcher -992 from Install1", "Folder before",
                     "Object -990 from Folder", "Folder included", "Object -999 from Folder",
                     "Object -992 from Folder", "Object -996 from Folder", "Folder after",
                     "Object -989 from Folder", "Watcher -996 from Install1", "Install1 done whole",
                     "Install1 after", "Watcher -989 from Install1"}));
    EXPECT_TRUE(folder->Installed && object->Installed);
    EXPECT_EQ(folder->Operation, 0);
    EXPECT_EQ(object->recordedUnder,
              "\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Acme Tools");
}

TEST_F(InstallWalk, SelectionByOperatingSystemAndInstallType) {
    machine->SetWindowsVersion(platform::VER_PLATFORM_WIN32_WINDOWS, 4, 10); // Windows 98: code 7
    auto* ntOnly = Make<TFileContainer>("NtOnly");
    auto* anyType = Make<TFileContainer>("AnyType");
    auto* noType = Make<TFileContainer>("NoType");
    for (TFileContainer* node : {ntOnly, anyType, noType}) {
        node->SetContainer(driver);
        Watch(node);
    }
    ntOnly->OperatingSystems = {2, 6};
    anyType->InstallTypes = {};
    noType->InstallTypes = {};
    driver->SetInstallType(3);
    noType->InstallType = 0;
    driver->Install();

    EXPECT_FALSE(ntOnly->Include);
    EXPECT_FALSE(ntOnly->Installed);
    EXPECT_TRUE(anyType->Installed); // type 3 means every install type
    EXPECT_FALSE(noType->Installed);
    const auto has = [this](const std::string& line) {
        return std::find(log.begin(), log.end(), line) != log.end();
    };
    EXPECT_TRUE(has("NtOnly before"));
    EXPECT_FALSE(has("NtOnly included"));
    EXPECT_TRUE(has("NoType included"));
    EXPECT_FALSE(has("NoType after"));
    EXPECT_TRUE(has("AnyType after"));
    // A node of a current Windows (code 4) installs by default.
    machine->SetWindowsVersion(platform::VER_PLATFORM_WIN32_NT, 10, 0);
    auto* current = Make<TFileContainer>("Current");
    current->SetContainer(driver);
    current->Install();
    EXPECT_TRUE(current->Installed);
}

TEST_F(InstallWalk, AnAbortInOneHandlerStopsThatNodeOnly) {
    auto* first = Make<TFileContainer>("First");
    auto* second = Make<TFileContainer>("Second");
    first->SetContainer(driver);
    second->SetContainer(driver);
    Watch(first);
    Watch(second);
    first->OnIncluded = [](TComponent&) { throw EAbort("stop"); };
    second->OnIncluded = [this](TComponent&) { log.push_back("Second included"); };
    driver->Install();
    EXPECT_FALSE(first->Installed);
    EXPECT_TRUE(second->Installed);
    EXPECT_TRUE(driver->Installed);
    EXPECT_EQ(std::count(log.begin(), log.end(), "First after"), 0);

    // Any other error passes on, and the container is idle again afterwards.
    second->OnIncluded = [](TComponent&) { throw Exception("broken"); };
    EXPECT_THROW(driver->Install(), Exception);
    EXPECT_EQ(driver->Operation, 0);
}

TEST_F(InstallWalk, WhileTheInstallRunsANodeWaitsForItsContainer) {
    auto* folder = Make<TFileContainer>("Folder");
    auto* object = Make<RecordingObject>("Object", &log);
    folder->SetContainer(driver);
    object->SetContainer(folder);
    driver->running = true;
    object->Install();
    EXPECT_FALSE(object->Installed);
    driver->Install();
    EXPECT_TRUE(object->Installed);
}

} // namespace
