#include "routines/routines_Text.h"

#include "framework/StringList.h"

#include <algorithm>
#include <charconv>

namespace tarn {

std::optional<std::int32_t> StrToIntStrict(const std::string& text) {
    std::size_t first = 0;
    while (first < text.size() && static_cast<unsigned char>(text[first]) <= ' ')
        ++first;
    const char* begin = text.data() + first;
    const char* end = text.data() + text.size();
    if (begin != end && *begin == '+') ++begin;
    std::int32_t value = 0;
    auto [at, error] = std::from_chars(begin, end, value);
    if (error != std::errc() || at != end || begin == end) return std::nullopt;
    return value;
}

std::string IncludeBackslash(const std::string& text) {
    return text.empty() || text.back() == '\\' ? text : text + '\\';
}

std::string ExcludeBackslash(const std::string& text) {
    return !text.empty() && text.back() == '\\' ? text.substr(0, text.size() - 1) : text;
}

int CountFields(const std::string& text, char separator) {
    if (text.empty()) return 0;
    int count = static_cast<int>(std::count(text.begin(), text.end(), separator));
    return text.back() == separator ? count : count + 1;
}

std::string GetField(const std::string& text, int n, char separator) {
    if (n < 1) n = 1;
    std::size_t start = 0;
    for (int i = 1; i < n; ++i) {
        std::size_t sep = text.find(separator, start);
        if (sep == std::string::npos) return {};
        start = sep + 1;
    }
    std::size_t end = text.find(separator, start);
    return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

void SplitFields(const std::string& text, char separator, TStringList& list) {
    list.Clear();
    int count = CountFields(text, separator);
    for (int i = 1; i <= count; ++i)
        list.Add(GetField(text, i, separator));
}

std::string TextAfterColon(const std::string& text) {
    std::size_t colon = text.find(':');
    return colon == std::string::npos ? std::string() : text.substr(colon + 1);
}

std::string CleanFileName(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '/') c = '-';
        if (std::string_view("\"*:;<>?\\|").find(c) != std::string_view::npos) continue;
        out += c;
    }
    return out;
}

} // namespace tarn
