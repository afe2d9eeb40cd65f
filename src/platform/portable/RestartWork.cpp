#include "platform/portable/RestartWork.h"

#include <cctype>
#include <string_view>

namespace tarn::platform::portable {
namespace {

constexpr std::string_view kNtPrefix = "\\??\\";
constexpr char kReplaceMark = '!';

struct Unprefixed {
    std::string path;
    bool replace = false;
};

// The only place that knows how a path is spelled inside the value.
std::string Prefixed(const std::string& path, bool replace) {
    std::string out = replace ? std::string(1, kReplaceMark) : std::string();
    return out.append(kNtPrefix).append(path);
}

Unprefixed Unprefix(std::string_view text) {
    Unprefixed out;
    if (!text.empty() && text.front() == kReplaceMark) {
        out.replace = true;
        text.remove_prefix(1);
    }
    if (text.starts_with(kNtPrefix)) text.remove_prefix(kNtPrefix.size());
    out.path = text;
    return out;
}

bool Encodable(const PendingOperation& op) {
    auto noNul = [](const std::string& s) { return s.find('\0') == std::string::npos; };
    return !op.source.empty() && noNul(op.source) && noNul(op.target);
}

void Append(std::vector<std::uint8_t>& out, const std::string& text) {
    out.insert(out.end(), text.begin(), text.end());
    out.push_back(0);
}

// The NUL-ended strings of data; what follows the last NUL is not a string yet.
std::vector<std::string_view> Strings(const std::vector<std::uint8_t>& data) {
    std::vector<std::string_view> strings;
    const char* bytes = reinterpret_cast<const char*>(data.data());
    std::size_t start = 0;
    for (std::size_t i = 0; i < data.size(); ++i) {
        if (data[i] != 0) continue;
        strings.emplace_back(bytes + start, i - start);
        start = i + 1;
    }
    return strings;
}

bool IsNul(std::string name) {
    for (char& c : name)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return name == "NUL";
}

} // namespace

std::vector<std::uint8_t> EncodePendingRenames(const std::vector<PendingOperation>& operations) {
    std::vector<std::uint8_t> out;
    for (const PendingOperation& op : operations) {
        if (!Encodable(op)) continue;
        Append(out, Prefixed(op.source, false));
        Append(out, op.target.empty() ? std::string() : Prefixed(op.target, op.replaceExisting));
    }
    out.push_back(0);
    return out;
}

std::vector<PendingOperation> DecodePendingRenames(const std::vector<std::uint8_t>& data) {
    const std::vector<std::string_view> strings = Strings(data);
    std::vector<PendingOperation> operations;
    for (std::size_t i = 0; i + 1 < strings.size(); i += 2) {
        std::string source = Unprefix(strings[i]).path;
        if (source.empty()) break;
        if (strings[i + 1].empty()) {
            operations.push_back({std::move(source), {}, false});
            continue;
        }
        Unprefixed target = Unprefix(strings[i + 1]);
        if (target.path.empty()) continue;
        operations.push_back({std::move(source), std::move(target.path), target.replace});
    }
    return operations;
}

std::optional<PendingOperation> ParseWininitRename(const std::string& line) {
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos) return std::nullopt;
    std::string target = line.substr(0, eq);
    std::string source = line.substr(eq + 1);
    if (target.empty() || source.empty()) return std::nullopt;
    if (IsNul(target)) return PendingOperation{std::move(source), {}, false};
    return PendingOperation{std::move(source), std::move(target), true};
}

} // namespace tarn::platform::portable
