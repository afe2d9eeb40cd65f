#include "platform/portable/Utf16Text.h"

#include <cstdint>

namespace tarn::platform::portable {
namespace {

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

void AppendUnit(std::string& out, std::uint32_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
}

// The code point at text[i], advancing i; nothing for a malformed, overlong or surrogate form.
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80) return lead;
    int more;
    char32_t c;
    if ((lead & 0xE0) == 0xC0) {
        more = 1, c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        more = 2, c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        more = 3, c = lead & 0x07;
    } else {
        return std::nullopt;
    }
    for (int k = 0; k < more; ++k) {
        if (i >= text.size()) return std::nullopt;
        const auto next = static_cast<unsigned char>(text[i++]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        c = (c << 6) | (next & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[more] || c > 0x10FFFF || (c >= 0xD800 && c < 0xE000)) return std::nullopt;
    return c;
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
        auto c = NextCodePoint(text, i);
        if (!c) return std::nullopt;
        if (*c < 0x10000) {
            AppendUnit(out, *c);
        } else {
            AppendUnit(out, 0xD800 + ((*c - 0x10000) >> 10));
            AppendUnit(out, 0xDC00 + ((*c - 0x10000) & 0x3FF));
        }
    }
    return out;
}

} // namespace tarn::platform::portable
