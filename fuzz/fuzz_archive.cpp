// Arbitrary bytes as an archive, and as every volume of a set: reading the header table and
// extracting each member must end in a result or in one of the library's errors, never in a
// crash, a hang, or output beyond the size a member's header announces.
#include "archive/DiskSizeLimit.h"
#include "archive/FileHeaders.h"
#include "archive/cmp_TTarnCompress.h"
#include "framework/MemoryStream.h"
#include "platform/ScriptedUserInterface.h"
#include "platform/portable/Machine.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <unistd.h>

using namespace tarn;
using namespace tarn::archive;
namespace fs = std::filesystem;

namespace {

// No extracted file grows past this: a forged size cannot make a run write for long.
constexpr std::uint64_t kDiskSize = 1 << 20;

// A machine in a temporary folder, with extraction going to a small disk.
struct Environment {
    Environment()
        : folder(fs::temp_directory_path() / ("tarnwell-fuzz-archive-" + std::to_string(getpid()))),
          machine(std::make_unique<platform::portable::Machine>(folder / "machine")),
          scope(std::make_unique<platform::ScopedPlatform>(*machine)),
          disk(platform::Files(), "C:\\OUT", kDiskSize) {
        platform::Services services;
        services.ui = &ui;
        services.files = &disk;
        overrides = std::make_unique<platform::ScopedPlatform>(services);
    }
    ~Environment() {
        overrides.reset();
        scope.reset();
        machine.reset();
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    fs::path Drive() const { return folder / "machine" / "drive_c"; }

    fs::path folder;
    std::unique_ptr<platform::portable::Machine> machine;
    std::unique_ptr<platform::ScopedPlatform> scope;
    platform::ScriptedUserInterface ui;
    DiskSizeLimit disk;
    std::unique_ptr<platform::ScopedPlatform> overrides;
};

Environment& Env() {
    static Environment env;
    return env;
}

void ReadTable(const std::uint8_t* data, std::size_t size, std::int64_t base) {
    TMemoryStream stream;
    stream.WriteBuffer(data, size);
    TFileHeaders headers;
    try {
        headers.Read(stream, base);
    } catch (const Exception&) {
        return;
    }
    if (static_cast<std::size_t>(headers.Count()) * kFileHeaderSize + 5 > size) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Environment& env = Env();
    ReadTable(data, size, 0);
    if (size > 0) ReadTable(data, size, data[0] % 32);

    for (const char* name : {"FUZZ.1", "FUZZ.2", "FUZZ.3"}) {
        std::ofstream out(env.Drive() / name, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::error_code ec;
    fs::remove_all(env.Drive() / "OUT", ec);

    auto compress = std::make_unique<TTarnCompress>(nullptr);
    compress->SetCompressedFile("C:\\FUZZ.1");
    compress->SetExtractDirectory("C:\\OUT");
    std::uint32_t largest = 0;
    try {
        const int count = compress->FileCount();
        compress->ListFiles();
        for (int i = 0; i < count && i < 16; ++i) {
            const TFileHeaderRecord& header = compress->FileHeaders().GetFileHeaders(i).Record;
            largest = std::max(largest, header.OriginalSize);
            compress->FilesToProcess().Add(header.FileName);
        }
    } catch (const Exception&) {
        return 0;
    }
    bool extracted = true;
    try {
        compress->ExtractFiles();
    } catch (const Exception&) {
        extracted = false;
    }
    for (const auto& entry : fs::directory_iterator(env.Drive() / "OUT", ec)) {
        if (entry.file_size() > largest) std::abort();
    }
    (void)extracted;
    return 0;
}
