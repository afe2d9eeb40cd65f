// The specifier base class, the process-wide lists, the standard set and the path pair.
#include "InstallDoubles.h"
#include "paths/PathPair.h"
#include "paths/StandardSpecifiers.h"
#include "support/TempMachine.h"

#include <gtest/gtest.h>

using namespace tarn;
using namespace tarn::paths;
using tarn::test::FakeInstall;
using tarn::test::FakeNode;
using tarn::test::TempMachine;

namespace {

struct Specifiers : ::testing::Test {
    TempMachine machine;
    PathSpecifierUnit unit;
    std::unique_ptr<TComponent> form = std::make_unique<TComponent>(nullptr);
};

TEST_F(Specifiers, BaseWithoutHandlerExpandsToNothing) {
    auto* custom = Create<TCustomPathSpecifier>(form.get());
    auto* holder = Create<TComponent>(form.get());
    EXPECT_EQ(custom->ExpandPath(holder), "");
    EXPECT_EQ(custom->Identifier(), "");
    EXPECT_EQ(custom->GetDescription(), "Unspecified");
    EXPECT_EQ(custom->GetCaption(), "Unspecified");
    EXPECT_EQ(custom->GetObjectCaption(holder), "Unspecified");
    EXPECT_NO_THROW(custom->CheckObject(nullptr));

    TPathPair pair;
    pair.SetSpecifier(*holder, custom);
    pair.SetSubPath(*holder, "\\MyApplication\\");
    EXPECT_EQ(pair.Expand(*holder), "\\MyApplication");
}

TEST_F(Specifiers, PairAppendsTheRelativePathUnchanged) {
    auto* custom = Create<TCustomPathSpecifier>(form.get());
    TComponent* seen = nullptr;
    custom->OnExpandPath = [&](TComponent* object, std::string& path) {
        seen = object;
        path = "C:\\Program Files";
    };
    auto* holder = Create<TComponent>(form.get());
    TPathPair pair;
    pair.SetSpecifier(*holder, custom);
    pair.SetSubPath(*holder, "\\MyApplication\\");
    EXPECT_EQ(pair.Expand(*holder), "C:\\Program Files\\MyApplication");
    EXPECT_EQ(seen, holder);
    pair.SetSubPath(*holder, "MyApp");
    EXPECT_EQ(pair.Expand(*holder), "C:\\Program FilesMyApp");
    pair.SetSubPath(*holder, "\\\\");
    EXPECT_EQ(pair.Expand(*holder), "C:\\Program Files\\"); // only one backslash goes

    TPathPair bare;
    bare.SetSubPath(*holder, "D:\\Data\\");
    EXPECT_EQ(bare.Expand(*holder), "D:\\Data");
}

TEST_F(Specifiers, FileSpecifierPairsKeepNoRelativePathExceptWhileLoading) {
    FakeInstall install(nullptr);
    auto* archive = Create<TpsMainArchiveFile>(form.get());
    auto* node = Create<FakeNode>(form.get(), "File1", FakeNode::Kind::Other);
    TPathPair pair;
    pair.SetSubPath(*node, "\\sub");
    pair.SetSpecifier(*node, archive);
    EXPECT_EQ(pair.SubPath(), "");
    pair.SetSubPath(*node, "\\again");
    EXPECT_EQ(pair.SubPath(), "");
    EXPECT_EQ(pair.Expand(*node), "A:\\files.1");

    node->BeginLoading();
    pair.SetSubPath(*node, "\\stored");
    EXPECT_EQ(pair.SubPath(), "\\stored");
    node->EndLoading();
}

TEST_F(Specifiers, AssigningChecksTheHolderFirstAndKeepsThePairOnRefusal) {
    auto* destDir = Create<TpsContainerDestDir>(form.get());
    auto* plain = Create<TComponent>(form.get());
    plain->SetName("Plain");
    TPathPair pair;
    EXPECT_THROW(pair.SetSpecifier(*plain, destDir), IEPathSpecifier);
    EXPECT_EQ(pair.Specifier(), nullptr);
    plain->BeginLoading(); // stored as it is while loading
    pair.SetSpecifier(*plain, destDir);
    plain->EndLoading();
    EXPECT_EQ(pair.Specifier(), destDir);
    EXPECT_THROW(pair.Expand(*plain), IEPathSpecifier); // and refused at every expansion
}

TEST_F(Specifiers, InstancesJoinAndLeaveTheListsInCreationOrder) {
    auto* custom = Create<TCustomPathSpecifier>(form.get());
    auto* system = Create<TpsSystem>(form.get());
    auto* window = Create<TpsWindow>(form.get());
    ASSERT_EQ(PathSpecifierList()->Count(), 3);
    EXPECT_EQ(PathSpecifierList()->Items(0), custom);
    EXPECT_EQ(PathSpecifierList()->Items(2), window);
    ASSERT_EQ(StandardPathSpecList()->Count(), 2);
    EXPECT_EQ(StandardPathSpecList()->Items(0), system);
    delete system;
    EXPECT_EQ(PathSpecifierList()->Count(), 2);
    EXPECT_EQ(StandardPathSpecList()->Count(), 1);
    EXPECT_EQ(StandardPathSpecList()->Items(0), window);
    EXPECT_THROW(StandardPathSpecList()->Items(1), Exception);
    form.reset();
    EXPECT_EQ(PathSpecifierList()->Count(), 0);
}

TEST_F(Specifiers, ListErrorsChangeNothing) {
    auto* custom = Create<TCustomPathSpecifier>(form.get());
    try {
        PathSpecifierList()->Add(nullptr);
        FAIL();
    } catch (const IEPathSpecifierList& e) {
        EXPECT_EQ(e.Message(), "Tried to add a nil object to the path specifier list");
    }
    try {
        PathSpecifierClassList()->Add(nullptr);
        FAIL();
    } catch (const IEPathSpecifierClassList& e) {
        EXPECT_EQ(e.Message(), "Tried to add a nil object to the path specifier list");
    }
    EXPECT_EQ(PathSpecifierList()->Count(), 1);
    EXPECT_EQ(PathSpecifierClassList()->Count(), 15);
    TCustomPathSpecifier outsider(nullptr);
    PathSpecifierList()->Remove(&outsider);
    PathSpecifierList()->Remove(&outsider); // not there any more: nothing happens
    EXPECT_EQ(PathSpecifierList()->Count(), 1);
    EXPECT_EQ(PathSpecifierList()->Items(0), custom);
    try {
        StandardPathSpecList()->FindByClass(PathSpecifierClassOf<TStandardPathSpecifier>());
        FAIL();
    } catch (const IEPathSpecifier& e) {
        EXPECT_EQ(e.Message(), "Could not find the path specifier");
    }
}

TEST_F(Specifiers, StandardClassesAreRegisteredInTheirOrder) {
    const char* expected[] = {"TpsBDEDLL",
                              "TpsCommonFiles",
                              "TpsContainerArchiveFile",
                              "TpsContainerDestDir",
                              "TpsDesktopMenu",
                              "TpsInstallSource",
                              "TpsMainInstall",
                              "TpsProgramFiles",
                              "TpsProgramMenu",
                              "TpsProgramMenuAllUsers",
                              "TpsStartMenu",
                              "TpsStartupMenu",
                              "TpsSystem",
                              "TpsMainArchiveFile",
                              "TpsWindow"};
    ASSERT_EQ(PathSpecifierClassList()->Count(), 15);
    for (int i = 0; i < 15; ++i)
        EXPECT_EQ(PathSpecifierClassList()->Items(i)->name, expected[i]);
}

TEST_F(Specifiers, StandardSetIsNamedByIdentifierAndMadeOncePerProcess) {
    CreateStandardSpecifiers(form.get(), true);
    ASSERT_EQ(form->ComponentCount(), 15);
    for (int i = 0; i < 15; ++i) {
        auto* specifier = dynamic_cast<TCustomPathSpecifier*>(form->Components(i));
        ASSERT_NE(specifier, nullptr);
        EXPECT_EQ(specifier->Name(), specifier->Identifier());
        EXPECT_EQ(specifier->ClassName(), PathSpecifierClassList()->Items(i)->name);
        EXPECT_EQ(StandardPathSpecList()->Items(i), specifier);
    }
    EXPECT_EQ(form->Components(13)->Name(), "psMainArchiveFile");
    auto* first =
        StandardPathSpecList()->FindByClass(PathSpecifierClassOf<TStandardPathSpecifier>());
    EXPECT_EQ(first->ClassName(), "TpsBDEDLL");
    EXPECT_EQ(StandardPathSpecList()->FindByClass(PathSpecifierClassOf<TpsProgramFiles>()),
              form->FindComponent("psProgramFiles"));

    auto second = std::make_unique<TComponent>(nullptr);
    CreateStandardSpecifiers(second.get(), true);
    EXPECT_EQ(second->ComponentCount(), 0);
    CreateStandardSpecifiers(nullptr, false);
    EXPECT_EQ(PathSpecifierList()->Count(), 15);

    delete form->FindComponent("psSystem");
    CreateStandardSpecifiers(second.get(), true); // only the missing one
    ASSERT_EQ(second->ComponentCount(), 1);
    EXPECT_EQ(second->Components(0)->Name(), "psSystem");

    form.reset();
    CreateStandardSpecifiers(second.get(), true);
    EXPECT_EQ(second->ComponentCount(), 15);
}

TEST_F(Specifiers, CreatingTheSetAgainWithoutTheFlagOnTheSameOwnerLeavesNoStrayInstance) {
    CreateStandardSpecifiers(form.get(), false);
    EXPECT_THROW(CreateStandardSpecifiers(form.get(), false), EComponentError);
    EXPECT_EQ(form->ComponentCount(), 15);
    EXPECT_EQ(PathSpecifierList()->Count(), 15);
}

TEST(SpecifierUnit, ListsLiveFromTheFirstInitializeToTheLastFinalize) {
    EXPECT_EQ(PathSpecifierList(), nullptr);
    auto outer = std::make_unique<PathSpecifierUnit>();
    auto* list = PathSpecifierList();
    ASSERT_NE(list, nullptr);
    auto* survivor = new TpsSystem(nullptr);
    {
        PathSpecifierUnit inner;
        EXPECT_EQ(PathSpecifierList(), list);
        EXPECT_EQ(PathSpecifierClassList()->Count(), 15); // registered once
    }
    EXPECT_EQ(PathSpecifierList(), list);
    EXPECT_EQ(list->Count(), 1);
    outer.reset();
    EXPECT_EQ(PathSpecifierList(), nullptr);
    EXPECT_EQ(StandardPathSpecList(), nullptr);
    EXPECT_EQ(PathSpecifierClassList(), nullptr);
    delete survivor;          // finds no list and skips the removal
    FinalizePathSpecifiers(); // one too many: nothing happens
    CreateStandardSpecifiers(nullptr, true);
}

} // namespace
