// Building the install tree into archives on the embedded machine, the archives read back
// through the archive component.
#include "TreeFixture.h"
#include "archive/cmp_TTarnCompress.h"
#include "framework/FileExists.h"
#include "framework/MemoryStream.h"
#include "install/cmp_TInstallContainer_Build.h"

#include <cstring>

using namespace tarn;
using namespace tarn::install;
using namespace tarn::test;

namespace {

struct Member {
    std::string name;
    int fileId;
    friend bool operator==(const Member&, const Member&) = default;
};

std::vector<Member> Members(const std::string& archiveFile) {
    archive::TTarnCompress compress(nullptr);
    compress.SetCompressedFile(archiveFile);
    std::vector<Member> members;
    for (int i = 0; i < compress.FileCount(); ++i) {
        const archive::TlzhFileStats stats = compress.GetFileStats(i);
        members.push_back({stats.Header.FileName, stats.Header.FileId});
    }
    return members;
}

struct Build : TreeTest {
    StandInDriver* driver = nullptr;
    TNetInstallLocation* location = nullptr;

    void SetUp() override {
        driver = Driver();
        driver->sourceDir = "C:\\Build";
        driver->SetArchiveSubPath("C:\\Out\\files.1");
        location = Make<TNetInstallLocation>("Net1");
        location->LoginInformation.RootDirectory = "pub";
        location->LoginInformation.Directory = "files";
        // Containers without a location of their own fall back to the process-wide one.
        DefaultNetLocation = location;
    }
    void TearDown() override { DefaultNetLocation = nullptr; }
    TInstallFile* Source(const std::string& name, const std::string& path,
                         TInstallContainer* container) {
        WriteHostFile(machine.Host(path), "contents of " + name);
        TInstallFile* file = TInstallFile::CreateInContainer(form.get(), container, path);
        file->SetName(name);
        return file;
    }
};

TEST_F(Build, EveryFileOfTheTreeBecomesOneMemberCarryingItsUniqueId) {
    auto* sub = Make<TFileContainer>("Tools");
    sub->SetContainer(driver);
    TInstallFile* app = Source("App", "C:\\Src\\App.exe", driver);
    TInstallFile* tool = Source("Tool", "C:\\Src\\Tool.exe", sub);
    TInstallFile* extra = Source("Extra", "C:\\Src\\Extra.txt", sub);
    extra->Include = false;
    // A stale archive of an earlier build is replaced, not added to.
    WriteHostFile(machine.Host("C:\\Out\\files.1"), "stale");

    driver->Compress(DriverCompressOptions(0));
    // In the order of the helper lists: containers before files, the latest of a kind first.
    EXPECT_EQ(Members("C:\\Out\\files.1"),
              (std::vector<Member>{{"C:\\Src\\Extra.txt", extra->UniqueID()},
                                   {"C:\\Src\\Tool.exe", tool->UniqueID()},
                                   {"C:\\Src\\App.exe", app->UniqueID()}}));
    EXPECT_EQ(app->CompressState, 2);
    EXPECT_EQ(extra->CompressState, 2);
    EXPECT_FALSE(extra->Include);
}

TEST_F(Build, ArchivesElsewhereMoveBelowTheBuildFolderAndAreRestoredAfterAnError) {
    // Made first, built last: the latest helper of a kind comes first.
    TInstallFile* failing = Source("Failing", "C:\\Src\\C.txt", driver);
    TInstallFile* fromSource = Source("FromSource", "C:\\Src\\A.txt", driver);
    fromSource->SetArchiveSpecifier(StandardSpecifier<paths::TpsInstallSource>());
    fromSource->SetArchiveSubPath("\\Disk\\a.1");
    TInstallFile* far = Source("Far", "C:\\Src\\B.txt", driver);
    far->SetArchiveSpecifier(nullptr);
    far->SetArchiveSubPath("D:\\Elsewhere\\b.1");
    failing->Include = false;
    bool includedWhileBuilt = false;
    bool appendedWhileBuilt = false;
    failing->OnBeforeCompress = [&](TComponent&) {
        includedWhileBuilt = failing->Include;
        appendedWhileBuilt = failing->AppendToArchive;
        throw Exception("injected");
    };
    ASSERT_EQ(fromSource->GetArchiveFile(), "C:\\Build\\Disk\\a.1");

    EXPECT_EQ(Message<Exception>([&] { driver->Compress(DriverCompressOptions(2)); }), "injected");
    EXPECT_EQ(Members("C:\\Out\\Disk\\a.1"),
              (std::vector<Member>{{"C:\\Src\\A.txt", fromSource->UniqueID()}}));
    EXPECT_EQ(Members("C:\\Out\\Elsewhere\\b.1"),
              (std::vector<Member>{{"C:\\Src\\B.txt", far->UniqueID()}}));
    EXPECT_TRUE(includedWhileBuilt);
    EXPECT_TRUE(appendedWhileBuilt);

    EXPECT_TRUE(dynamic_cast<paths::TpsInstallSource*>(fromSource->ArchiveSpecifier()));
    EXPECT_EQ(fromSource->ArchiveSubPath(), "\\Disk\\a.1");
    EXPECT_EQ(far->ArchiveSpecifier(), nullptr);
    EXPECT_EQ(far->ArchiveSubPath(), "D:\\Elsewhere\\b.1");
    EXPECT_TRUE(dynamic_cast<paths::TpsContainerArchiveFile*>(failing->ArchiveSpecifier()));
    EXPECT_FALSE(failing->AppendToArchive);
    EXPECT_FALSE(failing->Include);
    EXPECT_EQ(failing->Operation, 0);
    EXPECT_EQ(driver->Operation, 0);
}

TEST_F(Build, ANameTheNetListCannotHoldIsRefusedBeforeAnythingIsWritten) {
    auto* sub = Make<TFileContainer>("Tools");
    sub->SetContainer(driver);
    Source("App", "C:\\Src\\App.exe", driver);
    const std::string longName(40, 'N');
    Source(longName, "C:\\Src\\Long.exe", sub);
    EXPECT_EQ(Message<IECustomInstallFile>([&] { driver->Compress(DriverCompressOptions(0)); }),
              "The install file " + longName +
                  " cannot be built: its name has 40 characters and the net file list holds at "
                  "most 39");
    EXPECT_FALSE(FileExists("C:\\Out\\files.1"));
}

TEST_F(Build, TheNetListRecordHoldsSizeDateNameAndVersionInEightyBytes) {
    TInstallFile* file = Source(std::string(39, 'F'), "C:\\Src\\App.exe", driver);
    file->FileSize = 0x01020304;
    file->FileDate = 45000.5;
    file->Version = "1.2.3.4";
    TMemoryStream stream;
    WriteNetListRecord(*file, stream);
    ASSERT_EQ(stream.Size(), 80);
    const std::uint8_t* bytes = stream.Memory();
    EXPECT_EQ(bytes[0], 0x04);
    EXPECT_EQ(bytes[3], 0x01);
    double date = 0;
    std::memcpy(&date, bytes + 8, 8);
    EXPECT_EQ(date, 45000.5);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes + 16)), std::string(39, 'F'));
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(bytes + 56)), "1.2.3.4");
}

TEST_F(Build, ForcedNetFilesGoToNetArchivesThatARebuildStartsAfresh) {
    TInstallFile* shared = Source("Shared", "C:\\Src\\Shared.txt", driver);
    TInstallFile* versioned = Source("Versioned", "C:\\Src\\Versioned.dll", driver);
    versioned->Overwrite = version::owVersion;
    for (int build = 0; build < 2; ++build)
        driver->Compress(DriverCompressOptions(1));
    EXPECT_EQ(driver->LocalFile, "C:\\Out\\pub\\files\\Install1.1");
    EXPECT_EQ(Members("C:\\Out\\pub\\files\\Install1.1"),
              (std::vector<Member>{{"C:\\Src\\Shared.txt", shared->UniqueID()}}));
    EXPECT_EQ(Members("C:\\Out\\pub\\files\\Versioned.1"),
              (std::vector<Member>{{"C:\\Src\\Versioned.dll", versioned->UniqueID()}}));
    EXPECT_FALSE(FileExists("C:\\Out\\files.1"));
}

} // namespace
