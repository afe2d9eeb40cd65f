// The install file's property rules on files made from source paths: what the extension, the
// version resource, the kind and the destination specifier set, the container rules and the
// identifier table.
#include "../version/PeWriter.h"
#include "TreeFixture.h"
#include "framework/FormReader.h"
#include "framework/FormWriter.h"
#include "install/cmp_TInstallContainer_InstallFile.h"

#include <memory>

using namespace tarn;
using namespace tarn::install;
using namespace tarn::test;

namespace {

TClassRegistry& Classes() {
    return TestClasses();
}

struct InstallFileRules : TreeTest {
    TInstallFile* FromSource(const std::string& name, const std::string& path) {
        TInstallFile* file = TInstallFile::CreateFromFile(form.get(), path);
        file->SetName(name);
        return file;
    }
    void WriteSource(const std::string& path, const std::string& content) {
        WriteHostFile(machine.Host(path), content);
    }
};

TEST_F(InstallFileRules, AHelpFileIsMarkedAndKeepsItsNameAndItsPlace) {
    TInstallFile* file = FromSource("Help", "C:\\Src\\Help.HLP");
    EXPECT_EQ(file->SourceDirectory, "C:\\Src");
    EXPECT_EQ(file->SourceFileName, "Help.HLP");
    EXPECT_EQ(file->DestFileName(), "Help.HLP");
    EXPECT_EQ(file->ArchiveMemberName(), "C:\\Src\\Help.HLP");
    EXPECT_TRUE(file->HelpFile);
    EXPECT_FALSE(file->RegisterActiveX());
    EXPECT_EQ(file->FileKind(), fkOrdinary);
    EXPECT_EQ(file->Overwrite, version::owAlways);
    EXPECT_FALSE(file->HasOwnArchive());
}

TEST_F(InstallFileRules, AControlGoesToTheSystemFolderSharedAndStaysThereWhenItsKindGoesBack) {
    TInstallFile* file = FromSource("Grid", "C:\\Src\\Grid.ocx");
    EXPECT_TRUE(file->RegisterActiveX());
    EXPECT_EQ(file->FileKind(), fkWindowsSystem);
    EXPECT_NE(dynamic_cast<paths::TpsSystem*>(file->DestinationSpecifier()), nullptr);
    EXPECT_EQ(file->SubPath(), "");
    EXPECT_TRUE(file->SharedFile);
    EXPECT_EQ(file->Overwrite, version::owVersionDate);
    EXPECT_TRUE(file->HasOwnArchive());

    file->SetFileKind(fkOrdinary);
    EXPECT_EQ(file->FileKind(), fkOrdinary);
    EXPECT_TRUE(file->SharedFile);
    EXPECT_EQ(file->Overwrite, version::owVersionDate);
    EXPECT_NE(dynamic_cast<paths::TpsSystem*>(file->DestinationSpecifier()), nullptr);

    file->SetFileKind(fkCommonSystem);
    EXPECT_NE(dynamic_cast<paths::TpsCommonFiles*>(file->DestinationSpecifier()), nullptr);
    EXPECT_EQ(file->SubPath(), "\\System");
}

TEST_F(InstallFileRules, TheDestinationOfALibraryDecidesItsRuleOrItsKind) {
    TInstallFile* util = FromSource("Util", "C:\\Src\\Util.dll");
    util->SetDestinationSpecifier(StandardSpecifier<paths::TpsWindow>());
    EXPECT_EQ(util->Overwrite, version::owVersionDate);
    EXPECT_EQ(util->FileKind(), fkOrdinary);
    EXPECT_FALSE(util->SharedFile);
    util->SetDestinationSpecifier(StandardSpecifier<paths::TpsSystem>());
    EXPECT_EQ(util->FileKind(), fkWindowsSystem);
    EXPECT_TRUE(util->SharedFile);

    TInstallFile* readme = FromSource("Readme", "C:\\Src\\Readme.txt");
    readme->SetDestinationSpecifier(StandardSpecifier<paths::TpsSystem>());
    EXPECT_EQ(readme->FileKind(), fkOrdinary);
    EXPECT_FALSE(readme->SharedFile);
    EXPECT_EQ(readme->Overwrite, version::owAlways);
    EXPECT_NE(dynamic_cast<paths::TpsSystem*>(readme->DestinationSpecifier()), nullptr);
}

TEST_F(InstallFileRules, AVersionResourceThatAsksForSelfRegistrationMakesAComponent) {
    VersionSpec resource;
    resource.translations = {{0x0409, 0x04E4}};
    resource.tables = {{"040904E4", {{"FileVersion", u"1.0"}, {"OLESelfRegister", u""}}}};
    WriteSource("C:\\Src\\Server.dll", AsString(BuildPeWithVersion(resource, false, true).bytes));
    resource.tables = {{"040904E4", {{"FileVersion", u"1.0"}}}};
    WriteSource("C:\\Src\\Plain.dll", AsString(BuildPeWithVersion(resource, false, true).bytes));
    // The value is looked up in the table of the first translation only.
    resource.translations = {{0x0407, 0x04E4}};
    resource.tables = {{"040904E4", {{"OLESelfRegister", u""}}}};
    WriteSource("C:\\Src\\Other.dll", AsString(BuildPeWithVersion(resource, false, true).bytes));

    TInstallFile* server = FromSource("Server", "C:\\Src\\Server.dll");
    EXPECT_TRUE(server->HasOLESelfRegister());
    EXPECT_TRUE(server->RegisterActiveX());
    EXPECT_EQ(server->FileKind(), fkWindowsSystem);
    EXPECT_FALSE(FromSource("Plain", "C:\\Src\\Plain.dll")->RegisterActiveX());
    EXPECT_FALSE(FromSource("Other", "C:\\Src\\Other.dll")->RegisterActiveX());
}

TEST_F(InstallFileRules, AReadOnlySourceGivesItsAttributeAndANewNameTakesItAgain) {
    WriteSource("C:\\Src\\Data.bin", "data");
    WriteSource("C:\\Src\\Other.bin", "other");
    platform::Files().SetAttributes("C:\\Src\\Data.bin", platform::FILE_ATTRIBUTE_READONLY);
    TInstallFile* file = FromSource("Data", "C:\\Src\\Data.bin");
    EXPECT_EQ(file->Attributes, TFileAttributeSet{faReadOnly});
    file->SetSourceFileName("Other.bin");
    EXPECT_TRUE(file->Attributes.Empty());
    EXPECT_EQ(file->DestFileName(), "Other.bin");
}

TEST_F(InstallFileRules, OnlyFileContainersHoldFilesAndNeverTwoOfOneSource) {
    StandInDriver* driver = Driver();
    auto* folder = Make<TFileContainer>("Folder");
    auto* other = Make<TFileContainer>("Other");
    auto* object = Make<RecordingObject>("Object");
    folder->SetContainer(driver);
    other->SetContainer(driver);
    TInstallFile* first = TInstallFile::CreateInContainer(form.get(), folder, "C:\\Src\\App.exe");
    EXPECT_EQ(first->GetContainer(), folder);
    EXPECT_EQ(first->FullDestination(), "C:\\Program Files\\Acme\\App.exe");

    TInstallFile* second = FromSource("Second", "C:\\SRC\\app.EXE");
    EXPECT_EQ(Message<IEfcDuplicateFile>([&] { second->SetContainer(folder); }),
              "There is already a file with the name :C:\\SRC\\app.EXE");
    EXPECT_EQ(second->GetContainer(), nullptr);
    second->SetContainer(other);
    EXPECT_EQ(second->GetContainer(), other);
    second->SetName("Second");
    EXPECT_EQ(Message<IECustomInstallFile>([&] { second->SetContainer(object); }),
              "The following TInstallFile component Second requires the Container property to be "
              "a component descended from the TFileContainer component");
    EXPECT_EQ(second->GetContainer(), other);
}

TEST_F(InstallFileRules, IdentifiersAreTheLowestFreeAndRunOutAtTwoThousand) {
    std::vector<std::unique_ptr<TInstallFile>> files;
    std::string refused;
    for (int i = 0; i <= TInstallFileId::kCount && refused.empty(); ++i) {
        try {
            files.push_back(std::make_unique<TInstallFile>(nullptr));
        } catch (const IECustomInstallFile& e) {
            refused = e.Message();
        }
    }
    EXPECT_EQ(refused,
              "Cannot create another install file: the limit of 2,000 install files was reached");
    ASSERT_FALSE(files.empty());
    const std::size_t made = files.size();
    std::vector<bool> seen(TInstallFileId::kCount);
    for (const auto& f : files) {
        ASSERT_GE(f->UniqueID(), 0);
        ASSERT_LT(f->UniqueID(), TInstallFileId::kCount);
        EXPECT_FALSE(seen[static_cast<std::size_t>(f->UniqueID())]) << f->UniqueID();
        seen[static_cast<std::size_t>(f->UniqueID())] = true;
    }
    // The freed identifier is the next one given.
    const int freed = files[made / 2]->UniqueID();
    files.erase(files.begin() + static_cast<std::ptrdiff_t>(made / 2));
    files.push_back(std::make_unique<TInstallFile>(nullptr));
    EXPECT_EQ(files.back()->UniqueID(), freed);
    files.clear();
    EXPECT_EQ(TInstallFile(nullptr).UniqueID(), 0);
}

TEST_F(InstallFileRules, AStoredFileKeepsItsIdentifierAndItsSettings) {
    StandInDriver* driver = Driver();
    TInstallFile* file = TInstallFile::CreateInContainer(form.get(), driver, "C:\\Src\\Grid.ocx");
    file->SetName("Grid");
    file->SetSubPath("\\Bin");
    TInstallFile* later = FromSource("Later", "C:\\Src\\Later.txt");
    const int id = later->UniqueID();
    delete file; // leaves a lower identifier free: a fresh file would get another one
    later->SetContainer(driver);
    later->SetDestFileName("Renamed.txt");
    later->Overwrite = version::owAsk;
    form->SetName("SetupForm");
    const std::string text = WriteForm(*form, Classes());
    EXPECT_NE(text.find("UniqueID = " + std::to_string(id)), std::string::npos) << text;
    form.reset();

    std::unique_ptr<TComponent> again = ReadForm(text, "setup.tfm", Classes());
    auto* read = dynamic_cast<TInstallFile*>(again->FindComponent("Later"));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->UniqueID(), id);
    EXPECT_EQ(read->DestFileName(), "Renamed.txt");
    EXPECT_EQ(read->SourceFileName, "Later.txt");
    EXPECT_EQ(read->Overwrite, version::owAsk);
    EXPECT_EQ(read->FullDestination(), "C:\\Program Files\\Acme\\Renamed.txt");
    // A file made now does not get the loaded file's identifier.
    EXPECT_NE(TInstallFile(nullptr).UniqueID(), id);
}

} // namespace
