// IDownloads as every backend must behave, against the loopback test servers: the ones named by
// TARN_TEST_HTTP_URL / TARN_TEST_FTP_URL ("http://127.0.0.1:PORT"; servers/with-servers.sh
// starts them for a run under Wine), else, on the portable build, servers started here.
#include "platform/contract/ContractEnvironment.h"
#include "platform/contract/WineDifferences.h"
#include "support/servers/ServedFiles.h"

#ifndef _WIN32
#include "support/LoopbackServer.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <utility>
#include <vector>

namespace tarn::test {
namespace {

using namespace platform;
namespace served = test::served;

struct Server {
    std::string host;
    unsigned port = 0;
    std::string skip;   // why there is no server to test against
    std::string broken; // why the server that should be there is not
};

Server ServerFor(DownloadProtocol protocol) {
    const bool http = protocol == DownloadProtocol::Http;
    const char* variable = http ? "TARN_TEST_HTTP_URL" : "TARN_TEST_FTP_URL";
    Server server;
    if (const char* url = std::getenv(variable); url && *url) {
        const std::string text = url;
        const std::string scheme = http ? "http://" : "ftp://";
        const std::size_t colon = text.find(':', scheme.size());
        if (text.rfind(scheme, 0) != 0 || colon == std::string::npos) {
            server.broken = std::string(variable) + " is not " + scheme + "HOST:PORT: " + text;
            return server;
        }
        server.host = text.substr(scheme.size(), colon - scheme.size());
        server.port = static_cast<unsigned>(std::strtoul(text.c_str() + colon + 1, nullptr, 10));
        if (server.port == 0) server.broken = std::string(variable) + " names no port: " + text;
        return server;
    }
#ifndef _WIN32
    const LoopbackServer& running = http ? SharedTestServers().http : SharedTestServers().ftp;
    if (running.Running()) {
        server.host = "127.0.0.1";
        server.port = running.Port();
    } else if (running.Unavailable()) {
        server.skip = running.Reason();
    } else {
        server.broken = running.Reason();
    }
#else
    server.skip = std::string(variable) + " is not set (see tests/support/servers/with-servers.sh)";
#endif
    return server;
}

// A loopback port nobody listens on.
unsigned ClosedPort() {
#ifndef _WIN32
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    unsigned port = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length) == 0)
        port = ntohs(address.sin_port);
    close(s);
    return port;
#else
    return 1; // tcpmux: not served on any loopback we run on
#endif
}

struct Fetched {
    DownloadOutcome outcome;
    std::string data;
    std::vector<std::pair<std::uint64_t, std::uint64_t>> progress; // (total, done)
    double seconds = 0;
};

class DownloadContract : public ::testing::Test {
protected:
    void SetUp() override {
        env_ = MakeContractEnvironment();
        downloads_ = env_->GetServices().downloads;
        ASSERT_NE(downloads_, nullptr);
    }

    // False (with the test marked skipped or failed) when there is no server for protocol.
    bool Use(DownloadProtocol protocol) {
        protocol_ = protocol;
        server_ = ServerFor(protocol);
        if (!server_.broken.empty()) {
            ADD_FAILURE() << "the test server did not start: " << server_.broken;
            return false;
        }
        if (!server_.skip.empty()) {
            skip_ = server_.skip;
            return false;
        }
        return true;
    }

    // Stops the download once done reaches stopAt (0: never).
    Fetched Fetch(const std::string& path, const std::string& user = "",
                  const std::string& password = "", unsigned stallSeconds = 30,
                  std::uint64_t stopAt = 0) {
        DownloadRequest request;
        request.protocol = protocol_;
        request.host = server_.host;
        request.port = server_.port;
        request.remotePath = path;
        request.user = user;
        request.password = password;
        request.stallSeconds = stallSeconds;
        Fetched f;
        const auto start = std::chrono::steady_clock::now();
        f.outcome = downloads_->Fetch(
            request,
            [&f](const char* data, std::size_t size) {
                f.data.append(data, size);
                return true;
            },
            [&f, stopAt](std::uint64_t total, std::uint64_t done) {
                f.progress.emplace_back(total, done);
                return stopAt == 0 || done < stopAt;
            });
        f.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return f;
    }

    // Whole, in order, with the progress climbing to the end.
    void ExpectWhole(const Fetched& f, const served::File& file, bool totalKnown = true) {
        EXPECT_EQ(f.outcome.result, DownloadResult::Ok) << f.outcome.detail;
        EXPECT_EQ(f.outcome.bytes, file.size);
        ASSERT_EQ(f.data.size(), file.size);
        EXPECT_TRUE(f.data == served::Content(file)) << "the bytes differ from " << file.path;
        ASSERT_FALSE(f.progress.empty());
        for (std::size_t i = 1; i < f.progress.size(); ++i)
            EXPECT_LE(f.progress[i - 1].second, f.progress[i].second) << "progress went back";
        EXPECT_EQ(f.progress.back().second, file.size);
        if (totalKnown) {
            EXPECT_EQ(f.progress.back().first, file.size);
        }
    }

    static bool IsPrefixOf(const std::string& part, const served::File& file) {
        return served::Content(file).compare(0, part.size(), part) == 0;
    }

    std::unique_ptr<ContractEnvironment> env_;
    IDownloads* downloads_ = nullptr;
    DownloadProtocol protocol_ = DownloadProtocol::Http;
    Server server_;
    std::string skip_;
};

#define USE_SERVER(protocol)                                                                       \
    do {                                                                                           \
        if (!Use(protocol)) {                                                                      \
            if (!skip_.empty()) GTEST_SKIP() << skip_;                                             \
            return;                                                                                \
        }                                                                                          \
    } while (false)

TEST_F(DownloadContract, HttpDeliversTheWholeFileInOrder) {
    USE_SERVER(DownloadProtocol::Http);
    ExpectWhole(Fetch("/data.bin"), served::kData);
}

TEST_F(DownloadContract, FtpDeliversTheWholeFileInOrder) {
    USE_SERVER(DownloadProtocol::Ftp);
    const Fetched f = Fetch("/data.bin");
    ExpectWhole(f, served::kData, false);
    if (!f.progress.empty() && f.progress.back().first == 0)
        TARN_SKIP_WHERE_WINE_DIFFERS(*env_, "Wine's FtpGetFileSize reports no size");
    ASSERT_FALSE(f.progress.empty());
    EXPECT_EQ(f.progress.back().first, served::kData.size);
}

TEST_F(DownloadContract, FtpLogsInWithUserAndPassword) {
    USE_SERVER(DownloadProtocol::Ftp);
    ExpectWhole(Fetch("/pub/files/archive.1", served::kUser, served::kPassword), served::kArchive,
                false);
    const Fetched refused = Fetch("/pub/files/archive.1", served::kUser, "not-the-password");
    EXPECT_EQ(refused.outcome.result, DownloadResult::LoginRefused) << refused.outcome.detail;
    EXPECT_TRUE(refused.data.empty());
}

TEST_F(DownloadContract, HttpPrivateFolderNeedsTheLogin) {
    USE_SERVER(DownloadProtocol::Http);
    ExpectWhole(Fetch("/private/secret.bin", served::kUser, served::kPassword), served::kSecret);
    for (const char* password : {"not-the-password", ""}) {
        const Fetched f = Fetch("/private/secret.bin", password[0] ? served::kUser : "", password);
        EXPECT_EQ(f.outcome.result, DownloadResult::LoginRefused)
            << "password '" << password << "': " << f.outcome.detail;
        EXPECT_TRUE(f.data.empty()) << "the refusal's page reached the file";
    }
}

TEST_F(DownloadContract, MissingFileIsNotFoundOverBothProtocols) {
    for (DownloadProtocol protocol : {DownloadProtocol::Http, DownloadProtocol::Ftp}) {
        USE_SERVER(protocol);
        const Fetched f = Fetch("/pub/no-such-file.1");
        EXPECT_EQ(f.outcome.result, DownloadResult::NotFound) << f.outcome.detail;
        EXPECT_TRUE(f.data.empty()) << "the error page reached the file";
    }
}

TEST_F(DownloadContract, HttpBodyShorterThanItsLengthIsShortFile) {
    USE_SERVER(DownloadProtocol::Http);
    const Fetched f = Fetch("/short/small.bin");
    EXPECT_EQ(f.outcome.result, DownloadResult::ShortFile) << f.outcome.detail;
    EXPECT_EQ(f.outcome.bytes, served::kSmall.size);
    EXPECT_TRUE(IsPrefixOf(f.data, served::kSmall));
}

TEST_F(DownloadContract, HttpConnectionCutMidFileIsNotOk) {
    USE_SERVER(DownloadProtocol::Http);
    const Fetched f = Fetch("/cut/data.bin");
    EXPECT_TRUE(f.outcome.result == DownloadResult::ConnectionLost ||
                f.outcome.result == DownloadResult::ShortFile)
        << static_cast<int>(f.outcome.result) << ": " << f.outcome.detail;
    EXPECT_LT(f.outcome.bytes, served::kData.size);
    EXPECT_TRUE(IsPrefixOf(f.data, served::kData));
}

TEST_F(DownloadContract, FtpFileShorterThanItsSizeIsShortFile) {
    USE_SERVER(DownloadProtocol::Ftp);
    const Fetched f = Fetch("/short.bin");
    if (f.outcome.result == DownloadResult::Ok && !f.progress.empty() &&
        f.progress.back().first == 0)
        TARN_SKIP_WHERE_WINE_DIFFERS(*env_, "Wine's FtpGetFileSize reports no size");
    EXPECT_EQ(f.outcome.result, DownloadResult::ShortFile) << f.outcome.detail;
    EXPECT_EQ(f.outcome.bytes, served::kShort.size);
}

TEST_F(DownloadContract, ProgressAnswerFalseStopsTheDownload) {
    for (DownloadProtocol protocol : {DownloadProtocol::Http, DownloadProtocol::Ftp}) {
        USE_SERVER(protocol);
        const Fetched f = Fetch("/data.bin", "", "", 30, 256 * 1024);
        EXPECT_EQ(f.outcome.result, DownloadResult::Aborted) << f.outcome.detail;
        EXPECT_GE(f.outcome.bytes, 256u * 1024);
        EXPECT_LT(f.outcome.bytes, served::kData.size / 2) << "the stop came late";
        EXPECT_EQ(f.data.size(), f.outcome.bytes);
        EXPECT_TRUE(IsPrefixOf(f.data, served::kData));
    }
}

TEST_F(DownloadContract, RefusingSinkEndsWithCannotWrite) {
    USE_SERVER(DownloadProtocol::Http);
    DownloadRequest request;
    request.protocol = DownloadProtocol::Http;
    request.host = server_.host;
    request.port = server_.port;
    request.remotePath = "/data.bin";
    int calls = 0;
    const DownloadOutcome outcome = downloads_->Fetch(
        request, [&calls](const char*, std::size_t) { return ++calls < 3; },
        [](std::uint64_t, std::uint64_t) { return true; });
    EXPECT_EQ(outcome.result, DownloadResult::CannotWrite) << outcome.detail;
    EXPECT_EQ(calls, 3) << "data kept coming after the sink refused it";
    EXPECT_LT(outcome.bytes, served::kData.size);
}

TEST_F(DownloadContract, ClosedPortIsCannotConnect) {
    USE_SERVER(DownloadProtocol::Http);
    server_.port = ClosedPort();
    ASSERT_NE(server_.port, 0u);
    const Fetched f = Fetch("/data.bin");
    EXPECT_EQ(f.outcome.result, DownloadResult::CannotConnect) << f.outcome.detail;
    EXPECT_EQ(f.outcome.bytes, 0u);
}

TEST_F(DownloadContract, SilentServerTimesOutAfterTheStallLimit) {
    USE_SERVER(DownloadProtocol::Http);
    const Fetched f = Fetch("/stall/data.bin", "", "", 1);
    EXPECT_EQ(f.outcome.result, DownloadResult::TimedOut) << f.outcome.detail;
    EXPECT_LT(f.outcome.bytes, served::kData.size);
    // The server stays silent for 20 s; the limit must end it long before.
    EXPECT_LT(f.seconds, 8.0);
}

} // namespace
} // namespace tarn::test
