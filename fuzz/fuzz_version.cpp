// Arbitrary bytes as an executable file and as a bare version resource: the reader must take
// them apart without crashing, hanging or reading outside them, and what it finds must be
// consistent with what it was given.
#include "version/AnsiText.h"
#include "version/ByteSource.h"
#include "version/PeVersionReader.h"
#include "version/VersionBlock.h"
#include "version/VersionInfoReader.h"
#include "version/cmp_TVersion.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

using namespace tarn::version;

namespace {

// Visits every node, converting each key and value as the reader does.
std::size_t Walk(const VersionNode& node) {
    std::size_t count = 1;
    if (Utf16ToAnsi(node.key).size() > node.key.size()) std::abort();
    if (Utf16ToAnsi(node.Text()).size() > node.value.size() / 2) std::abort();
    for (const VersionNode& child : node.children)
        count += Walk(child);
    return count;
}

void ReadBlock(std::span<const std::uint8_t> bytes) {
    VersionBlock block;
    if (!block.Parse(bytes)) return;
    // Every block takes at least a 6-byte header of its parent's span, over at most nine levels.
    if (Walk(block.Root()) > 9 * (bytes.size() / 6 + 1)) std::abort();
    block.Find("\\StringFileInfo\\040904E4\\CompanyName");
    block.Find("\\VarFileInfo\\Translation");

    TVersionInfo info;
    FillVersionInfo(bytes, 0x0409, 1252, info);
    if (!info.FileVersion().empty() && info.FileType().empty()) std::abort();
    if (info.FileVersion().empty() && !(info == TVersionInfo{})) std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);

    MemorySource file(bytes);
    const std::vector<std::uint8_t> resource = ReadPeVersionResource(file);
    if (resource.size() > 0xFFFF) std::abort();
    ReadBlock(resource);
    ReadBlock(bytes);

    // The input's two halves as version texts: the comparison must be antisymmetric.
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::string a = text.substr(0, size / 2), b = text.substr(size / 2);
    const int ab = CompareVersionStrings(a, b), ba = CompareVersionStrings(b, a);
    if (ab == 0 ? ba != 0 : ba != 3 - ab) std::abort();
    return 0;
}
