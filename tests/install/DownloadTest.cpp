// A node's archive downloaded from the loopback HTTP server through the location it finds,
// remembered in the install run's record and not fetched again, and stopped by the user.
#include "TreeFixture.h"
#include "platform/ForwardingDownloads.h"
#include "routines/cmp_TTarnRegistry.h"
#include "routines/routines_Registry.h"
#include "support/LoopbackServer.h"
#include "support/servers/ServedFiles.h"

using namespace tarn;
using namespace tarn::install;
using namespace tarn::test;

namespace {

class CountingDownloads : public platform::ForwardingDownloads {
public:
    using ForwardingDownloads::ForwardingDownloads;
    platform::DownloadOutcome Fetch(const platform::DownloadRequest& request,
                                    const platform::DownloadSink& sink,
                                    const platform::DownloadProgress& progress) override {
        ++fetches;
        return ForwardingDownloads::Fetch(request, sink, progress);
    }
    int fetches = 0;
};

struct Downloads : TreeTest {
    CountingDownloads counting{platform::Downloads()};
    platform::ScopedPlatform counted{[this] {
        platform::Services s;
        s.downloads = &counting;
        return s;
    }()};
    StandInDriver* driver = nullptr;
    TNetInstallLocation* location = nullptr;

    void SetUp() override {
        NetInstallAborted = false;
        driver = Driver();
        location = Make<TNetInstallLocation>("Net1");
        location->HostName = "127.0.0.1";
        location->Port = SharedTestServers().http.Port();
        location->LoginInformation.Protocol = 1;
        location->LoginInformation.RootDirectory = "pub";
        location->LoginInformation.Directory = "files";
        DefaultNetLocation = location;
        InstallRecordKey = "\\SOFTWARE\\Tarnwell\\Install\\Install0";
    }
    void TearDown() override {
        DefaultNetLocation = nullptr;
        NetInstallAborted = false;
        InstallRecordKey.clear();
    }
    std::string Recorded(const std::string& name) {
        std::string value;
        ReadRegistryString(rcLocalMachine, InstallRecordKey + "\\" + name, "LocalFile", value, "");
        return value;
    }
};

TEST_F(Downloads, AnArchiveIsFetchedOnceAndRememberedForTheNextRun) {
    if (!SharedTestServers().http.Running()) GTEST_SKIP() << SharedTestServers().http.Reason();
    auto* archive = Make<TFileContainer>("archive"); // fetches archive.1
    archive->SetContainer(driver);
    std::int64_t lastDone = -1, lastSize = -2;
    archive->OnDownloadStatus = [&](TComponent&, const std::string&, std::int32_t,
                                    std::int64_t size, std::int64_t done, std::int32_t) {
        lastSize = size;
        lastDone = done;
    };
    EXPECT_FALSE(archive->IsArchiveLocal());
    archive->Download();
    ASSERT_EQ(counting.fetches, 1);
    EXPECT_EQ(archive->LocalFile.substr(archive->LocalFile.size() - 2), ".1");
    EXPECT_TRUE(ReadHostFile(machine.Host(archive->LocalFile)) ==
                served::Content(served::kArchive));
    EXPECT_EQ(lastDone, lastSize);
    EXPECT_EQ(Recorded("archive"), archive->LocalFile);
    EXPECT_EQ(archive->GetLocalArchive(), archive->LocalFile);
    EXPECT_EQ(location->OnProgress, nullptr); // the slot is free again

    // The next run of the install finds the archive where the first one put it.
    const std::string first = archive->LocalFile;
    delete archive;
    auto* again = Make<TFileContainer>("archive");
    again->SetContainer(driver);
    EXPECT_TRUE(again->IsArchiveLocal());
    again->Download();
    EXPECT_EQ(counting.fetches, 1);
    EXPECT_EQ(again->LocalFile, first);
}

TEST_F(Downloads, AnAbortedDownloadLeavesNothingAndSaysTheUserStoppedIt) {
    if (!SharedTestServers().http.Running()) GTEST_SKIP() << SharedTestServers().http.Reason();
    auto* archive = Make<TFileContainer>("archive");
    archive->SetContainer(driver);
    archive->OnDownloadStatus = [](TComponent&, const std::string&, std::int32_t, std::int64_t,
                                   std::int64_t done, std::int32_t) {
        if (done > 0) NetInstallAborted = true;
    };
    EXPECT_THROW(archive->Download(), EAIUserAbort);
    EXPECT_TRUE(archive->LocalFile.empty());
    EXPECT_EQ(Recorded("archive"), "");
    for (const auto& [path, content] : SnapshotMachineFolder(machine.Folder()))
        EXPECT_EQ(path.find(".1"), std::string::npos) << path;
}

TEST_F(Downloads, TheLocationIsFoundUpTheTreeOrTheDownloadIsRefused) {
    auto* folder = Make<TFileContainer>("Folder");
    auto* file = Make<SizedFile>("File");
    auto* loose = Make<SizedFile>("Loose");
    auto* holder = Make<RecordingObject>("Holder");
    auto* held = Make<SizedFile>("Held");
    folder->SetContainer(driver);
    file->SetContainer(folder);
    holder->SetContainer(driver);
    held->SetContainer(holder);
    EXPECT_EQ(file->FindNetLocation(), location);
    EXPECT_EQ(loose->FindNetLocation(), location);
    EXPECT_EQ(held->FindNetLocation(), nullptr); // its container is not a file container
    EXPECT_EQ(Message<IEFileRel_NoNetLocation>([&] { held->NetPath(); }),
              "Could not find a net install location for Held");
    EXPECT_EQ(Message<Exception>([&] { held->Download(); }),
              "Could not find a net install location for Held");

    location->LoginInformation.RootDirectory = "ftp/pub:x";
    location->LoginInformation.Directory = "new \"files?\"";
    EXPECT_EQ(file->NetPath(), "ftp-pubx\\new files");
    location->LoginInformation.RootDirectory = " ";
    EXPECT_EQ(file->NetPath(), "HTTP Root directory\\new files");

    location->LoginInformation.Anonymous = true;
    location->LoginInformation.Directory = " ";
    EXPECT_EQ(Message<IEFileRelated>([&] { folder->Download(); }),
              "Folder could not install itself because the LoginInformation property of the "
              "TInstall component has not been properly filled in");
    folder->SetNetLocation(location);
    EXPECT_EQ(Message<IEFileRelated>([&] { folder->Download(); }),
              "Folder could not install itself because the TNetLocation component's properties, "
              "in the NetLocation property, have not been filled in");
    EXPECT_EQ(counting.fetches, 0);
    // A location that goes away is forgotten by the nodes that named it.
    delete location;
    EXPECT_EQ(folder->NetLocation(), nullptr);
    EXPECT_EQ(DefaultNetLocation, nullptr);
}

} // namespace
