#include "platform/portable/Utf16Text.h"

#include "platform/portable/CodePage.h"

#include <cstdint>

namespace tarn::platform::portable {
namespace {

void AppendUnit(std::string& out, std::uint32_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

} // namespace

std::optional<std::string> Utf16leToUtf8(std::string_view bytes, std::size_t* bad) {
    auto failAt = [bad](std::size_t offset) -> std::optional<std::string> {
        if (bad) *bad = offset;
        return std::nullopt;
    };
    std::string out;
    out.reserve(bytes.size());
    auto unitAt = [&](std::size_t i) {
        return static_cast<char32_t>(static_cast<unsigned char>(bytes[i]) |
                                     static_cast<unsigned char>(bytes[i + 1]) << 8);
    };
    for (std::size_t i = 0; i < bytes.size(); i += 2) {
        if (i + 1 == bytes.size()) return failAt(i);
        char32_t c = unitAt(i);
        if (c >= 0xDC00 && c < 0xE000) return failAt(i);
        if (c >= 0xD800 && c < 0xDC00) {
            if (i + 3 >= bytes.size()) return failAt(i);
            const char32_t low = unitAt(i + 2);
            if (low < 0xDC00 || low >= 0xE000) return failAt(i);
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            i += 2;
        }
        AppendUtf8(out, c);
    }
    return out;
}

std::optional<std::string> Utf8ToUtf16le(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size();) {
        char32_t c = 0;
        if (!NextUtf8(text, i, c)) return std::nullopt;
        if (c < 0x10000) {
            AppendUnit(out, c);
        } else {
            AppendUnit(out, 0xD800 + ((c - 0x10000) >> 10));
            AppendUnit(out, 0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

} // namespace tarn::platform::portable
