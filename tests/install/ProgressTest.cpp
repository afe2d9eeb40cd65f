// Information events on their way up: progress of a file inside a group inside the install
// component, skipped files, volume requests, and the checks on what an event carries.
#include "TreeFixture.h"
#include "archive/cmp_TTarnCompress.h"
#include "platform/ScriptedUserInterface.h"

using namespace tarn;
using namespace tarn::install;
using namespace tarn::test;

namespace {

// A file whose install reports halfway and finished, as extracting its member would.
class ReportingFile : public SizedFile {
public:
    using SizedFile::SizedFile;
    void InstallHelpers() override {
        Operation = 2;
        archive::TlzhFileStats stats;
        stats.OriginalSize = FileSize;
        stats.FileBytesDone = FileSize / 2;
        stats.FilePercent = 50;
        StatusHandler(GlobalCompress(), stats);
        stats.FileBytesDone = FileSize;
        stats.FilePercent = 100;
        stats.Finished = true;
        StatusHandler(GlobalCompress(), stats);
        Operation = 0;
    }
};

struct Progress : TreeTest {
    platform::ScriptedUserInterface ui;
    platform::ScopedPlatform scripted{[this] {
        platform::Services s;
        s.ui = &ui;
        return s;
    }()};
    std::vector<std::string> log;

    void Report(TFileContainer* node) {
        node->OnFileStatus = [this, node](TCustomInstallFile& file, std::int32_t filePercent,
                                          std::int32_t totalPercent) {
            log.push_back(node->Name() + " " + file.Name() + " " + std::to_string(filePercent) +
                          " " + std::to_string(totalPercent));
        };
    }
};

TEST_F(Progress, AFileInAGroupReportsToEachContainerInItsOwnTerms) {
    StandInDriver* driver = Driver();
    auto* group = Make<TInstallGroup>("Group");
    auto* small = Make<ReportingFile>("Small", 1000, "small.dat");
    auto* large = Make<ReportingFile>("Large", 3000, "large.dat");
    group->SetContainer(driver);
    small->SetContainer(group);
    large->SetContainer(driver);
    Report(group);
    Report(driver);
    driver->Install();
    EXPECT_EQ(log,
              (std::vector<std::string>{"Group Small 50 50",    // 500 of the group's 1000
                                        "Install1 Small 50 12", // 500 of 4000: 12.5 rounds to even
                                        "Group Small 100 100", "Install1 Small 100 25",
                                        "Install1 Large 50 62", // 1000 + 1500 of 4000: 62.5
                                        "Install1 Large 100 100"}));
    EXPECT_EQ(driver->BytesDone, 4000);
    EXPECT_EQ(driver->Operation, 0);
}

TEST_F(Progress, AnIdleContainerDropsEventsAndPassesNothingOn) {
    StandInDriver* driver = Driver();
    auto* folder = Make<TFileContainer>("Folder");
    auto* file = Make<SizedFile>("File", 10);
    folder->SetContainer(driver);
    file->SetContainer(folder);
    Report(folder);
    Report(driver);
    driver->Operation = 2;
    folder->DoInformationEventControl(file, ieNotCopied, file);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(driver->BytesDone, 0);
}

TEST_F(Progress, ASkippedFileCountsAsDone) {
    auto* folder = Make<TFileContainer>("Folder");
    auto* file = Make<SizedFile>("Kept", 1000, "kept.dll");
    folder->Operation = 2;
    folder->TotalBytes = 4000;
    folder->BytesDone = 1000;
    Report(folder);
    folder->DoInformationEventControl(file, ieNotCopied, file);
    EXPECT_EQ(log, (std::vector<std::string>{"Folder Kept 100 50"}));
    EXPECT_EQ(folder->BytesDone, 2000);
}

TEST_F(Progress, MalformedReportsAreRefusedWithTheirMessages) {
    auto* folder = Make<TFileContainer>("Folder");
    auto* file = Make<SizedFile>("File", 10);
    folder->Operation = 2;
    TFileStatusParameter status;
    TDiskParameter disk;
    TMessageParameter other;
    TList one{file};
    TList noFile{&other, &status};
    TList noStatus{file, &other};
    TList noDisk{file, &other};
    TList diskNoFile{&other, &disk};
    struct Case {
        int code;
        TObject* parameter;
        std::string message;
    };
    const std::vector<Case> cases = {
        {ieBeforeReplace, nullptr, "Folder got a nil PO parameter"},
        {ieBeforeReplace, &other, "DoInformationEventControl parameter is not TInstallFile"},
        {ieExtractStatus, file, "DoInformationEventControl--PO is not a TList object"},
        {ieCopyStatus, &one, "DoInformationEventControl--Not engouh parameters for status event"},
        {ieCompressStatus, &noFile, "DoInformationEventControl says bad first parameter"},
        {ieExtractStatus, &noStatus, "DoInformationEventControl says bad second parameter"},
        {ieNewDisk, &diskNoFile, "DoInformationEventControl says bad 1 parameter"},
        {ieNewDisk, &noDisk, "DoInformationEventControl says bad 2 parameter"},
        {ieDownloadStatus, &status,
         "The PO object passed to Folder is not a TDownloadStatusParameter object"},
        {ieNotCopied, &other, "DoInformationEventControl says bad first parameter"},
        {ieInstallCancelled, nullptr, "Folder got a nil PO parameter"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Message<IEFileContainer>(
                      [&] { folder->DoInformationEventControl(file, c.code, c.parameter); }),
                  c.message)
            << c.code;
}

TEST_F(Progress, AVolumeRequestGoesToTheContainersHandlerOrElseToTheUser) {
    StandInDriver* driver = Driver();
    driver->SetArchiveSpecifier(StandardSpecifier<paths::TpsMainArchiveFile>());
    auto* folder = Make<TFileContainer>("Folder");
    auto* file = Make<SizedFile>("File", 10);
    folder->SetContainer(driver);
    file->SetContainer(folder);
    folder->Operation = 2;
    driver->Operation = 2;
    folder->OnNewDisk = [](TComponent&, int disk, std::string& path) {
        path = "B:\\disk" + std::to_string(disk) + "\\";
    };
    std::string path;
    GlobalCompress().SetAbort(false);
    file->DiskHandler(GlobalCompress(), 2, path);
    EXPECT_EQ(path, "B:\\disk2");
    EXPECT_TRUE(ui.Boxes().empty());
    EXPECT_EQ(file->Tag(), 0);
    EXPECT_EQ(StandardSpecifier<paths::TpsMainArchiveFile>()->ArchiveFolder, "B:\\disk2");

    folder->OnNewDisk = nullptr;
    StandardSpecifier<paths::TpsMainArchiveFile>()->ArchiveFolder.clear();
    ui.Answer(false); // Cancel
    file->DiskHandler(GlobalCompress(), 3, path);
    ASSERT_EQ(ui.Boxes().size(), 1u);
    EXPECT_EQ(ui.Boxes()[0].text, "Please insert disk #3");
    EXPECT_EQ(path, "A:");
    EXPECT_TRUE(GlobalCompress().Abort());
    GlobalCompress().SetAbort(false);
}

TEST(RoundedPercent, HalvesGoToEvenAndLargeSizesDoNotOverflow) {
    EXPECT_EQ(RoundedPercent(1, 8), 12);
    EXPECT_EQ(RoundedPercent(3, 8), 38);
    EXPECT_EQ(RoundedPercent(1, 3), 33);
    EXPECT_EQ(RoundedPercent(2, 3), 67);
    EXPECT_EQ(RoundedPercent(0, 0), 0);
    EXPECT_EQ(RoundedPercent(5, 0), 0);
    EXPECT_EQ(RoundedPercent(52'428'800, 104'857'600), 50);
    EXPECT_EQ(RoundedPercent(3'000'000'000LL, 4'000'000'000LL), 75);
    EXPECT_EQ(RoundedPercent(5'000'000'000LL, 4'000'000'000LL), 125);
}

} // namespace
