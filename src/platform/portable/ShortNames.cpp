#include "platform/portable/ShortNames.h"

#include "platform/portable/CodePage.h"

#include <algorithm>
#include <cctype>
#include <string_view>

namespace tarn::platform::portable {
namespace {

// Characters allowed in a short name besides letters and digits; bytes >= 0x80 are allowed too.
constexpr std::string_view kShortSpecials = "!#$%&'()-@^_`{}~";
// Characters that are legal in a long name but not in a short one: they become '_'.
constexpr std::string_view kReplaced = "+,;=[]";

bool IsShortChar(unsigned char c) {
    return std::isalnum(c) || c >= 0x80 ||
           kShortSpecials.find(static_cast<char>(c)) != std::string_view::npos;
}

// The characters of part that survive in a short name, upper-cased.
std::string CleanPart(std::string_view part, unsigned codePage) {
    std::string out;
    for (char c : part) {
        auto u = static_cast<unsigned char>(c);
        if (c == ' ' || c == '.') continue;
        if (kReplaced.find(c) != std::string_view::npos) {
            out += '_';
        } else if (IsShortChar(u)) {
            out += c;
        }
    }
    return UpperAnsi(out, codePage);
}

} // namespace

bool IsValidShortName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") return false;
    auto dot = name.find('.');
    std::string_view base = std::string_view(name).substr(0, dot);
    std::string_view ext =
        dot == std::string::npos ? std::string_view{} : std::string_view(name).substr(dot + 1);
    if (base.empty() || base.size() > 8 || ext.size() > 3) return false;
    if (dot != std::string::npos && ext.empty()) return false;
    auto legal = [](std::string_view s) {
        return std::all_of(s.begin(), s.end(),
                           [](char c) { return IsShortChar(static_cast<unsigned char>(c)); });
    };
    return legal(base) && legal(ext);
}

std::string MakeShortName(const std::string& longName, unsigned n, unsigned codePage) {
    auto dot = longName.rfind('.');
    std::string base = CleanPart(std::string_view(longName).substr(0, dot), codePage);
    std::string ext = dot == std::string::npos
                          ? std::string{}
                          : CleanPart(std::string_view(longName).substr(dot + 1), codePage);
    if (base.empty()) {
        // ".profile" and the like: the extension is all there is.
        base = ext;
        ext.clear();
    }
    if (base.empty()) base = "_";
    std::string tail = "~" + std::to_string(n);
    std::size_t keep = tail.size() >= 8 ? 1 : std::min<std::size_t>(6, 8 - tail.size());
    std::string alias = base.substr(0, keep) + tail;
    if (!ext.empty()) alias += "." + ext.substr(0, 3);
    return alias;
}

std::string UpperName(const std::string& name, unsigned codePage) {
    return UpperAnsi(name, codePage);
}

bool SameName(const std::string& a, const std::string& b, unsigned codePage) {
    return UpperAnsi(a, codePage) == UpperAnsi(b, codePage);
}

} // namespace tarn::platform::portable
