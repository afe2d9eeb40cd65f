#include "platform/portable/CodePage.h"

#include <array>
#include <cerrno>
#include <clocale>
#include <cstdint>
#include <iconv.h>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <wctype.h>

namespace tarn::platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

std::string IconvName(unsigned codePage) {
    return codePage == 65001 ? std::string("UTF-8") : "CP" + std::to_string(codePage);
}

// Unicode upper case in a UTF-8 locale (the C locale knows ASCII only); characters stay when no
// such locale exists.
char32_t UpperChar(char32_t c) {
    static const locale_t locale = [] {
        for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"})
            if (locale_t l = ::newlocale(LC_CTYPE_MASK, name, locale_t{})) return l;
        return locale_t{};
    }();
    if (c < 0x80) return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c;
    return locale ? static_cast<char32_t>(::towupper_l(static_cast<wint_t>(c), locale)) : c;
}

class Iconv {
public:
    Iconv(const std::string& to, const std::string& from)
        : cd_(::iconv_open(to.c_str(), from.c_str())) {}
    ~Iconv() {
        if (ok()) ::iconv_close(cd_);
    }
    Iconv(const Iconv&) = delete;
    Iconv& operator=(const Iconv&) = delete;
    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts as much of in as fits in out; returns 0 or the errno iconv gave.
    int Convert(const char*& in, std::size_t& inLeft, char*& out, std::size_t& outLeft) {
        ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        char* input = const_cast<char*>(in);
        std::size_t rc = ::iconv(cd_, &input, &inLeft, &out, &outLeft);
        in = input;
        if (rc == static_cast<std::size_t>(-1)) return errno;
        // Converters that combine characters (1258) hold the last one back until told to flush.
        rc = ::iconv(cd_, nullptr, nullptr, &out, &outLeft);
        return rc == static_cast<std::size_t>(-1) ? errno : 0;
    }

private:
    iconv_t cd_;
};

char32_t FromUtf32(const unsigned char* b) {
    return static_cast<char32_t>(b[0] | (b[1] << 8) | (b[2] << 16) | (b[3] << 24));
}

// What one code page needs. A single-byte code page is read into tables once, so that file names
// convert without iconv; multi-byte ones (932, 936, 949, 950, UTF-8) go through iconv each time.
class CodePageData {
public:
    explicit CodePageData(unsigned codePage)
        : toUnicode_("UTF-32LE", IconvName(codePage)),
          fromUnicode_(IconvName(codePage), "UTF-32LE") {
        if (!toUnicode_.ok() || !fromUnicode_.ok()) return;
        supported_ = true;
        singleByte_ = true;
        for (unsigned b = 0; b < 256; ++b) {
            const char byte = static_cast<char>(b);
            const char* in = &byte;
            std::size_t inLeft = 1;
            unsigned char wide[8];
            char* out = reinterpret_cast<char*>(wide);
            std::size_t outLeft = sizeof wide;
            int error = toUnicode_.Convert(in, inLeft, out, outLeft);
            if (error == EINVAL) singleByte_ = false; // a lead byte of a two-byte character
            chars_[b] = error == 0 && outLeft == 4 ? FromUtf32(wide) : kReplacement;
            if (chars_[b] != kReplacement) bytes_.emplace(chars_[b], static_cast<unsigned char>(b));
        }
        for (unsigned b = 0; b < 256; ++b) {
            upper_[b] = static_cast<unsigned char>(b);
            auto it = bytes_.find(UpperChar(chars_[b]));
            if (chars_[b] != kReplacement && it != bytes_.end()) upper_[b] = it->second;
        }
    }

    bool Supported() const { return supported_; }

    std::string ToUtf8(std::string_view text) {
        std::string out;
        out.reserve(text.size());
        if (singleByte_) {
            for (char c : text)
                AppendUtf8(out, chars_[static_cast<unsigned char>(c)]);
            return out;
        }
        ForEachChar(text, [&](std::string_view, char32_t c) { AppendUtf8(out, c); });
        return out;
    }

    // lossy: each character without a place becomes '?'; otherwise such a text gives nullopt.
    std::optional<std::string> FromUtf8(std::string_view text, bool lossy) {
        std::string out;
        out.reserve(text.size());
        for (std::size_t i = 0; i < text.size();) {
            char32_t c = 0;
            std::optional<std::string> encoded;
            if (NextUtf8(text, i, c)) encoded = Encode(c);
            if (!encoded) {
                if (!lossy) return std::nullopt;
                encoded = "?";
            }
            out += *encoded;
        }
        return out;
    }

    std::string Upper(std::string_view text) {
        std::string out(text);
        if (singleByte_) {
            for (char& c : out)
                c = static_cast<char>(upper_[static_cast<unsigned char>(c)]);
            return out;
        }
        out.clear();
        ForEachChar(text, [&](std::string_view bytes, char32_t c) {
            char32_t upper = c == kReplacement ? c : UpperChar(c);
            std::optional<std::string> encoded;
            if (upper != c) encoded = Encode(upper);
            out += encoded ? *encoded : std::string(bytes);
        });
        return out;
    }

private:
    // The code page's bytes for one character; nullopt when it has none.
    std::optional<std::string> Encode(char32_t c) {
        if (singleByte_) {
            auto it = bytes_.find(c);
            if (it == bytes_.end()) return std::nullopt;
            return std::string(1, static_cast<char>(it->second));
        }
        unsigned char wide[4] = {static_cast<unsigned char>(c), static_cast<unsigned char>(c >> 8),
                                 static_cast<unsigned char>(c >> 16),
                                 static_cast<unsigned char>(c >> 24)};
        std::lock_guard lock(mutex_);
        const char* in = reinterpret_cast<const char*>(wide);
        std::size_t inLeft = sizeof wide;
        char buffer[16];
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        if (fromUnicode_.Convert(in, inLeft, out, outLeft) != 0) return std::nullopt;
        return std::string(buffer, sizeof buffer - outLeft);
    }

    // Calls f(bytes, character) for each character of a multi-byte text; a byte that starts no
    // character of the code page is one character U+FFFD.
    template <class F> void ForEachChar(std::string_view text, F f) {
        std::lock_guard lock(mutex_);
        const char* in = text.data();
        std::size_t inLeft = text.size();
        while (inLeft > 0) {
            const char* start = in;
            unsigned char wide[4];
            char* out = reinterpret_cast<char*>(wide);
            std::size_t outLeft = sizeof wide; // room for one character: iconv stops after it
            std::size_t left = inLeft;
            int error = toUnicode_.Convert(in, left, out, outLeft);
            if (outLeft == 0) {
                inLeft = left;
                f(std::string_view(start, static_cast<std::size_t>(in - start)), FromUtf32(wide));
            } else {
                (void)error; // EILSEQ or EINVAL: one byte that starts no character
                in = start + 1;
                --inLeft;
                f(std::string_view(start, 1), kReplacement);
            }
        }
    }

    Iconv toUnicode_;
    Iconv fromUnicode_;
    bool supported_ = false;
    bool singleByte_ = false;
    std::array<char32_t, 256> chars_{};
    std::array<unsigned char, 256> upper_{};
    std::unordered_map<char32_t, unsigned char> bytes_;
    std::mutex mutex_; // an iconv descriptor holds state
};

CodePageData* Find(unsigned codePage) {
    static std::mutex mutex;
    static std::map<unsigned, std::unique_ptr<CodePageData>> pages;
    std::lock_guard lock(mutex);
    auto& entry = pages[codePage];
    if (!entry) entry = std::make_unique<CodePageData>(codePage);
    return entry->Supported() ? entry.get() : nullptr;
}

// The data of a code page; an unknown one is taken as the default, so that conversions that
// cannot fail do not.
CodePageData& Data(unsigned codePage) {
    thread_local unsigned lastPage = 0;
    thread_local CodePageData* last = nullptr;
    if (last && lastPage == codePage) return *last;
    CodePageData* data = Find(codePage);
    if (!data) data = Find(kDefaultAnsiCodePage);
    lastPage = codePage;
    last = data;
    return *data;
}

bool Ascii(std::string_view text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

} // namespace

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

bool NextUtf8(std::string_view text, std::size_t& i, char32_t& c) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        c = lead;
        ++i;
        return true;
    } else if ((lead & 0xE0) == 0xC0) {
        length = 2, min = 0x80, c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3, min = 0x800, c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4, min = 0x10000, c = lead & 0x07;
    } else {
        ++i;
        return false;
    }
    if (i + length > text.size()) {
        ++i;
        return false;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return false;
        }
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++i;
        return false;
    }
    i += length;
    return true;
}

std::string AnsiToUtf8(std::string_view text, unsigned codePage) {
    if (Ascii(text)) return std::string(text);
    return Data(codePage).ToUtf8(text);
}

std::optional<std::string> Utf8ToAnsi(std::string_view text, unsigned codePage) {
    if (Ascii(text)) return std::string(text);
    return Data(codePage).FromUtf8(text, false);
}

std::string Utf8ToAnsiLossy(std::string_view text, unsigned codePage) {
    if (Ascii(text)) return std::string(text);
    return *Data(codePage).FromUtf8(text, true);
}

std::string UpperAnsi(std::string_view text, unsigned codePage) {
    if (Ascii(text)) {
        std::string out(text);
        for (char& c : out)
            if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        return out;
    }
    return Data(codePage).Upper(text);
}

bool CodePageSupported(unsigned codePage) {
    return Find(codePage) != nullptr;
}

} // namespace tarn::platform
