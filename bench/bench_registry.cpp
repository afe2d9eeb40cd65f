// The embedded registry's costs that every tool run pays: reading and writing registry.reg of a
// well-used machine (about 20,000 values), and the open/query pair that most lookups are.
#include "platform/portable/FaultyRegistry.h"
#include "platform/portable/PortableRegistry.h"
#include "platform/portable/RegFile.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

using namespace tarn::platform;
using namespace tarn::platform::portable;

namespace {

// 200 products of 100 values each under Software, plus file associations under Classes.
RegistryTree MakeTree() {
    RegistryTree tree;
    auto software = tree.Root(RootKey::LocalMachine).AddSubKey("Software");
    for (int p = 0; p < 200; ++p) {
        auto product = software->AddSubKey("Vendor" + std::to_string(p % 20))
                           ->AddSubKey("Product" + std::to_string(p));
        for (int v = 0; v < 100; ++v) {
            std::string text = "C:\\Program Files\\Vendor\\Product" + std::to_string(p) + "\\file" +
                               std::to_string(v) + ".dll";
            std::vector<std::uint8_t> data(text.begin(), text.end());
            data.push_back(0);
            if (v % 10 == 0) data.assign(40, static_cast<std::uint8_t>(v));
            product->SetValue("Value" + std::to_string(v), v % 10 == 0 ? REG_BINARY : REG_SZ,
                              std::move(data));
        }
    }
    auto classes = software->AddSubKey("Classes");
    for (int e = 0; e < 500; ++e)
        classes->AddSubKey(".ext" + std::to_string(e))->SetValue("", REG_SZ, {'f', 0});
    return tree;
}

void BM_SaveRegistry(benchmark::State& state) {
    RegistryTree tree = MakeTree();
    for (auto _ : state)
        benchmark::DoNotOptimize(WriteRegFile(tree));
}
BENCHMARK(BM_SaveRegistry)->Unit(benchmark::kMillisecond);

void BM_LoadRegistry(benchmark::State& state) {
    std::string text = WriteRegFile(MakeTree());
    for (auto _ : state)
        benchmark::DoNotOptimize(LoadRegFile(text, "bench.reg"));
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_LoadRegistry)->Unit(benchmark::kMillisecond);

void BM_OpenAndQueryValue(benchmark::State& state) {
    char folder[] = "/tmp/tarn-bench-XXXXXX";
    if (!::mkdtemp(folder)) {
        state.SkipWithError("no temporary folder");
        return;
    }
    std::filesystem::path file = std::filesystem::path(folder) / "registry.reg";
    {
        RegistryStore seed(file);
        seed.Import(WriteRegFile(MakeTree()), "bench.reg");
        seed.Flush();
    }
    RegistryStore store(file);
    PortableRegistry backend(store);
    Faults faults;
    FaultyRegistry reg(backend, faults); // as the machine hands it out
    DWORD type = 0;
    std::vector<std::uint8_t> data;
    for (auto _ : state) {
        HKEY h = 0;
        reg.OpenKey(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor7\\Product127", KEY_READ, h);
        reg.QueryValue(h, "value57", type, data);
        reg.CloseKey(h);
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_OpenAndQueryValue);

} // namespace
