#include "platform/portable/PortableProfile.h"

#include "platform/portable/ShortNames.h"

#include <optional>
#include <string_view>
#include <utility>

namespace tarn::platform::portable {
namespace {

std::string Trim(std::string_view s) {
    auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return std::string(s);
}

// One line of an INI file as the profile functions see it.
struct Line {
    enum Kind { Blank, Comment, Header, Entry } kind = Blank;
    std::string name;  // section name for a header, key (or the whole line) for an entry
    std::string value; // entries with '=' only
    bool hasValue = false;
};

Line Classify(const std::string& raw) {
    Line line;
    std::string text = Trim(raw);
    if (text.empty()) return line;
    if (text[0] == ';') {
        line.kind = Line::Comment;
        return line;
    }
    if (text[0] == '[') {
        auto close = text.rfind(']');
        if (close != std::string::npos) {
            line.kind = Line::Header;
            line.name = Trim(std::string_view(text).substr(1, close - 1));
            return line;
        }
    }
    line.kind = Line::Entry;
    auto eq = text.find('=');
    if (eq == std::string::npos) {
        line.name = text;
    } else {
        line.name = Trim(std::string_view(text).substr(0, eq));
        line.value = Trim(std::string_view(text).substr(eq + 1));
        line.hasValue = true;
    }
    return line;
}

// The lines [header, end) of the first section with a given name.
struct Section {
    std::size_t header;
    std::size_t end;
};

std::optional<Section> FindSection(const std::vector<std::string>& lines, const std::string& name) {
    std::string wanted = Trim(name);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        Line line = Classify(lines[i]);
        if (line.kind != Line::Header || !SameName(line.name, wanted)) continue;
        std::size_t end = i + 1;
        while (end < lines.size() && Classify(lines[end]).kind != Line::Header)
            ++end;
        return Section{i, end};
    }
    return std::nullopt;
}

std::optional<std::size_t> FindKey(const std::vector<std::string>& lines, const Section& section,
                                   const std::string& key) {
    std::string wanted = Trim(key);
    for (std::size_t i = section.header + 1; i < section.end; ++i) {
        Line line = Classify(lines[i]);
        if (line.kind == Line::Entry && SameName(line.name, wanted)) return i;
    }
    return std::nullopt;
}

// Quotes around a whole value are not part of it.
std::string StripQuotes(const std::string& value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

} // namespace

PortableProfile::PortableProfile(IFileSystem& files, std::function<std::string()> windowsFolder)
    : files_(files), windowsFolder_(std::move(windowsFolder)) {}

std::string PortableProfile::Locate(const std::string& file) const {
    if (file.find_first_of("\\/:") != std::string::npos) return file;
    std::string folder = windowsFolder_();
    if (!folder.empty() && folder.back() != '\\') folder += '\\';
    return folder + file;
}

DWORD PortableProfile::Read(const std::string& path, std::vector<std::string>& lines) {
    lines.clear();
    HANDLE file = INVALID_HANDLE_VALUE;
    DWORD error = files_.CreateFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, file);
    if (error) return error;
    std::string content;
    char buffer[16 * 1024];
    for (;;) {
        DWORD got = 0;
        error = files_.ReadFile(file, buffer, sizeof buffer, got);
        if (error || got == 0) break;
        content.append(buffer, got);
    }
    files_.CloseFile(file);
    if (error) return error;
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        if (end == std::string::npos) end = content.size();
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return ERROR_SUCCESS;
}

DWORD PortableProfile::Write(const std::string& path, const std::vector<std::string>& lines) {
    std::string content;
    for (const auto& line : lines)
        content += line + "\r\n";
    HANDLE file = INVALID_HANDLE_VALUE;
    // OPEN_ALWAYS rather than CREATE_ALWAYS: the file keeps its hidden or system attribute.
    DWORD error =
        files_.CreateFile(path, GENERIC_WRITE, 0, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, file);
    if (error) return error;
    DWORD written = 0;
    error = files_.WriteFile(file, content.data(), static_cast<DWORD>(content.size()), written);
    if (!error) error = files_.SetEndOfFile(file);
    DWORD closeError = files_.CloseFile(file);
    return error ? error : closeError;
}

void PortableProfile::GetSection(const std::string& file, const std::string& section,
                                 std::vector<std::string>& lines) {
    lines.clear();
    std::vector<std::string> content;
    if (Read(Locate(file), content)) return;
    auto found = FindSection(content, section);
    if (!found) return;
    for (std::size_t i = found->header + 1; i < found->end; ++i) {
        Line line = Classify(content[i]);
        if (line.kind != Line::Entry) continue;
        lines.push_back(line.hasValue ? line.name + "=" + line.value : line.name);
    }
}

void PortableProfile::GetSectionNames(const std::string& file, std::vector<std::string>& names) {
    names.clear();
    std::vector<std::string> content;
    if (Read(Locate(file), content)) return;
    for (const auto& raw : content) {
        Line line = Classify(raw);
        if (line.kind == Line::Header) names.push_back(line.name);
    }
}

std::string PortableProfile::GetString(const std::string& file, const std::string& section,
                                       const std::string& key, const std::string& defaultValue) {
    std::vector<std::string> content;
    if (Read(Locate(file), content)) return defaultValue;
    auto found = FindSection(content, section);
    if (!found) return defaultValue;
    auto at = FindKey(content, *found, key);
    if (!at) return defaultValue;
    Line line = Classify(content[*at]);
    return line.hasValue ? StripQuotes(line.value) : defaultValue;
}

DWORD PortableProfile::WriteString(const std::string& file, const std::string& section,
                                   const std::string& key, const std::string& value) {
    if (file.empty()) return ERROR_INVALID_PARAMETER;
    const std::string path = Locate(file);
    std::vector<std::string> content;
    DWORD error = Read(path, content);
    if (error && error != ERROR_FILE_NOT_FOUND) return error;

    auto found = FindSection(content, section);
    if (!found) {
        content.push_back("[" + Trim(section) + "]");
        content.push_back(Trim(key) + "=" + value);
        return Write(path, content);
    }
    if (auto at = FindKey(content, *found, key)) {
        std::string replaced = Classify(content[*at]).name + "=" + value;
        if (content[*at] == replaced) return ERROR_SUCCESS;
        content[*at] = replaced;
        return Write(path, content);
    }
    // After the section's last non-blank line, before the blank lines that part it from the next.
    std::size_t insert = found->end;
    while (insert > found->header + 1 && Classify(content[insert - 1]).kind == Line::Blank)
        --insert;
    content.insert(content.begin() + static_cast<std::ptrdiff_t>(insert), Trim(key) + "=" + value);
    return Write(path, content);
}

DWORD PortableProfile::DeleteKey(const std::string& file, const std::string& section,
                                 const std::string& key) {
    const std::string path = Locate(file);
    std::vector<std::string> content;
    DWORD error = Read(path, content);
    if (error) return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
    auto found = FindSection(content, section);
    if (!found) return ERROR_SUCCESS;
    auto at = FindKey(content, *found, key);
    if (!at) return ERROR_SUCCESS;
    content.erase(content.begin() + static_cast<std::ptrdiff_t>(*at));
    return Write(path, content);
}

DWORD PortableProfile::EraseSection(const std::string& file, const std::string& section) {
    const std::string path = Locate(file);
    std::vector<std::string> content;
    DWORD error = Read(path, content);
    if (error) return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
    auto found = FindSection(content, section);
    if (!found) return ERROR_SUCCESS;
    content.erase(content.begin() + static_cast<std::ptrdiff_t>(found->header),
                  content.begin() + static_cast<std::ptrdiff_t>(found->end));
    return Write(path, content);
}

} // namespace tarn::platform::portable
