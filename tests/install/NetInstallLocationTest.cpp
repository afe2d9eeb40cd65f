// A net install location downloading from the loopback test servers into files of an embedded
// machine, and the location's login rules, list and stored form.
#include "framework/FormReader.h"
#include "framework/FormWriter.h"
#include "install/cmp_TNetInstallLocation.h"
#include "platform/Platform.h"
#include "support/LoopbackServer.h"
#include "support/TempMachine.h"
#include "support/servers/ServedFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace tarn::test {
namespace {

using namespace install;
namespace served = test::served;

struct Report {
    std::int32_t status;
    std::int64_t total;
    std::int64_t done;
};

class NetInstallLocationTest : public ::testing::Test {
protected:
    void SetUp() override {
        NetInstallAborted = false;
        ASSERT_EQ(platform::Files().CreateDirectory("C:\\Downloads"), platform::ERROR_SUCCESS);
        location->HostName = "127.0.0.1";
        location->LoginInformation.RootDirectory = "pub";
        location->LoginInformation.Directory = "files";
        location->OnProgress = [this](TCustomNetInstallLocation& sender, const std::string& name,
                                      std::int32_t status, std::int64_t total, std::int64_t done,
                                      std::int32_t) {
            EXPECT_EQ(&sender, location.get());
            names.push_back(name);
            reports.push_back({status, total, done});
        };
    }
    void TearDown() override { NetInstallAborted = false; }

    // False, with the test marked failed or to be skipped, when the server is not there.
    static bool Check(const LoopbackServer& server, std::string& skip) {
        if (server.Broken()) ADD_FAILURE() << "the test server did not start: " << server.Reason();
        if (server.Unavailable()) skip = server.Reason();
        return server.Running();
    }
    void OverHttp(const std::string& root = "pub") {
        location->LoginInformation.Protocol = 1;
        location->LoginInformation.RootDirectory = root;
        location->Port = SharedTestServers().http.Port();
    }
    std::filesystem::path Host(const std::string& path) const { return machine.Host(path); }

    // How often the HTTP server was asked for path (through the service, as a client would).
    static int Hits(const std::string& path) {
        platform::DownloadRequest request;
        request.protocol = platform::DownloadProtocol::Http;
        request.host = "127.0.0.1";
        request.port = SharedTestServers().http.Port();
        request.remotePath = "/hits" + path;
        std::string text;
        platform::Downloads().Fetch(request,
                                    [&text](const char* data, std::size_t size) {
                                        text.append(data, size);
                                        return true;
                                    },
                                    {});
        return text.empty() ? -1 : std::stoi(text);
    }

    TempMachine machine;
    NetInstallLocationUnit unit;
    std::unique_ptr<TNetInstallLocation> location = std::make_unique<TNetInstallLocation>(nullptr);
    std::vector<std::string> names;
    std::vector<Report> reports;
    std::string skip;
};

#define NEED(server)                                                                               \
    do {                                                                                           \
        if (!Check(server, skip)) {                                                                \
            if (!skip.empty()) GTEST_SKIP() << skip;                                               \
            return;                                                                                \
        }                                                                                          \
    } while (false)

TEST_F(NetInstallLocationTest, HttpDownloadWritesTheWholeFileWithThrottledProgress) {
    NEED(SharedTestServers().http);
    OverHttp();
    const auto start = std::chrono::steady_clock::now();
    location->DownloadFile("archive.1", "C:\\Downloads\\archive.1");
    const auto elapsed = std::chrono::steady_clock::now() - start;

    EXPECT_TRUE(ReadHostFile(Host("C:\\Downloads\\archive.1")) ==
                served::Content(served::kArchive));
    EXPECT_FALSE(std::filesystem::exists(Host("C:\\Downloads\\archive.1.part")));
    ASSERT_GE(reports.size(), 2u);
    const Report last = reports.back();
    EXPECT_EQ(last.status, 2);
    EXPECT_EQ(last.total, static_cast<std::int64_t>(served::kArchive.size));
    EXPECT_EQ(last.done, last.total);
    for (std::size_t i = 0; i + 1 < reports.size(); ++i) {
        EXPECT_EQ(reports[i].status, 1);
        if (i > 0) {
            EXPECT_LE(reports[i - 1].done, reports[i].done);
        }
    }
    EXPECT_EQ(names.front(), "archive.1");
    // One report for each 64 KiB, or for each 100 ms the download took, and the first.
    const auto slow = std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count() / 100;
    const auto allowed = static_cast<std::size_t>(served::kArchive.size / 65536 + 2 + slow);
    EXPECT_LE(reports.size() - 1, allowed) << "progress is reported for every block";
}

TEST_F(NetInstallLocationTest, FtpDownloadWithLoginReplacesTheOldFile) {
    NEED(SharedTestServers().ftp);
    WriteHostFile(Host("C:\\Downloads\\archive.1"), "an older download");
    location->Port = SharedTestServers().ftp.Port();
    location->LoginInformation.Anonymous = false;
    location->LoginInformation.UserName = served::kUser;
    location->LoginInformation.Password = served::kPassword;
    location->DownloadFile("archive.1", "C:\\Downloads\\archive.1");
    EXPECT_TRUE(ReadHostFile(Host("C:\\Downloads\\archive.1")) ==
                served::Content(served::kArchive));
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back().status, 2);
}

TEST_F(NetInstallLocationTest, AbortMidDownloadKeepsTheOldFileAndLeavesNoTemporary) {
    NEED(SharedTestServers().http);
    // The stalling path delivers a first block and then nothing: the stop comes mid-file.
    OverHttp("stall");
    location->LoginInformation.Directory = "";
    WriteHostFile(Host("C:\\Downloads\\data.bin"), "what was there");
    location->OnProgress = [](TCustomNetInstallLocation&, const std::string&, std::int32_t,
                              std::int64_t, std::int64_t done, std::int32_t) {
        if (done > 0) NetInstallAborted = true;
    };
    const auto start = std::chrono::steady_clock::now();
    EXPECT_NO_THROW(location->DownloadFile("data.bin", "C:\\Downloads\\data.bin"));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(8));
    EXPECT_EQ(ReadHostFile(Host("C:\\Downloads\\data.bin")), "what was there");
    EXPECT_FALSE(std::filesystem::exists(Host("C:\\Downloads\\data.bin.part")));
}

TEST_F(NetInstallLocationTest, AbortSetBeforehandAsksTheServerForNothing) {
    NEED(SharedTestServers().http);
    OverHttp("");
    location->LoginInformation.Directory = "";
    const int before = Hits("/small.bin");
    ASSERT_GE(before, 0);
    NetInstallAborted = true;
    location->DownloadFile("small.bin", "C:\\Downloads\\small.bin");
    EXPECT_EQ(Hits("/small.bin"), before);
    EXPECT_FALSE(std::filesystem::exists(Host("C:\\Downloads\\small.bin")));
    EXPECT_TRUE(reports.empty());
}

TEST_F(NetInstallLocationTest, FailureNamesTheFileAndTheLocationAndLeavesNothing) {
    NEED(SharedTestServers().http);
    OverHttp();
    const std::string expected =
        "Could not download missing.1 from 127.0.0.1:" + std::to_string(location->Port) +
        "/pub/files/missing.1: the file was not found on the server";
    try {
        location->DownloadFile("missing.1", "C:\\Downloads\\missing.1");
        ADD_FAILURE() << "no error for a missing file";
    } catch (const IENetInstallLocation& e) {
        EXPECT_EQ(e.Message(), expected);
    }
    EXPECT_FALSE(std::filesystem::exists(Host("C:\\Downloads\\missing.1")));
    EXPECT_FALSE(std::filesystem::exists(Host("C:\\Downloads\\missing.1.part")));
}

TEST_F(NetInstallLocationTest, ReadOnlyHostDriveRefusesTheDownload) {
    NEED(SharedTestServers().http);
    OverHttp();
    const std::filesystem::path outside = machine.Folder() / "outside";
    std::filesystem::create_directories(outside);
    std::string windows = "Z:" + (outside / "archive.1").string();
    std::replace(windows.begin(), windows.end(), '/', '\\');
    try {
        location->DownloadFile("archive.1", windows);
        ADD_FAILURE() << "the machine let a download write to its read-only drive";
    } catch (const IENetInstallLocation& e) {
        EXPECT_NE(e.Message().find(": the file could not be written"), std::string::npos)
            << e.Message();
    }
    EXPECT_TRUE(std::filesystem::is_empty(outside));
}

TEST(NetInstallLocationPaths, RemotePathJoinsTheLoginFoldersWithSingleSlashes) {
    NetInstallLocationUnit unit;
    TNetInstallLocation location(nullptr);
    location.HostName = "ftp.example.com";
    location.LoginInformation.RootDirectory = "\\pub\\";
    location.LoginInformation.Directory = "/files//new/";
    EXPECT_EQ(location.RemotePath("sub\\a.1"), "/pub/files/new/sub/a.1");
    EXPECT_EQ(location.LocationText("a.1"), "ftp.example.com:21/pub/files/new/a.1");
    location.LoginInformation.Protocol = 1;
    EXPECT_EQ(location.LocationText("a.1"), "ftp.example.com:80/pub/files/new/a.1");
    location.Port = 8080;
    EXPECT_EQ(location.LocationText("a.1"), "ftp.example.com:8080/pub/files/new/a.1");
    location.LoginInformation.RootDirectory = "";
    location.LoginInformation.Directory = "";
    EXPECT_EQ(location.RemotePath("a.1"), "/a.1");
}

TEST(NetInstallLocationPaths, RequestCarriesTheLoginOnlyWhenNotAnonymous) {
    TNetInstallLocation location(nullptr);
    location.LoginInformation.UserName = "user";
    location.LoginInformation.Password = "secret";
    EXPECT_EQ(location.RequestFor("a.1").user, "");
    location.LoginInformation.Anonymous = false;
    const platform::DownloadRequest request = location.RequestFor("a.1");
    EXPECT_EQ(request.user, "user");
    EXPECT_EQ(request.password, "secret");
    EXPECT_EQ(request.protocol, platform::DownloadProtocol::Ftp);
}

TEST(NetInstallLogin, CompletenessDependsOnTheAnonymousFlag) {
    TLoginInformation info;
    info.UserName = "user";
    info.Password = "secret";
    EXPECT_FALSE(IsLoginInformationComplete(info)) << "anonymous needs a folder";
    info.Directory = "  \t";
    EXPECT_FALSE(IsLoginInformationComplete(info)) << "a blank folder is none";
    info.Directory = "files";
    EXPECT_TRUE(IsLoginInformationComplete(info));

    TLoginInformation named;
    named.Anonymous = false;
    EXPECT_FALSE(IsLoginInformationComplete(named));
    named.Password = " ";
    EXPECT_FALSE(IsLoginInformationComplete(named));
    named.UserName = "user";
    EXPECT_TRUE(IsLoginInformationComplete(named)) << "a user name alone is enough";
}

TEST(NetInstallLocationList, HoldsTheLiveLocationsWhileTheUnitLives) {
    EXPECT_EQ(NetInstallLocationList(), nullptr);
    {
        NetInstallLocationUnit outer;
        auto inner = std::make_unique<NetInstallLocationUnit>();
        TCustomNetInstallLocationList* list = NetInstallLocationList();
        ASSERT_NE(list, nullptr);
        auto first = std::make_unique<TNetInstallLocation>(nullptr);
        {
            TNetInstallLocation second(nullptr);
            ASSERT_EQ(list->Count(), 2);
            EXPECT_EQ(list->Items(0), first.get());
            EXPECT_EQ(list->Items(1), &second);
        }
        EXPECT_EQ(list->Count(), 1);
        EXPECT_THROW(list->Add(nullptr), IENetInstallLocationList);
        EXPECT_THROW(list->Items(1), EComponentError);
        inner.reset();
        EXPECT_EQ(NetInstallLocationList(), list) << "an inner unit's end freed the list";
        first.reset();
        EXPECT_EQ(list->Count(), 0);
    }
    EXPECT_EQ(NetInstallLocationList(), nullptr);
    TNetInstallLocation outsideTheUnit(nullptr); // must not need the list
}

class TLocationForm : public TComponent {
public:
    using TComponent::TComponent;
};

TEST(NetInstallLocationForm, RoundTripsAndLeavesDefaultsOut) {
    TClassRegistry registry;
    RegisterNetInstallLocationClasses(registry);
    registry.RegisterClass<TLocationForm>("TLocationForm");
    auto form = std::make_unique<TLocationForm>(nullptr);
    form->SetName("Form1");
    auto* filled = Create<TNetInstallLocation>(form.get());
    filled->SetName("NetLocation1");
    filled->HostName = "ftp.example.com";
    filled->Port = 2121;
    filled->LoginInformation = {false, "pub", "files", "user", "it's secret", 1};
    Create<TNetInstallLocation>(form.get())->SetName("NetLocation2");

    const std::string text = WriteForm(*form, registry);
    const std::size_t plain = text.find("object NetLocation2: TNetInstallLocation");
    ASSERT_NE(plain, std::string::npos) << text;
    EXPECT_EQ(text.find('=', plain), std::string::npos) << "defaults were written:\n" << text;

    const std::unique_ptr<TComponent> read = ReadForm(text, "test.dfm", registry);
    auto* back = dynamic_cast<TNetInstallLocation*>(read->FindComponent("NetLocation1"));
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->HostName, "ftp.example.com");
    EXPECT_EQ(back->Port, 2121u);
    const TLoginInformation& login = back->LoginInformation;
    EXPECT_FALSE(login.Anonymous);
    EXPECT_EQ(login.RootDirectory, "pub");
    EXPECT_EQ(login.Directory, "files");
    EXPECT_EQ(login.UserName, "user");
    EXPECT_EQ(login.Password, "it's secret");
    EXPECT_EQ(login.Protocol, 1);
    auto* defaults = dynamic_cast<TNetInstallLocation*>(read->FindComponent("NetLocation2"));
    ASSERT_NE(defaults, nullptr);
    EXPECT_TRUE(defaults->LoginInformation.Anonymous);
    EXPECT_EQ(WriteForm(*read, registry), text);
}

} // namespace
} // namespace tarn::test
