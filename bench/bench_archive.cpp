// The archive engine on a 64 MiB mixed corpus made here (text, binary tables, incompressible
// data): adding at the highest level and extracting everything again, next to gzip -9 and
// gzip -dc on the same files when gzip is installed.
#include "archive/cmp_TTarnCompress.h"
#include "platform/ScriptedUserInterface.h"
#include "platform/portable/Machine.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <sys/resource.h>
#include <unistd.h>
#include <vector>

using namespace tarn;
using namespace tarn::archive;
namespace fs = std::filesystem;

namespace {

constexpr std::size_t kMiB = 1 << 20;

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return state_;
    }

private:
    std::uint64_t state_;
};

// Writes size bytes made by fill (one MiB at a time, so nothing large is held).
template <class Fill> void Generate(const fs::path& path, std::size_t size, Fill fill) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::string block;
    for (std::size_t done = 0; done < size; done += block.size()) {
        block.clear();
        fill(block, std::min(kMiB, size - done));
        block.resize(std::min(kMiB, size - done));
        out.write(block.data(), static_cast<std::streamsize>(block.size()));
    }
}

// Lines of words drawn with a skewed frequency from a vocabulary of 4000.
void Text(Random& random, std::string& block, std::size_t size) {
    static const std::vector<std::string> vocabulary = [] {
        Random r(7);
        std::vector<std::string> words;
        for (int i = 0; i < 4000; ++i) {
            std::string w;
            for (std::uint64_t n = 2 + r.Next() % 9; n > 0; --n)
                w += static_cast<char>('a' + r.Next() % 26);
            words.push_back(w);
        }
        return words;
    }();
    while (block.size() < size) {
        const std::uint64_t a = random.Next() % 4000;
        block += vocabulary[a * a / 4000];
        block += random.Next() % 12 == 0 ? "\r\n" : " ";
    }
}

// Records of counters, offsets and flags, as program files and data tables have them.
void Tables(Random& random, std::string& block, std::size_t size) {
    std::uint32_t counter = static_cast<std::uint32_t>(random.Next());
    while (block.size() < size) {
        counter += 1 + random.Next() % 16;
        const std::uint32_t fields[4] = {counter, static_cast<std::uint32_t>(random.Next() % 256),
                                         0x00400000u + (counter & 0xFFF0u),
                                         static_cast<std::uint32_t>(random.Next())};
        block.append(reinterpret_cast<const char*>(fields), sizeof fields);
    }
}

void Noise(Random& random, std::string& block, std::size_t size) {
    while (block.size() < size) {
        const std::uint64_t v = random.Next();
        block.append(reinterpret_cast<const char*>(&v), sizeof v);
    }
}

// The corpus on a temporary machine's drive C:, and an archive of it for extraction.
struct Corpus {
    Corpus()
        : folder(fs::temp_directory_path() /
                 ("tarnwell-bench-archive-" + std::to_string(getpid()))),
          machine(std::make_unique<platform::portable::Machine>(folder / "machine")),
          scope(std::make_unique<platform::ScopedPlatform>(*machine)) {
        platform::Services services;
        services.ui = &ui;
        uiScope = std::make_unique<platform::ScopedPlatform>(services);
        const fs::path drive = folder / "machine" / "drive_c" / "CORPUS";
        fs::create_directories(drive);
        Random random(12345);
        Generate(drive / "text.txt", 24 * kMiB,
                 [&](std::string& b, std::size_t n) { Text(random, b, n); });
        Generate(drive / "tables.bin", 24 * kMiB,
                 [&](std::string& b, std::size_t n) { Tables(random, b, n); });
        Generate(drive / "packed.bin", 16 * kMiB,
                 [&](std::string& b, std::size_t n) { Noise(random, b, n); });
        for (const char* name : {"text.txt", "tables.bin", "packed.bin"}) {
            members.push_back(std::string("C:\\CORPUS\\") + name);
            hostFiles.push_back(drive / name);
        }
        Add("C:\\BENCH\\EXTRACT.ARC");
    }
    ~Corpus() {
        uiScope.reset();
        scope.reset();
        machine.reset();
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    void Add(const std::string& archive) {
        auto compress = std::make_unique<TTarnCompress>(nullptr);
        compress->SetCompressedFile(archive);
        compress->SetCompressionLevel(colMax);
        for (const std::string& m : members)
            compress->FilesToProcess().Add(m);
        compress->AddFiles(false, 0);
    }
    fs::path Host(const std::string& relative) const {
        return folder / "machine" / "drive_c" / relative;
    }

    static constexpr std::int64_t kBytes = 64 * kMiB;
    fs::path folder;
    std::unique_ptr<platform::portable::Machine> machine;
    std::unique_ptr<platform::ScopedPlatform> scope;
    platform::ScriptedUserInterface ui;
    std::unique_ptr<platform::ScopedPlatform> uiScope;
    std::vector<std::string> members;
    std::vector<fs::path> hostFiles;
};

Corpus& TheCorpus() {
    static Corpus corpus;
    return corpus;
}

double PeakMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

bool HaveGzip() {
    return std::system("gzip --version >/dev/null 2>&1") == 0;
}

void BM_AddMaxLevel(benchmark::State& state) {
    Corpus& corpus = TheCorpus();
    for (auto _ : state)
        corpus.Add("C:\\BENCH\\ADD.ARC");
    state.SetBytesProcessed(state.iterations() * Corpus::kBytes);
    state.counters["archive_bytes"] =
        static_cast<double>(fs::file_size(corpus.Host("BENCH/ADD.ARC")));
    state.counters["peak_rss_MiB"] = PeakMiB();
}
BENCHMARK(BM_AddMaxLevel)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_ExtractAll(benchmark::State& state) {
    Corpus& corpus = TheCorpus();
    for (auto _ : state) {
        auto compress = std::make_unique<TTarnCompress>(nullptr);
        compress->SetCompressedFile("C:\\BENCH\\EXTRACT.ARC");
        compress->SetExtractDirectory("C:\\BENCH\\OUT");
        for (const std::string& m : corpus.members)
            compress->FilesToProcess().Add(m);
        compress->ExtractFiles();
    }
    state.SetBytesProcessed(state.iterations() * Corpus::kBytes);
    state.counters["peak_rss_MiB"] = PeakMiB();
}
BENCHMARK(BM_ExtractAll)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// gzip on the same three files, one gzip member each, for comparison.
void BM_Gzip9Reference(benchmark::State& state) {
    Corpus& corpus = TheCorpus();
    if (!HaveGzip()) {
        state.SkipWithError("gzip is not installed");
        return;
    }
    std::string command = "gzip -9 -c";
    for (const fs::path& f : corpus.hostFiles)
        command += " '" + f.string() + "'";
    command += " > '" + (corpus.folder / "corpus.gz").string() + "'";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("gzip failed");
    state.SetBytesProcessed(state.iterations() * Corpus::kBytes);
    state.counters["archive_bytes"] =
        static_cast<double>(fs::file_size(corpus.folder / "corpus.gz"));
}
BENCHMARK(BM_Gzip9Reference)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);

void BM_GzipDcReference(benchmark::State& state) {
    Corpus& corpus = TheCorpus();
    const fs::path gz = corpus.folder / "corpus.gz";
    if (!HaveGzip() || !fs::exists(gz)) {
        state.SkipWithError("no gzip output to decompress");
        return;
    }
    const std::string command =
        "gzip -dc '" + gz.string() + "' > '" + (corpus.folder / "corpus.out").string() + "'";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0) state.SkipWithError("gzip failed");
    state.SetBytesProcessed(state.iterations() * Corpus::kBytes);
}
BENCHMARK(BM_GzipDcReference)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace
