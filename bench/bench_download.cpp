// A 100 MB download from a loopback HTTP server by a net install location onto the embedded
// machine, next to `curl -o` of the same file from the same server. Reports the peak memory
// growth of the location's download as "rss_growth_kb".
#include "install/cmp_TNetInstallLocation.h"
#include "platform/Platform.h"
#include "platform/ScriptedUserInterface.h"
#include "platform/portable/Machine.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/resource.h>

namespace {

namespace fs = std::filesystem;
using namespace tarn;

constexpr std::size_t kSize = 100u * 1024 * 1024;

// The test suite's HTTP server on a folder with one 100 MB file, for the whole run.
struct Server {
    fs::path folder = fs::temp_directory_path() / ("tarn-bench-dl-" + std::to_string(::getpid()));
    FILE* pipe = nullptr;
    unsigned port = 0;

    Server() {
        fs::create_directories(folder / "served");
        std::ofstream big(folder / "served" / "big.bin", std::ios::binary);
        std::string block(1 << 20, '\0');
        for (std::size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<char>((i * 2654435761u) >> 13);
        for (std::size_t done = 0; done < kSize; done += block.size())
            big.write(block.data(), static_cast<std::streamsize>(block.size()));
        big.close();
        const std::string command = "exec python3 " TARN_SOURCE_DIR
                                    "/tests/support/servers/http_server.py --lifetime 600 '" +
                                    (folder / "served").string() + "'";
        pipe = ::popen(command.c_str(), "r");
        char line[64] = {};
        if (pipe && std::fgets(line, sizeof line, pipe)) std::sscanf(line, "READY %u", &port);
    }
    ~Server() {
        if (pipe) {
            std::system(("pkill -f '" + (folder / "served").string() + "'").c_str());
            ::pclose(pipe);
        }
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
};

Server& TheServer() {
    static Server server;
    return server;
}

long PeakRssKb() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

void BM_NetLocationDownload100MB(benchmark::State& state) {
    Server& server = TheServer();
    if (server.port == 0) {
        state.SkipWithError("the loopback server did not start");
        return;
    }
    const fs::path machineFolder = server.folder / "machine";
    platform::portable::Machine machine(machineFolder);
    platform::ScriptedUserInterface ui;
    platform::Services services = machine.GetServices();
    services.ui = &ui;
    platform::ScopedPlatform scope(services);
    install::NetInstallLocationUnit unit;
    install::TNetInstallLocation location(nullptr);
    location.HostName = "127.0.0.1";
    location.Port = server.port;
    location.LoginInformation.Protocol = 1;
    const long before = PeakRssKb();
    for (auto _ : state)
        location.DownloadFile("big.bin", "C:\\big.bin");
    state.counters["rss_growth_kb"] = static_cast<double>(PeakRssKb() - before);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kSize));
    if (fs::file_size(machineFolder / "drive_c" / "big.bin") != kSize)
        state.SkipWithError("the downloaded file is not whole");
}
BENCHMARK(BM_NetLocationDownload100MB)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CurlDownload100MB(benchmark::State& state) {
    Server& server = TheServer();
    if (server.port == 0) {
        state.SkipWithError("the loopback server did not start");
        return;
    }
    const std::string target = (server.folder / "curl.bin").string();
    const std::string command = "curl -s --noproxy '*' -o '" + target +
                                "' http://127.0.0.1:" + std::to_string(server.port) + "/big.bin";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("curl failed");
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kSize));
}
BENCHMARK(BM_CurlDownload100MB)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
