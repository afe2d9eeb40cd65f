// Reading REGEDIT4 text and regedit's version 5.00 files.
#include "platform/portable/RegFile.h"

#include "platform/portable/CodePage.h"
#include "platform/portable/Utf16Text.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace tarn::platform::portable {
namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kUnicodeHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kUtf16Mark = "\xFF\xFE";

// How the text of a file reaches the machine.
struct Decoding {
    bool userFile = false;  // either header is accepted, not only REGEDIT4
    bool utf8Text = false;  // the file was UTF-16: its names and strings go into the code page
    bool utf16Data = false; // a 5.00 file: hex(1), hex(2) and hex(7) data are UTF-16LE
    unsigned codePage = kDefaultAnsiCodePage;
};

bool IsUtf16StringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    return s;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// 1 to 8 hex digits, the whole of s.
std::optional<std::uint32_t> ParseHex32(std::string_view s) {
    if (s.empty() || s.size() > 8) return std::nullopt;
    std::uint32_t v = 0;
    for (char c : s) {
        int d = HexDigit(c);
        if (d < 0) return std::nullopt;
        v = (v << 4) | static_cast<std::uint32_t>(d);
    }
    return v;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && SameName(s.substr(0, prefix.size()), prefix);
}

// Names must survive a round trip through one line of text and the Win32 calls.
bool ValidName(std::string_view name) {
    return name.find_first_of(std::string_view("\0\r\n", 3)) == std::string_view::npos;
}

class Reader {
public:
    Reader(std::string_view text, const std::string& source, Decoding decoding = {})
        : text_(text), source_(source), decoding_(decoding) {}

    std::vector<RegFileSection> Parse() {
        std::string_view line;
        const bool read = NextLine(line);
        const std::string_view header = read ? TrimRight(line) : std::string_view();
        if (decoding_.userFile && header == kUnicodeHeader) {
            decoding_.utf16Data = true;
        } else if (header != kHeader) {
            lineNo_ = 1;
            Fail(decoding_.userFile
                     ? "the first line is neither REGEDIT4 nor " + std::string(kUnicodeHeader)
                     : "the first line is not REGEDIT4");
        }
        while (NextLine(line)) {
            std::string_view s = TrimLeft(TrimRight(line));
            if (s.empty() || s.front() == ';') continue;
            if (s.front() == '[') {
                ParseSection(s);
            } else if (s.front() == '"' || s.front() == '@') {
                if (sections_.empty()) Fail("a value line before the first key");
                if (sections_.back().remove) Fail("a value line in a key that is deleted");
                ParseValue(s);
            } else {
                Fail("not a key, a value or a comment");
            }
        }
        return std::move(sections_);
    }

private:
    bool NextLine(std::string_view& line) {
        if (pos_ >= text_.size()) return false;
        std::size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) end = text_.size();
        line = text_.substr(pos_, end - pos_);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        pos_ = end + 1;
        ++lineNo_;
        return true;
    }

    // Problems quote the file's text, which for a UTF-16 file is UTF-8 until it is converted.
    [[noreturn]] void Fail(const std::string& problem) const {
        throw RegFileError(source_, lineNo_,
                           decoding_.utf8Text ? Utf8ToAnsiLossy(problem, decoding_.codePage)
                                              : problem);
    }

    std::string CannotHold(const std::string& what) const {
        return what + " cannot be held in the machine's code page " +
               std::to_string(decoding_.codePage);
    }

    std::string ValueShown(const std::string& name) const {
        return (name.empty() ? std::string("the default value") : "value \"" + name + "\"") +
               " of [" + keyText_ + "]";
    }

    // UTF-8 text of a UTF-16 file in the code page, NULs kept; nothing when it cannot be held.
    std::optional<std::string> ToCodePage(std::string_view text) const {
        std::string out;
        for (std::size_t start = 0;;) {
            const std::size_t nul = std::min(text.find('\0', start), text.size());
            auto piece = Utf8ToAnsi(text.substr(start, nul - start), decoding_.codePage);
            if (!piece) return std::nullopt;
            out += *piece;
            if (nul == text.size()) return out;
            out += '\0';
            start = nul + 1;
        }
    }

    // A name or "..." string as the machine keeps it.
    std::string MachineText(std::string text, const std::string& what) const {
        if (!decoding_.utf8Text) return text;
        auto ansi = ToCodePage(text);
        if (!ansi) Fail(CannotHold(what));
        return std::move(*ansi);
    }

    // The UTF-16LE data of a string type in a 5.00 file as the code page's bytes.
    std::vector<std::uint8_t> MachineData(const std::vector<std::uint8_t>& data,
                                          const std::string& name) const {
        auto utf8 = Utf16leToUtf8(
            std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
        if (!utf8) Fail("the data of " + ValueShown(name) + " is not UTF-16 text");
        auto ansi = ToCodePage(*utf8);
        if (!ansi) Fail(CannotHold("the data of " + ValueShown(name)));
        return {ansi->begin(), ansi->end()};
    }

    void ParseSection(std::string_view s) {
        if (s.back() != ']') Fail("a key line must end with ']'");
        std::string_view path = s.substr(1, s.size() - 2);
        RegFileSection section;
        if (!path.empty() && path.front() == '-') {
            section.remove = true;
            path.remove_prefix(1);
        }
        std::size_t sep = path.find('\\');
        std::string_view rootName = path.substr(0, sep);
        auto root = RootHandleByName(rootName, false);
        if (!root) Fail("unknown root key '" + std::string(rootName) + "'");
        section.key = *StoredPlace(*root);
        if (sep != std::string_view::npos) {
            std::string_view rest = path.substr(sep + 1);
            while (true) {
                std::size_t next = rest.find('\\');
                std::string_view name = rest.substr(0, next);
                if (name.empty()) Fail("empty key name in '" + std::string(path) + "'");
                if (!ValidName(name)) Fail("control character in a key name");
                section.key.names.emplace_back(name);
                if (next == std::string_view::npos) break;
                rest.remove_prefix(next + 1);
            }
        }
        if (section.key.names.size() > kMaxKeyDepth) Fail("the key path is too deep");
        keyText_ = std::string(path);
        for (std::string& name : section.key.names)
            name = MachineText(std::move(name), "the key [" + keyText_ + "]");
        if (section.remove && section.key.names.empty()) Fail("a root key cannot be deleted");
        sections_.push_back(std::move(section));
    }

    // A quoted string starting at s[0] == '"'; s is left after the closing quote.
    std::string ParseQuoted(std::string_view& s) {
        std::string out;
        std::size_t i = 1;
        for (; i < s.size() && s[i] != '"'; ++i) {
            if (s[i] != '\\') {
                out += s[i];
                continue;
            }
            if (++i >= s.size()) break;
            if (s[i] != '\\' && s[i] != '"') Fail(std::string("bad escape '\\") + s[i] + "'");
            out += s[i];
        }
        if (i >= s.size()) Fail("unterminated string");
        s.remove_prefix(i + 1);
        return out;
    }

    void ParseValue(std::string_view s) {
        RegFileValue value;
        if (s.front() == '@') {
            s.remove_prefix(1);
        } else {
            value.name = ParseQuoted(s);
            if (!ValidName(value.name)) Fail("control character in a value name");
            value.name =
                MachineText(std::move(value.name), "the name of " + ValueShown(value.name));
        }
        s = TrimLeft(s);
        if (s.empty() || s.front() != '=') Fail("'=' expected after the value name");
        s = TrimLeft(s.substr(1));
        if (s == "-") {
            value.remove = true;
        } else if (!s.empty() && s.front() == '"') {
            std::string text = ParseQuoted(s);
            if (!s.empty()) Fail("unexpected text after the string");
            text = MachineText(std::move(text), "the data of " + ValueShown(value.name));
            value.type = REG_SZ;
            value.data.assign(text.begin(), text.end());
            value.data.push_back(0);
        } else if (StartsWithNoCase(s, "dword:")) {
            auto v = ParseHex32(s.substr(6));
            if (!v) Fail("bad dword value");
            value.type = REG_DWORD;
            for (int shift = 0; shift < 32; shift += 8)
                value.data.push_back(static_cast<std::uint8_t>(*v >> shift));
        } else if (StartsWithNoCase(s, "hex:")) {
            value.type = REG_BINARY;
            value.data = ParseHexBytes(s.substr(4));
        } else if (StartsWithNoCase(s, "hex(")) {
            std::size_t close = s.find(')');
            auto type =
                close == std::string_view::npos ? std::nullopt : ParseHex32(s.substr(4, close - 4));
            if (!type || close + 1 >= s.size() || s[close + 1] != ':') Fail("bad hex(type)");
            value.type = *type;
            value.data = ParseHexBytes(s.substr(close + 2));
            if (decoding_.utf16Data && IsUtf16StringType(value.type))
                value.data = MachineData(value.data, value.name);
        } else {
            Fail("bad value data");
        }
        sections_.back().values.push_back(std::move(value));
    }

    // Comma-separated bytes; a line ending in '\' goes on on the next line.
    std::vector<std::uint8_t> ParseHexBytes(std::string_view first) {
        std::string joined;
        std::string_view part = TrimRight(first);
        while (!part.empty() && part.back() == '\\') {
            part.remove_suffix(1);
            joined += part;
            std::string_view next;
            if (!NextLine(next)) Fail("hex data goes on past the end of the file");
            part = TrimLeft(TrimRight(next));
        }
        joined += part;

        std::vector<std::uint8_t> bytes;
        std::string_view rest = TrimLeft(joined);
        while (!rest.empty()) {
            std::size_t comma = rest.find(',');
            std::string_view token = TrimLeft(TrimRight(rest.substr(0, comma)));
            auto byte = token.size() <= 2 ? ParseHex32(token) : std::nullopt;
            if (!byte) Fail("bad hex byte '" + std::string(token) + "'");
            bytes.push_back(static_cast<std::uint8_t>(*byte));
            if (comma == std::string_view::npos) break;
            rest = TrimLeft(rest.substr(comma + 1)); // a trailing comma is tolerated
        }
        return bytes;
    }

    std::string_view text_;
    const std::string& source_;
    Decoding decoding_;
    std::string keyText_; // the current key as the file writes it, for messages
    std::size_t pos_ = 0;
    std::size_t lineNo_ = 0;
    std::vector<RegFileSection> sections_;
};

} // namespace

RegFileError::RegFileError(const std::string& source, std::size_t line, const std::string& problem)
    : MachineError(source + ":" + std::to_string(line) + ": " + problem), line_(line) {}

std::vector<RegFileSection> ParseRegFile(std::string_view text, const std::string& source) {
    return Reader(text, source).Parse();
}

void ApplyRegFile(RegistryTree& tree, std::vector<RegFileSection> sections) {
    for (RegFileSection& section : sections) {
        RegKey* key = &tree.Root(section.key.root);
        const auto& names = section.key.names;
        if (section.remove) {
            for (std::size_t i = 0; key && i + 1 < names.size(); ++i)
                key = key->FindSubKey(names[i]).get();
            if (key) key->RemoveSubKey(names.back());
            continue;
        }
        for (const std::string& name : names)
            key = key->AddSubKey(name).get();
        for (RegFileValue& v : section.values) {
            if (v.remove)
                key->DeleteValue(v.name);
            else
                key->SetValue(v.name, v.type, std::move(v.data));
        }
    }
}

std::vector<RegFileSection> ParseUserRegFile(std::string_view bytes, const std::string& source,
                                             unsigned codePage) {
    Decoding decoding;
    decoding.userFile = true;
    decoding.codePage = codePage;
    if (!bytes.starts_with(kUtf16Mark)) return Reader(bytes, source, decoding).Parse();
    bytes.remove_prefix(kUtf16Mark.size());
    std::size_t bad = 0;
    auto text = Utf16leToUtf8(bytes, &bad);
    if (!text) {
        std::size_t line = 1;
        for (std::size_t i = 0; i + 1 < bad; i += 2)
            line += bytes[i] == '\n' && bytes[i + 1] == '\0';
        throw RegFileError(source, line, "not UTF-16 text");
    }
    decoding.utf8Text = true;
    return Reader(*text, source, decoding).Parse();
}

RegistryTree LoadRegFile(std::string_view text, const std::string& source) {
    RegistryTree tree;
    ApplyRegFile(tree, ParseRegFile(text, source));
    return tree;
}

} // namespace tarn::platform::portable
