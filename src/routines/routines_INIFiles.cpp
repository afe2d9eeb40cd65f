#include "routines/routines_INIFiles.h"

#include "framework/StringList.h"
#include "framework/TextCase.h"
#include "platform/Platform.h"
#include "routines/routines_API.h"
#include "routines/routines_Text.h"

namespace tarn {

using namespace tarn::platform;

namespace {

bool IsRenameHeader(const std::string& line) {
    return SameTextAscii(line, "[RENAME]");
}

void AddWininitDelete(const std::string& path) {
    std::string wininit = IncludeBackslash(GetWindowsDir()) + "WININIT.INI";
    TStringList lines;
    DWORD attrs = 0;
    if (Files().GetAttributes(wininit, attrs) == ERROR_SUCCESS)
        lines.LoadFromFile(wininit);
    else
        lines.Add("[RENAME]");
    int header = -1;
    for (int i = 0; i < lines.Count() && header < 0; ++i)
        if (IsRenameHeader(lines[i])) header = i;
    if (header < 0) header = lines.Add("[RENAME]");
    // The newest request comes first in the section.
    lines.Insert(header + 1, "Nul=" + GetShortPath(path));
    lines.SaveToFile(wininit);
}

} // namespace

void DeleteFileOnReboot(const std::string& path) {
    try {
        if (IsWindows95Family(GetWindowsVersionCode()))
            AddWininitDelete(path);
        else
            Files().MoveFile(path, "", MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING);
    } catch (const std::exception&) {
        // Nothing visible happens when the restart-time delete cannot be arranged.
    }
}

} // namespace tarn
