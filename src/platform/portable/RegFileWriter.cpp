// Writing REGEDIT4 text the way regedit exports it, and its version 5.00 files.
#include "platform/portable/RegFile.h"

#include "platform/portable/CodePage.h"
#include "platform/portable/Utf16Text.h"

#include <algorithm>

namespace tarn::platform::portable {
namespace {

constexpr std::string_view kUtf16Mark = "\xFF\xFE";

// How names and string data leave the machine. REGEDIT4 keeps the code page's bytes; a 5.00
// file is assembled in UTF-8 (then turned into UTF-16 as a whole) and carries its string types'
// hex data as UTF-16LE.
struct Encoding {
    bool unicode = false;
    unsigned codePage = kDefaultAnsiCodePage;
    const char* newline = "\n";

    std::string Text(std::string_view ansi) const {
        return unicode ? AnsiToUtf8(ansi, codePage) : std::string(ansi);
    }

    // Code-page bytes as UTF-16LE, NULs kept.
    std::vector<std::uint8_t> Utf16Data(const std::vector<std::uint8_t>& data) const {
        const std::string_view ansi(reinterpret_cast<const char*>(data.data()), data.size());
        std::string utf16;
        for (std::size_t start = 0;;) {
            const std::size_t nul = std::min(ansi.find('\0', start), ansi.size());
            // AnsiToUtf8 gives valid UTF-8, which always has a UTF-16 form.
            utf16 += Utf8ToUtf16le(AnsiToUtf8(ansi.substr(start, nul - start), codePage))
                         .value_or(std::string());
            if (nul == ansi.size()) break;
            utf16 += std::string_view("\0\0", 2);
            start = nul + 1;
        }
        return {utf16.begin(), utf16.end()};
    }
};

// regedit breaks hex data once a line reaches this many columns.
constexpr std::size_t kHexLineWidth = 77;

void AppendEscaped(std::string& out, std::string_view text) {
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
}

// REG_SZ data that "text" can carry: one terminating NUL and no NUL, CR or LF before it.
bool IsPlainText(const std::vector<std::uint8_t>& data) {
    if (data.empty() || data.back() != 0) return false;
    for (std::size_t i = 0; i + 1 < data.size(); ++i)
        if (data[i] == 0 || data[i] == '\r' || data[i] == '\n') return false;
    return true;
}

void AppendHex(std::string& out, std::uint32_t v, int digits) {
    static const char kDigits[] = "0123456789abcdef";
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += kDigits[(v >> shift) & 0xF];
}

void AppendHexType(std::string& out, DWORD type) {
    int digits = 1;
    while (digits < 8 && (type >> (digits * 4)) != 0)
        ++digits;
    AppendHex(out, type, digits);
}

void AppendValue(std::string& out, const RegValue& v, const Encoding& encoding) {
    std::size_t lineStart = out.size();
    if (v.name.empty()) {
        out += '@';
    } else {
        out += '"';
        AppendEscaped(out, encoding.Text(v.name));
        out += '"';
    }
    out += '=';
    if (v.type == REG_SZ && IsPlainText(v.data)) {
        out += '"';
        AppendEscaped(out, encoding.Text(std::string_view(
                               reinterpret_cast<const char*>(v.data.data()), v.data.size() - 1)));
        out += '"';
        out += encoding.newline;
        return;
    }
    if (v.type == REG_DWORD && v.data.size() == 4) {
        std::uint32_t d = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) |
                          (static_cast<std::uint32_t>(v.data[3]) << 24);
        out += "dword:";
        AppendHex(out, d, 8);
        out += encoding.newline;
        return;
    }
    if (v.type == REG_BINARY) {
        out += "hex:";
    } else {
        out += "hex(";
        AppendHexType(out, v.type);
        out += "):";
    }
    const bool utf16 =
        encoding.unicode && (v.type == REG_SZ || v.type == REG_EXPAND_SZ || v.type == REG_MULTI_SZ);
    const std::vector<std::uint8_t> data = utf16 ? encoding.Utf16Data(v.data) : v.data;
    // Columns count the characters of the name, as regedit counts them.
    std::size_t column = out.size() - lineStart;
    if (encoding.unicode) column = Utf8ToUtf16le(out.substr(lineStart)).value_or("").size() / 2;
    for (std::size_t i = 0; i < data.size(); ++i) {
        AppendHex(out, data[i], 2);
        if (i + 1 == data.size()) break;
        out += ',';
        column += 3;
        if (column >= kHexLineWidth) {
            out += '\\';
            out += encoding.newline;
            out += "  ";
            column = 2;
        }
    }
    out += encoding.newline;
}

void AppendKey(std::string& out, const RegKey& key, std::string& path, const Encoding& encoding) {
    out += '[';
    out += encoding.Text(path);
    out += ']';
    out += encoding.newline;
    for (std::size_t i = 0; i < key.ValueCount(); ++i)
        AppendValue(out, key.ValueAt(i), encoding);
    out += encoding.newline;
    for (std::size_t i = 0; i < key.SubKeyCount(); ++i) {
        const RegKey& sub = *key.SubKeyAt(i);
        std::size_t length = path.size();
        path += '\\';
        path += sub.Name();
        AppendKey(out, sub, path, encoding);
        path.resize(length);
    }
}

} // namespace

std::string WriteRegFile(const RegistryTree& tree) {
    std::string out = "REGEDIT4\n\n";
    for (RootKey root : kRootKeys) {
        std::string path = RootName(root);
        AppendKey(out, tree.Root(root), path, Encoding());
    }
    return out;
}

std::string WriteRegFile(const RegKey& key) {
    std::string out = "REGEDIT4\n\n";
    std::string path = key.FullPath();
    AppendKey(out, key, path, Encoding());
    return out;
}

std::string WriteUserRegFile(const RegKey& key, RegFileFormat format, unsigned codePage) {
    if (format == RegFileFormat::Regedit4) return WriteRegFile(key);
    Encoding encoding;
    encoding.unicode = true;
    encoding.codePage = codePage;
    encoding.newline = "\r\n";
    std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
    std::string path = key.FullPath();
    AppendKey(text, key, path, encoding);
    // Every piece came from AnsiToUtf8 or is ASCII, so the text is valid UTF-8.
    return std::string(kUtf16Mark) + Utf8ToUtf16le(text).value_or(std::string());
}

} // namespace tarn::platform::portable
