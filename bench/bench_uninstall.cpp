// The uninstaller's whole run over a record of many files (no shared counts), next to `rm -r` of
// the same files, for 5,000 to 40,000 files in four folders and spread over many (20 a folder:
// 20,000 files in 1,000 folders).
#include "platform/Platform.h"
#include "platform/ScriptedUserInterface.h"
#include "platform/portable/Machine.h"
#include "routines/cmp_TTarnRegistry.h"
#include "uninstall/RecordingUninstallView.h"
#include "uninstall/UninstallForm.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// Files per folder: a few big folders, or many small ones.
int PerFolder(int files, bool spread) {
    return spread ? 20 : files / 4;
}

std::string FolderName(int index) {
    return "Folder" + std::to_string(index);
}

// Writes the files under root (a host folder) and returns their relative paths.
void MakeFiles(const fs::path& root, int files, bool spread) {
    const int per = PerFolder(files, spread);
    for (int i = 0; i < files; ++i) {
        const fs::path folder = root / FolderName(i / per);
        if (i % per == 0) fs::create_directories(folder);
        std::ofstream(folder / ("file" + std::to_string(i) + ".dat")) << "data " << i << '\n';
    }
}

class TempFolder {
public:
    TempFolder() {
        char name[] = "/tmp/tarn-bench-uninstall-XXXXXX";
        if (::mkdtemp(name)) path_ = name;
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const fs::path& Path() const { return path_; }

private:
    fs::path path_;
};

void BM_UninstallFiles(benchmark::State& state) {
    const int files = static_cast<int>(state.range(0));
    const bool spread = state.range(1) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        TempFolder temp;
        tarn::platform::portable::Machine machine(temp.Path() / "machine");
        tarn::platform::ScriptedUserInterface ui;
        tarn::platform::Services services = machine.GetServices();
        services.ui = &ui;
        tarn::platform::ScopedPlatform scope(services);
        MakeFiles(temp.Path() / "machine" / "drive_c" / "Product", files, spread);
        {
            tarn::TtarnRegistry record;
            tarn::SetRootByCode(record, tarn::rcLocalMachine);
            record.OpenKey(std::string(tarn::uninstall::kUninstallKey) + "Bench\\Files", true);
            const int per = PerFolder(files, spread);
            for (int i = 0; i < files; ++i)
                record.WriteString("File" + std::to_string(i + 1),
                                   "C:\\Product\\" + FolderName(i / per) + "\\file" +
                                       std::to_string(i) + ".dat");
            record.WriteString("Entries", std::to_string(files));
        }
        machine.Flush();
        tarn::uninstall::RecordingUninstallView view;
        tarn::uninstall::TForm1 form(view);
        form.RemoveOwnProgram = false;
        state.ResumeTiming();

        form.Create({"Bench"});
        if (!form.Start()) state.SkipWithError("the run stopped");
        machine.Flush();

        state.PauseTiming();
        if (fs::exists(temp.Path() / "machine" / "drive_c" / "Product" / FolderName(0)))
            state.SkipWithError("files were left");
        state.ResumeTiming();
    }
    state.counters["files"] = files;
}

void BM_RmR(benchmark::State& state) {
    const int files = static_cast<int>(state.range(0));
    const bool spread = state.range(1) != 0;
    for (auto _ : state) {
        state.PauseTiming();
        TempFolder temp;
        MakeFiles(temp.Path() / "Product", files, spread);
        const std::string command = "rm -r '" + (temp.Path() / "Product").string() + "'";
        state.ResumeTiming();
        if (std::system(command.c_str()) != 0) state.SkipWithError("rm failed");
    }
    state.counters["files"] = files;
}

void Sizes(benchmark::internal::Benchmark* b) {
    for (int spread : {0, 1})
        for (int files : {5000, 10000, 20000, 40000})
            b->Args({files, spread});
    b->ArgNames({"files", "spread"})->Unit(benchmark::kMillisecond)->Iterations(3);
}

} // namespace

BENCHMARK(BM_UninstallFiles)->Apply(Sizes);
BENCHMARK(BM_RmR)->Apply(Sizes);
