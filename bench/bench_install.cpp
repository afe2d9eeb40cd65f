// The install tree at the size of a large product: 2,000 install files in 50 containers,
// generated as a stored form, read and walked by an install with every event and progress
// report a file's extraction would send.
#include "archive/cmp_TTarnCompress.h"
#include "framework/FormReader.h"
#include "install/cmp_TInstallContainer.h"
#include "install/cmp_TInstallContainer_Stored.h"
#include "install/cmp_TNetInstallLocation.h"
#include "platform/Platform.h"
#include "platform/ScriptedUserInterface.h"
#include "platform/portable/Machine.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;
using namespace tarn;
using namespace tarn::install;

class BenchDriver : public TFileContainer, public IInstallRunner {
public:
    explicit BenchDriver(TComponent* owner) : TFileContainer(owner) {
        SetGlobalInstallDriver(this);
    }
    ~BenchDriver() override { SetGlobalInstallDriver(nullptr); }
    TFileContainer& RunnerNode() override { return *this; }
    bool Running() const override { return true; }
    std::string ProductName() const override { return "Bench"; }
};

// A file that reports its extraction in four steps, as the archive engine would.
class BenchFile : public TCustomInstallFile {
public:
    explicit BenchFile(TComponent* owner) : TCustomInstallFile(owner) { FileSize = 4096; }
    void InstallHelpers() override {
        Operation = 2;
        archive::TlzhFileStats stats;
        stats.OriginalSize = FileSize;
        for (int step = 1; step <= 4; ++step) {
            stats.FileBytesDone = FileSize * step / 4;
            stats.Finished = step == 4;
            StatusHandler(GlobalCompress(), stats);
        }
        Operation = 0;
    }
};

std::string ProjectText(int containers, int filesEach) {
    std::string text = "object SetupForm: TForm\n  object Install1: TBenchDriver\n  end\n";
    for (int c = 0; c < containers; ++c) {
        const std::string folder = "Folder" + std::to_string(c);
        text += "  object " + folder + ": TInstallGroup\n    Container = Install1\n" +
                "    DestinationSpecifier = psContainerDestDir\n    SubPath = '\\" + folder +
                "'\n  end\n";
        for (int f = 0; f < filesEach; ++f)
            text += "  object File" + std::to_string(c) + "_" + std::to_string(f) +
                    ": TBenchFile\n    Container = " + folder +
                    "\n    DestinationSpecifier = psContainerDestDir\n  end\n";
    }
    return text + "end\n";
}

void BM_InstallTree(benchmark::State& state) {
    const fs::path folder =
        fs::temp_directory_path() / ("tarn-bench-tree-" + std::to_string(::getpid()));
    {
        platform::portable::Machine machine(folder);
        platform::ScriptedUserInterface ui;
        platform::Services services = machine.GetServices();
        services.ui = &ui;
        platform::ScopedPlatform scope(services);
        paths::PathSpecifierUnit specifiers;
        NetInstallLocationUnit locations;
        InstallContainerUnit unit;
        TClassRegistry registry;
        RegisterInstallClasses(registry);
        registry.RegisterClass<BenchDriver>("TBenchDriver", "TFileContainer");
        registry.RegisterClass<BenchFile>("TBenchFile", "TCustomInstallFile");
        const std::string text = ProjectText(50, 40);
        std::int64_t done = 0;
        for (auto _ : state) {
            std::unique_ptr<TComponent> form = ReadForm(text, "bench.tfm", registry);
            auto* driver = dynamic_cast<BenchDriver*>(form->FindComponent("Install1"));
            int reports = 0;
            driver->OnFileStatus = [&reports](TCustomInstallFile&, std::int32_t, std::int32_t) {
                ++reports;
            };
            driver->Install();
            done = driver->BytesDone;
            benchmark::DoNotOptimize(reports);
        }
        if (done != 2000 * 4096) state.SkipWithError("the walk did not count every file");
    }
    std::error_code ec;
    fs::remove_all(folder, ec);
}
BENCHMARK(BM_InstallTree)->Unit(benchmark::kMillisecond);

} // namespace
