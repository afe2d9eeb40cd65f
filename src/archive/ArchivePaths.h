// Path and text helpers of the archive engine, on Windows paths: "\" separates folders, and "/"
// (which Windows accepts as well) and a drive's ":" count as separators too.
#pragma once

#include <string>
#include <string_view>

namespace tarn::archive {

// The part after the last separator: "C:\dir\a.dll" -> "a.dll".
std::string ExtractFileName(std::string_view path);
// Up to and including the last separator: "C:\dir\a.dll" -> "C:\dir\".
std::string ExtractFilePath(std::string_view path);
// The extension (from the last "." of the file name on) replaced by ext, or ext appended.
std::string ChangeFileExt(std::string_view path, std::string_view ext);
// Without leading and trailing blanks and control characters.
std::string TrimBlanks(std::string_view text);
// The text up to its first ";" (all of it when it has none).
std::string_view UpToSemicolon(std::string_view text);

bool DirectoryExists(const std::string& path);
// Creates the folder with all missing parents; true when it exists afterwards.
bool ForceDirectories(const std::string& folder);
// Whether two paths name one file: the same full path, or the same short (8.3) form of it.
bool SameFile(const std::string& a, const std::string& b);

} // namespace tarn::archive
