// Arbitrary bytes as registry.reg: either refused with RegFileError or loaded into a tree that
// writes out and reads back unchanged.
#include "platform/portable/RegFile.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace tarn::platform::portable;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view text(reinterpret_cast<const char*>(data), size);
    RegistryTree tree;
    try {
        tree = LoadRegFile(text, "fuzz.reg");
    } catch (const RegFileError&) {
        return 0;
    }
    std::string written = WriteRegFile(tree);
    RegistryTree back = LoadRegFile(written, "written.reg"); // must not throw
    if (!(back == tree) || WriteRegFile(back) != written) std::abort();
    return 0;
}
