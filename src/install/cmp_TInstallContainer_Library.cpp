#include "install/cmp_TInstallContainer_Library.h"

#include "framework/FileExists.h"
#include "framework/StringList.h"
#include "framework/TextCase.h"
#include "platform/Platform.h"
#include "routines/cmp_TTarnRegistry.h"
#include "routines/routines_Registry.h"
#include "routines/routines_Text.h"

namespace tarn::install {
namespace {

// The development environment's keys; a build machine with that environment keeps working.
constexpr const char* kLibraryKey = "\\Software\\Borland\\Delphi\\5.0\\Library";
constexpr const char* kRootKey = "\\Software\\Borland\\Delphi\\5.0";
constexpr const char* kMarkerFile = "T32V50.TXT";
constexpr const char* kLibraryVariable = "TARNWELL_LIBRARY";

std::string TrimBlanks(const std::string& text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    std::size_t first = 0, last = text.size();
    while (first < last && blank(text[first]))
        ++first;
    while (last > first && blank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

bool HoldsMarker(const std::string& folder) {
    return FileExists(IncludeBackslash(folder) + kMarkerFile);
}

// Every occurrence of the token, in any letter case as the environment accepts it.
std::string ReplaceToken(const std::string& text, std::string_view token,
                         const std::string& replacement) {
    const std::string upper = UpperCaseAscii(text);
    std::string out;
    std::size_t from = 0;
    for (std::size_t at; (at = upper.find(token, from)) != std::string::npos;
         from = at + token.size())
        out += text.substr(from, at - from) + replacement;
    return out + text.substr(from);
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NotFound(bool raiseIfMissing) {
    if (raiseIfMissing) throw IENoTarnwellPath(SNoTarnwellPath);
    return {};
}

} // namespace

std::string TarnwellInfo::LibraryDirectory(bool raiseIfMissing) {
    std::string named;
    if (platform::System().GetEnvironmentVariable(kLibraryVariable, named)) {
        named = TrimBlanks(named);
        // A folder without the marker is a stale setting: the search path may still hold one.
        if (!named.empty() && HoldsMarker(named)) return ExcludeBackslash(named);
    }

    TStringList candidates;
    if (DesignOverride) {
        candidates.Add(FolderOf(platform::System().GetModuleFileName()));
    } else {
        std::string searchPath;
        ReadRegistryString(rcCurrentUser, kLibraryKey, "Search Path", searchPath, "");
        if (TrimBlanks(searchPath).empty()) return NotFound(raiseIfMissing);
        SplitFields(searchPath, ';', candidates);
    }

    std::string root;
    ReadRegistryString(rcLocalMachine, kRootKey, "RootDir", root, "");
    // The tokens are followed by a backslash of their own.
    root = ExcludeBackslash(root);
    for (int i = 0; i < candidates.Count(); ++i) {
        std::string folder = ReplaceToken(candidates[i], "$(DELPHI)", root);
        folder = ReplaceToken(folder, "$(BCB)", root);
        // An empty entry would name the marker in the current folder.
        if (!folder.empty() && HoldsMarker(folder)) return ExcludeBackslash(folder);
    }
    return NotFound(raiseIfMissing);
}

} // namespace tarn::install
