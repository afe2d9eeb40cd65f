// The tree of a version resource in its 32-bit layout: each block is a length, a value length, a
// type (1 text, 0 binary), a UTF-16 key, a value and child blocks, each part aligned to 4 bytes.
// The root is VS_VERSION_INFO with the fixed file information as its value; below it sit
// StringFileInfo (string tables by language and code page, holding the strings) and VarFileInfo
// (the Translation list).
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarn::version {

struct VersionNode {
    std::u16string key;
    std::uint16_t type = 0;
    std::vector<std::uint8_t> value; // as stored, cut short where the block ends
    std::vector<VersionNode> children;

    // The value as UTF-16 text up to its first NUL.
    std::u16string Text() const;
};

class VersionBlock {
public:
    // False when the data does not even hold a well-formed root block. Lengths that overrun
    // their parent are cut to it; a child too short to be a block ends its parent's list.
    bool Parse(std::span<const std::uint8_t> data);

    // VerQueryValue's path lookup: "\" is the root, "\A\B" its child A's child B, names compared
    // without regard to ASCII case, the first match taken. nullptr when absent.
    const VersionNode* Find(std::string_view path) const;

    const VersionNode& Root() const { return root_; }

private:
    VersionNode root_;
    bool valid_ = false;
};

} // namespace tarn::version
