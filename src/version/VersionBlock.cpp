#include "version/VersionBlock.h"

#include <algorithm>

namespace tarn::version {
namespace {

constexpr std::size_t kHeaderSize = 6;
// Real resources nest four deep (root, StringFileInfo, table, string); deeper blocks are kept
// without their children so that hostile data cannot drive the recursion.
constexpr int kMaxDepth = 8;

std::size_t Align4(std::size_t offset) {
    return (offset + 3) & ~std::size_t{3};
}

std::uint16_t Word(std::span<const std::uint8_t> data, std::size_t at) {
    return static_cast<std::uint16_t>(data[at] | (data[at + 1] << 8));
}

char16_t FoldAscii(char16_t c) {
    return c >= u'A' && c <= u'Z' ? c + (u'a' - u'A') : c;
}

bool SameKey(const std::u16string& key, std::string_view name) {
    return key.size() == name.size() &&
           std::equal(key.begin(), key.end(), name.begin(), [](char16_t k, char n) {
               return FoldAscii(k) == FoldAscii(static_cast<unsigned char>(n));
           });
}

// Parses the block at begin, which must end by limit. False when no block starts there.
bool ParseNode(std::span<const std::uint8_t> data, std::size_t begin, std::size_t limit, int depth,
               VersionNode& node) {
    if (begin > limit || limit - begin < kHeaderSize) return false;
    const std::size_t length = Word(data, begin);
    if (length < kHeaderSize) return false;
    const std::size_t end = std::min(begin + length, limit);
    const std::size_t valueLength = Word(data, begin + 2);
    node.type = Word(data, begin + 4);

    std::size_t at = begin + kHeaderSize;
    bool terminated = false;
    while (at + 2 <= end) {
        const char16_t c = Word(data, at);
        at += 2;
        if (c == 0) {
            terminated = true;
            break;
        }
        node.key.push_back(c);
    }
    if (!terminated) return true; // the key runs to the end: no value, no children

    // A text value's length counts UTF-16 units, a binary one's bytes.
    const std::size_t valueStart = Align4(at);
    const std::size_t valueBytes = node.type == 1 ? valueLength * 2 : valueLength;
    if (valueStart < end) {
        const std::size_t n = std::min(valueBytes, end - valueStart);
        node.value.assign(data.begin() + valueStart, data.begin() + valueStart + n);
    }
    if (depth >= kMaxDepth) return true;

    // Each child moves the position on by at least a header, so the list always ends.
    std::size_t child = Align4(valueStart + valueBytes);
    while (child < end && end - child >= kHeaderSize) {
        const std::size_t childLength = Word(data, child);
        VersionNode next;
        if (!ParseNode(data, child, end, depth + 1, next)) break;
        node.children.push_back(std::move(next));
        child = Align4(child + childLength);
    }
    return true;
}

} // namespace

std::u16string VersionNode::Text() const {
    std::u16string text;
    for (std::size_t at = 0; at + 2 <= value.size(); at += 2) {
        const auto c = static_cast<char16_t>(value[at] | (value[at + 1] << 8));
        if (c == 0) break;
        text.push_back(c);
    }
    return text;
}

bool VersionBlock::Parse(std::span<const std::uint8_t> data) {
    root_ = VersionNode{};
    valid_ = ParseNode(data, 0, data.size(), 0, root_);
    return valid_;
}

const VersionNode* VersionBlock::Find(std::string_view path) const {
    if (!valid_) return nullptr;
    const VersionNode* node = &root_;
    while (!path.empty()) {
        const std::size_t skip = path.find_first_not_of('\\');
        if (skip == std::string_view::npos) break;
        path.remove_prefix(skip);
        const std::string_view name = path.substr(0, path.find('\\'));
        path.remove_prefix(name.size());
        auto it = std::find_if(node->children.begin(), node->children.end(),
                               [name](const VersionNode& c) { return SameKey(c.key, name); });
        if (it == node->children.end()) return nullptr;
        node = &*it;
    }
    return node;
}

} // namespace tarn::version
