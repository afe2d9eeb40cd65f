// What the tree knows of an install file: it is listed while it lives, and its archive work
// reports progress and volume requests up the tree.
#include "archive/ArchivePaths.h"
#include "archive/cmp_TTarnCompress.h"
#include "install/cmp_TInstallContainer.h"
#include "paths/StandardSpecifiers.h"
#include "platform/Platform.h"
#include "routines/routines_Text.h"
#include "translator/cmp_TTranslator.h"

namespace tarn::install {

TCustomInstallFile::TCustomInstallFile(TComponent* owner) : TFileRelated(owner) {
    Include = true;
    InstallWithContainer = true;
    SetNetFile(false);
    if (auto* list = InstallFileList()) list->Add(this);
}

TCustomInstallFile::~TCustomInstallFile() {
    if (auto* list = InstallFileList()) list->Remove(this);
    if (auto* list = RetryRegistrationList()) list->Remove(this);
}

void TCustomInstallFile::StatusHandler(archive::TTarnCompress&,
                                       const archive::TlzhFileStats& stats) {
    TFileStatusParameter status;
    status.FileBytesDone = stats.FileBytesDone;
    status.FilePercent = stats.FilePercent;
    status.FileName = SourceFileName;
    status.Stats = stats;
    status.TotalBytesDone = stats.TotalBytesDone;
    status.TotalPercent = stats.TotalPercent;
    TList list{this, &status};
    if (OnStatus) OnStatus(*this, status.FilePercent, status.TotalPercent);
    NotifyHelpers(this, nfFileStatus, &status);
    int code = 0;
    switch (Operation) {
    case 1:
        code = ieCompressStatus;
        break;
    case 2:
        code = ieExtractStatus;
        break;
    case 3:
        code = ieCopyStatus;
        break;
    default:
        return;
    }
    if (TInstallContainer* container = GetContainer())
        container->DoInformationEventControl(this, code, &list);
}

void TCustomInstallFile::DiskHandler(archive::TTarnCompress& sender, int diskNumber,
                                     std::string& path) {
    SetTag(0);
    TDiskParameter disk;
    disk.DiskNumber = diskNumber;
    disk.Path = ExcludeBackslash(archive::ExtractFilePath(GetArchiveFile()));
    TList list{this, &disk};
    if (OnNewDisk) {
        std::string asked = disk.Path;
        OnNewDisk(*this, diskNumber, asked);
        disk.Path = asked;
    }
    NotifyHelpers(this, nfNewDisk, &list);
    if (TInstallContainer* container = GetContainer())
        container->DoInformationEventControl(this, ieNewDisk, &list);
    // Nobody answered: the user is asked to put the disk in.
    if (!OnNewDisk && Tag() == 0 &&
        !platform::UI().OkCancel(
            "", Format(translator::TranslateText(std::string(SInsertDisk)), diskNumber)))
        sender.SetAbort(true);
    path = ExcludeBackslash(disk.Path);
    try {
        if (auto* main = StandardSpecifier<paths::TpsMainArchiveFile>()) main->ArchiveFolder = path;
    } catch (const std::exception&) {
    }
    SetTag(0);
}

} // namespace tarn::install
