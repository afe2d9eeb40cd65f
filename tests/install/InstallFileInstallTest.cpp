// A file's install on the embedded machine: the overwrite decision with real version resources,
// a destination in use (a delayed move on NT, WININIT.INI on Windows 98), the shared count and
// the uninstall record read back as the uninstaller reads it.
#include "../version/PeWriter.h"
#include "TreeFixture.h"
#include "archive/ArchivePaths.h"
#include "archive/cmp_TTarnCompress.h"
#include "framework/FileExists.h"
#include "framework/StringList.h"
#include "install/cmp_TInstallContainer_InstallFile.h"
#include "platform/ScriptedUserInterface.h"
#include "routines/cmp_TTarnRegistry.h"
#include "routines/routines_API.h"
#include "routines/routines_Registry.h"
#include "routines/routines_Text.h"

using namespace tarn;
using namespace tarn::install;
using namespace tarn::test;

namespace {

// The install component with the side a file's install talks to.
class FileDriver : public StandInDriver, public IFileInstallDriver {
public:
    using StandInDriver::StandInDriver;
    int DistributeType() const override { return 0; }
    std::string ArchiveFile() const override { return archiveFile; }
    void SetRebootNeeded() override { rebootNeeded = true; }
    void AddUnfinished(const std::string& item, int kind) override {
        unfinished.push_back(item + ":" + std::to_string(kind));
    }
    std::string archiveFile;
    bool rebootNeeded = false;
    std::vector<std::string> unfinished;
};

const std::string kRecord = std::string(kUninstallKey) + "Acme Tools";
const std::string kTarget = "C:\\Program Files\\Acme\\App.dll";

std::string VersionedImage(std::uint16_t major) {
    VersionSpec resource;
    resource.fileVersion = {major, 0, 0, 0};
    return AsString(BuildPeWithVersion(resource, false, true).bytes);
}

// Each key the uninstaller visits, Files, Files1, ... up to the first missing one, with its file
// entries in the order the registry lists them.
std::vector<std::vector<std::string>> RecordedFiles() {
    std::vector<std::vector<std::string>> keys;
    for (int i = 0;; ++i) {
        TtarnRegistry record;
        SetRootByCode(record, rcLocalMachine);
        if (!record.OpenKey(kRecord + "\\Files" + (i ? std::to_string(i) : ""), false)) break;
        TStringList names;
        record.GetValueNames(names);
        std::vector<std::string> entries;
        for (int k = 0; k < names.Count(); ++k)
            if (names[k] != "Entries") entries.push_back(record.ReadString(names[k]));
        keys.push_back(entries);
    }
    return keys;
}

std::string ReadValue(const std::string& key, const std::string& name) {
    TtarnRegistry registry;
    SetRootByCode(registry, rcLocalMachine);
    if (!registry.OpenKey(key, false)) return "(no key)";
    return registry.ValueExists(name) ? registry.ReadString(name) : "(no value)";
}

struct FileInstall : TreeTest {
    platform::ScriptedUserInterface ui;
    platform::ScopedPlatform scripted{[this] {
        platform::Services s;
        s.ui = &ui;
        return s;
    }()};
    FileDriver* driver = nullptr;

    void SetUp() override {
        driver = Make<FileDriver>("Install1");
        driver->sourceDir = "C:\\Build\\";
        driver->SetArchiveSpecifier(StandardSpecifier<paths::TpsMainArchiveFile>());
        driver->archiveFile = "C:\\Build\\files.1";
    }
    // A file of the install component whose source is packed into the archive.
    TInstallFile* Packed(const std::string& name, const std::string& source,
                         const std::string& content) {
        WriteHostFile(machine.Host(source), content);
        TInstallFile* file = TInstallFile::CreateInContainer(form.get(), driver, source);
        file->SetName(name);
        archive::TTarnCompress compress(nullptr);
        compress.SetCompressedFile(driver->archiveFile);
        compress.FilesToProcess().Add(source);
        compress.AddFiles(true, file->UniqueID());
        return file;
    }
    std::string Target(const std::string& path = kTarget) {
        return ReadHostFile(machine.Host(path));
    }
};

TEST_F(FileInstall, TheVersionRuleKeepsANewerDestinationAndReplacesAnOlderOne) {
    TInstallFile* file = Packed("App", "C:\\Src\\App.dll", VersionedImage(2));
    file->Overwrite = version::owVersion;
    file->Version = "2.0.0.0";
    WriteHostFile(machine.Host(kTarget), VersionedImage(3));
    file->Install();
    EXPECT_TRUE(file->DestinationExisted);
    EXPECT_FALSE(file->CopyThisFile);
    EXPECT_EQ(Target(), VersionedImage(3));
    EXPECT_TRUE(file->Installed);

    WriteHostFile(machine.Host(kTarget), VersionedImage(1));
    file->Install();
    EXPECT_TRUE(file->CopyThisFile);
    EXPECT_EQ(Target(), VersionedImage(2));
    EXPECT_EQ(file->Operation, 0);
    // Kept or replaced, the file belongs to the product now; the second run does not list it again.
    EXPECT_EQ(RecordedFiles(), (std::vector<std::vector<std::string>>{{kTarget}}));
    EXPECT_EQ(ReadValue(kRecord + "\\Files", "Entries"), "1");
}

TEST_F(FileInstall, AskedAndAnsweredNoTheFileIsNotCopiedButStillCountedAndRecorded) {
    TInstallFile* file = Packed("App", "C:\\Src\\App.dll", "new");
    file->Overwrite = version::owAsk;
    file->SharedFile = true;
    WriteHostFile(machine.Host(kTarget), "old");
    ui.Answer(false);
    file->Install();
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].text, "Copy This File App.dll?");
    EXPECT_EQ(Target(), "old");
    EXPECT_FALSE(file->CopyThisFile);
    TtarnRegistry shared;
    SetRootByCode(shared, rcLocalMachine);
    ASSERT_TRUE(
        shared.OpenKey("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", false));
    // No value under the short name yet: the count starts under the long one.
    EXPECT_EQ(shared.ReadInteger(kTarget), 1);
    EXPECT_EQ(RecordedFiles(), (std::vector<std::vector<std::string>>{{kTarget}}));
}

TEST_F(FileInstall, AnAbortBeforeInstallSkipsTheFileWithoutARecord) {
    TInstallFile* file = Packed("App", "C:\\Src\\App.dll", "new");
    file->OnBeforeInstall = [](TComponent&) { throw EAbort("skip"); };
    file->Install();
    EXPECT_FALSE(file->Installed);
    EXPECT_FALSE(FileExists(kTarget));
    EXPECT_TRUE(RecordedFiles().empty());
}

TEST_F(FileInstall, ABusyDestinationOnNtIsMovedIntoPlaceAtTheReboot) {
    TInstallFile* file = Packed("App", "C:\\Src\\App.dll", "new");
    WriteHostFile(machine.Host(kTarget), "old");
    machine->GetFaults().busyFiles.push_back(kTarget);
    file->Install();
    EXPECT_TRUE(file->ReplaceAtReboot);
    EXPECT_EQ(file->DestFileName(), "App.1");
    EXPECT_EQ(Target("C:\\Program Files\\Acme\\App.1"), "new");
    EXPECT_TRUE(driver->rebootNeeded);
    EXPECT_EQ(driver->unfinished, std::vector<std::string>{"App:0"});
    // Recorded under the name the restart gives it: the temporary name is gone by then.
    EXPECT_EQ(RecordedFiles(), (std::vector<std::vector<std::string>>{{kTarget}}));
    machine->GetFaults().busyFiles.clear();
    machine->Restart();
    EXPECT_EQ(Target(), "new");
}

TEST_F(FileInstall, ABusyDestinationOnWindows98GoesToWininitUnderTheNextFreeName) {
    machine->SetWindowsVersion(platform::VER_PLATFORM_WIN32_WINDOWS, 4, 10);
    TInstallFile* file = Packed("App", "C:\\Src\\App.dll", "new");
    WriteHostFile(machine.Host(kTarget), "old");
    WriteHostFile(machine.Host("C:\\Program Files\\Acme\\App.1"), "someone else's");
    machine->GetFaults().busyFiles.push_back(kTarget);
    file->Install();
    EXPECT_EQ(file->DestFileName(), "App.2");
    EXPECT_EQ(Target("C:\\Program Files\\Acme\\App.1"), "someone else's");
    EXPECT_EQ(Target("C:\\Program Files\\Acme\\App.2"), "new");
    const std::string shortTarget = GetShortPath(kTarget);
    const std::string wininit = IncludeBackslash(GetWindowsDir()) + "WININIT.INI";
    EXPECT_EQ(platform::Profile().GetString(wininit, "Rename", shortTarget, "(none)"),
              archive::ExtractFilePath(shortTarget) + "App.2");
    EXPECT_TRUE(driver->rebootNeeded);
    machine->GetFaults().busyFiles.clear();
    machine->Restart();
    EXPECT_EQ(Target(), "new");
}

TEST_F(FileInstall, ARefusedRecordKeyGivesWayToTheNextAndAControlIsRecordedWithItsKind) {
    TInstallFile* file = Packed("App", "C:\\Src\\App.dll", "new");
    TInstallFile* other = Packed("Other", "C:\\Src\\Other.dll", "other");
    TInstallFile* third = Packed("Third", "C:\\Src\\Third.dll", "third");
    file->RecordForUninstaller(kRecord);
    file->RecordForUninstaller(kRecord); // listed once
    other->RecordForUninstaller(kRecord);
    machine->GetFaults().refuseValueWriteKeys.push_back("HKEY_LOCAL_MACHINE" + kRecord + "\\Files");
    third->RecordForUninstaller(kRecord);
    EXPECT_EQ(RecordedFiles(),
              (std::vector<std::vector<std::string>>{{kTarget, other->FullDestination()},
                                                     {third->FullDestination()}}));
    EXPECT_EQ(ReadValue(kRecord + "\\Files", "Entries"), "2");
    EXPECT_EQ(ReadValue(kRecord + "\\Files1", "Entries"), "1");

    file->SetRegisterActiveX(true);
    file->RecordForUninstaller(kRecord);
    TInstallFile* server = TInstallFile::CreateFromFile(form.get(), "C:\\Src\\Server.EXE");
    server->SetRegisterActiveX(true);
    server->RecordForUninstaller(kRecord);
    EXPECT_EQ(ReadValue(kRecord + "\\ActiveX", "File1"), file->FullDestination() + ";0");
    EXPECT_EQ(ReadValue(kRecord + "\\ActiveX", "File2"), server->FullDestination() + ";1");
    EXPECT_EQ(ReadValue(kRecord + "\\ActiveX", "Entries"), "2");
}

TEST_F(FileInstall, ARecordThatNoKeyTakesIsRefusedNamingTheFile) {
    TInstallFile* file = Packed("App", "C:\\Src\\App.dll", "new");
    machine->GetFaults().refuseValueWriteKeys.push_back("HKEY_LOCAL_MACHINE" + kRecord);
    EXPECT_EQ(Message<IECustomInstallFile>([&] { file->RecordForUninstaller(kRecord); }),
              "The uninstall record could not be written for the following file :" + kTarget);
    machine->GetFaults().refuseValueWriteKeys.clear();
    // The search stopped: no key past the limit was made.
    TtarnRegistry probe;
    SetRootByCode(probe, rcLocalMachine);
    EXPECT_FALSE(probe.KeyExists(kRecord + "\\Files" + std::to_string(kRecordKeyLimit)));
}

} // namespace

namespace {

TEST_F(FileInstall, SizeDateAndVersionComeFromTheSourceOrFromTheFilesOwnMember) {
    TInstallFile* file = Packed("App", "C:\\Src\\App.dll", VersionedImage(4));
    TInstallFile* other = Packed("Other", "C:\\Src\\Other.dll", "plain");
    file->ReadInfoFromSource();
    EXPECT_EQ(file->Version, "4.0.0.0");
    EXPECT_EQ(file->FileSize, static_cast<std::int64_t>(VersionedImage(4).size()));
    EXPECT_GT(file->FileDate, 40000.0);

    // The same source in no container, reading the install component's archive.
    TInstallFile* fresh = TInstallFile::CreateFromFile(form.get(), "C:\\Src\\App.dll");
    fresh->SetArchiveSpecifier(StandardSpecifier<paths::TpsMainArchiveFile>());
    fresh->SetUniqueID(file->UniqueID());
    fresh->ReadInfoFromArchive();
    EXPECT_TRUE(fresh->InfoLoaded);
    EXPECT_EQ(fresh->Version, "4.0.0.0");
    EXPECT_EQ(fresh->FileSize, file->FileSize);
    EXPECT_GT(fresh->CompressedSize, 0);
    other->ReadInfoFromArchive();
    EXPECT_EQ(other->FileSize, 5);
    EXPECT_EQ(other->Version, "");

    // A file the archive does not hold learns nothing from another file's member.
    TInstallFile* missing = TInstallFile::CreateFromFile(form.get(), "C:\\Src\\Missing.dll");
    missing->SetContainer(driver);
    missing->ReadInfoFromArchive();
    EXPECT_FALSE(missing->InfoLoaded);
    EXPECT_EQ(missing->FileSize, 0);
    EXPECT_EQ(Message<IECustomInstallFile>([&] { missing->ReadInfoFromSource(); }),
              "Could not open or find the following file when trying to read the Size, Date, and "
              "Version :C:\\Src\\Missing.dll");
}

TEST_F(FileInstall, AnExistingShortNameCountIsRaisedInsteadOfTheLongOne) {
    TInstallFile* file = Packed("App", "C:\\Src\\App.dll", "new");
    WriteHostFile(machine.Host(kTarget), "old");
    const std::string shortName = GetShortPath(kTarget);
    ASSERT_NE(shortName, kTarget);
    WriteRegistryInteger(
        rcLocalMachine, "\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", shortName, 3);
    EXPECT_TRUE(file->IncrementSharedCount());
    TtarnRegistry shared;
    SetRootByCode(shared, rcLocalMachine);
    ASSERT_TRUE(
        shared.OpenKey("\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\SharedDLLs", false));
    EXPECT_EQ(shared.ReadInteger(shortName), 4);
    EXPECT_FALSE(shared.ValueExists(kTarget));
}

} // namespace
