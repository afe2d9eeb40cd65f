// Replacing a destination that is in use: the file is written under a free temporary name and
// put in place at the next reboot (WININIT.INI on Windows 95/98, a delayed move elsewhere, a
// run-once batch file when the system refuses the move).
#include "archive/ArchivePaths.h"
#include "framework/FileExists.h"
#include "framework/StringList.h"
#include "install/cmp_TInstallContainer.h"
#include "install/cmp_TInstallContainer_InstallFile.h"
#include "platform/Platform.h"
#include "routines/routines_API.h"
#include "routines/routines_Registry.h"
#include "routines/routines_Text.h"

namespace tarn::install {

namespace {

constexpr const char* kBatchRunOnceName = "TarnwellBatFile";

bool IsWindows95Or98() {
    try {
        return VersionCodeIn(GetWindowsVersionCode(), {1, 7});
    } catch (const EAPIRoutines&) {
        return false;
    }
}

} // namespace

void TCustomInstallFile::PrepareReplace() {
    if (OnBeforeReplace) OnBeforeReplace(*this);
    NotifyHelpers(this, nfBeforeReplace, this);
    if (TInstallContainer* container = GetContainer())
        container->DoInformationEventControl(this, ieBeforeReplace, this);
    CopyThisFile = true;

    const std::string target = FullDestination();
    if (!FileExists(target) || platform::Files().DeleteFile(target) == platform::ERROR_SUCCESS)
        return;

    ReplaceAtReboot = true;
    const std::string folder = IncludeBackslash(GetDestination());
    std::string temp;
    for (int n = 1;; ++n) {
        temp = archive::ChangeFileExt(DestFileName(), "." + std::to_string(n));
        if (!FileExists(folder + temp)) break;
    }
    replacedName_ = DestFileName();
    SetDestFileName(temp);

    std::string shortTarget = GetShortPath(target);
    if (shortTarget.empty()) shortTarget = target;
    const std::string shortTemp = archive::ExtractFilePath(shortTarget) + temp;
    IFileInstallDriver* driver = FileInstallDriver();

    if (IsWindows95Or98()) {
        platform::Profile().WriteString(IncludeBackslash(GetWindowsDir()) + "WININIT.INI", "Rename",
                                        shortTarget, shortTemp);
        if (driver) driver->SetRebootNeeded();
        return;
    }
    if (driver) driver->SetRebootNeeded();
    const platform::DWORD moved = platform::Files().MoveFile(
        folder + temp, target,
        platform::MOVEFILE_REPLACE_EXISTING | platform::MOVEFILE_DELAY_UNTIL_REBOOT);
    if (moved == platform::ERROR_SUCCESS || !driver) return;

    // The system keeps no list of delayed moves for us: a batch file run at the next start does
    // the move instead, and is deleted after it.
    const std::string batch = archive::ChangeFileExt(CreateTempFileName(false), ".bat");
    TStringList lines;
    lines.Add("erase " + shortTarget);
    lines.Add("move " + shortTemp + " " + shortTarget);
    lines.SaveToFile(batch);
    driver->AddUnfinished(batch, 1);
    if (!AddRunOnceEntry(kBatchRunOnceName, batch, false))
        throw IECustomInstallFile(SBatchNotRegistered, Name());
}

} // namespace tarn::install
