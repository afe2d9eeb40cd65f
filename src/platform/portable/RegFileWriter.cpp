// Writing REGEDIT4 text the way regedit exports it.
#include "platform/portable/RegFile.h"

namespace tarn::platform::portable {
namespace {

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

void AppendValue(std::string& out, const RegValue& v) {
    std::size_t lineStart = out.size();
    if (v.name.empty()) {
        out += '@';
    } else {
        out += '"';
        AppendEscaped(out, v.name);
        out += '"';
    }
    out += '=';
    if (v.type == REG_SZ && IsPlainText(v.data)) {
        out += '"';
        AppendEscaped(
            out, std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size() - 1));
        out += "\"\n";
        return;
    }
    if (v.type == REG_DWORD && v.data.size() == 4) {
        std::uint32_t d = v.data[0] | (v.data[1] << 8) | (v.data[2] << 16) |
                          (static_cast<std::uint32_t>(v.data[3]) << 24);
        out += "dword:";
        AppendHex(out, d, 8);
        out += '\n';
        return;
    }
    if (v.type == REG_BINARY) {
        out += "hex:";
    } else {
        out += "hex(";
        AppendHexType(out, v.type);
        out += "):";
    }
    std::size_t column = out.size() - lineStart;
    for (std::size_t i = 0; i < v.data.size(); ++i) {
        AppendHex(out, v.data[i], 2);
        if (i + 1 == v.data.size()) break;
        out += ',';
        column += 3;
        if (column >= kHexLineWidth) {
            out += "\\\n  ";
            column = 2;
        }
    }
    out += '\n';
}

void AppendKey(std::string& out, const RegKey& key, std::string& path) {
    out += '[';
    out += path;
    out += "]\n";
    for (std::size_t i = 0; i < key.ValueCount(); ++i)
        AppendValue(out, key.ValueAt(i));
    out += '\n';
    for (std::size_t i = 0; i < key.SubKeyCount(); ++i) {
        const RegKey& sub = *key.SubKeyAt(i);
        std::size_t length = path.size();
        path += '\\';
        path += sub.Name();
        AppendKey(out, sub, path);
        path.resize(length);
    }
}

} // namespace

std::string WriteRegFile(const RegistryTree& tree) {
    std::string out = "REGEDIT4\n\n";
    for (RootKey root : kRootKeys) {
        std::string path = RootName(root);
        AppendKey(out, tree.Root(root), path);
    }
    return out;
}

std::string WriteRegFile(const RegKey& key) {
    std::string out = "REGEDIT4\n\n";
    std::string path = key.FullPath();
    AppendKey(out, key, path);
    return out;
}

} // namespace tarn::platform::portable
