#include "archive/ArchivePaths.h"

#include "framework/TextCase.h"
#include "platform/Platform.h"
#include "routines/routines_Text.h"

namespace tarn::archive {
namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/' || c == ':';
}

std::size_t NameStart(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i)
        if (IsSeparator(path[i - 1])) return i;
    return 0;
}

} // namespace

std::string ExtractFileName(std::string_view path) {
    return std::string(path.substr(NameStart(path)));
}

std::string ExtractFilePath(std::string_view path) {
    return std::string(path.substr(0, NameStart(path)));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
    const std::size_t start = NameStart(path);
    const std::size_t dot = path.rfind('.');
    const std::size_t end = (dot != std::string_view::npos && dot >= start) ? dot : path.size();
    return std::string(path.substr(0, end)) + std::string(ext);
}

std::string TrimBlanks(std::string_view text) {
    auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return std::string(text);
}

std::string_view UpToSemicolon(std::string_view text) {
    return text.substr(0, text.find(';'));
}

bool DirectoryExists(const std::string& path) {
    platform::DWORD attributes = 0;
    return !path.empty() &&
           platform::Files().GetAttributes(path, attributes) == platform::ERROR_SUCCESS &&
           (attributes & platform::FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool ForceDirectories(const std::string& folder) {
    std::string dir = folder;
    while (dir.size() > 3 && (dir.back() == '\\' || dir.back() == '/'))
        dir.pop_back();
    dir = ExcludeBackslash(dir);
    if (dir.empty() || DirectoryExists(dir)) return true;
    const std::string parent = ExtractFilePath(dir);
    // "C:" and "C:\" have no parent to make.
    if (dir.size() < 3 || parent == dir) return DirectoryExists(dir);
    if (!ForceDirectories(parent)) return false;
    platform::Files().CreateDirectory(dir);
    return DirectoryExists(dir);
}

bool SameFile(const std::string& a, const std::string& b) {
    platform::IFileSystem& files = platform::Files();
    std::string fullA, fullB, shortA, shortB;
    if (files.GetFullPathName(a, fullA) != platform::ERROR_SUCCESS ||
        files.GetFullPathName(b, fullB) != platform::ERROR_SUCCESS)
        return SameTextAscii(a, b);
    if (SameTextAscii(fullA, fullB)) return true;
    return files.GetShortPathName(fullA, shortA) == platform::ERROR_SUCCESS &&
           files.GetShortPathName(fullB, shortB) == platform::ERROR_SUCCESS &&
           SameTextAscii(shortA, shortB);
}

} // namespace tarn::archive
