// Information events arriving at a file container: checked, turned into the container's own
// events and progress figures, and passed up to its container. A container that runs no
// operation drops them.
#include "install/cmp_TInstallContainer.h"

namespace tarn::install {

namespace {

TList* RequireList(TObject* parameter, const std::string& name) {
    if (!parameter) throw IEFileContainer(SNilParameter, name);
    auto* list = dynamic_cast<TList*>(parameter);
    if (!list) throw IEFileContainer(SNotList);
    if (list->Count() < 2) throw IEFileContainer(STooFewParameters);
    return list;
}

} // namespace

TCustomInstallFile& TFileContainer::RequireFile(TObject* parameter, std::string_view wrongKind) {
    if (!parameter) throw IEFileContainer(SNilParameter, Name());
    auto* file = dynamic_cast<TCustomInstallFile*>(parameter);
    if (!file) throw IEFileContainer(wrongKind);
    return *file;
}

void TFileContainer::DoInformationEventControl(TComponent*, int code, TObject* parameter) {
    if (Operation == 0) return;
    switch (code) {
    case ieBeforeReplace:
        DoReplaceFile(RequireFile(parameter, SNotInstallFile));
        break;
    case ieExtractStatus:
    case ieCompressStatus:
    case ieCopyStatus:
        HandleStatus(code, parameter);
        break;
    case ieNewDisk:
        HandleNewDisk(parameter);
        break;
    case ieDownloadStatus:
        HandleDownload(parameter);
        break;
    case ieInstallCancelled:
    case ieNotCopied:
        HandleSkipped(parameter);
        break;
    default:
        break;
    }
    // The sender is this container from here on; the file always travels in the parameter.
    if (TInstallContainer* container = GetContainer())
        container->DoInformationEventControl(this, code, parameter);
}

void TFileContainer::HandleStatus(int, TObject* parameter) {
    TList* list = RequireList(parameter, Name());
    auto* file = dynamic_cast<TCustomInstallFile*>(list->Items(0));
    if (!file) throw IEFileContainer(SBadFirstParameter);
    auto* status = dynamic_cast<TFileStatusParameter*>(list->Items(1));
    if (!status) throw IEFileContainer(SBadSecondParameter);
    status->TotalBytesDone = BytesDone + status->FileBytesDone;
    status->TotalPercent = RoundedPercent(status->TotalBytesDone, TotalBytes);
    DoFileStatus(*file, *status);
    if (status->Stats.Finished && Operation >= 1 && Operation <= 4)
        BytesDone += status->Stats.OriginalSize;
}

void TFileContainer::HandleSkipped(TObject* parameter) {
    TCustomInstallFile& file = RequireFile(parameter, SBadFirstParameter);
    TFileStatusParameter status;
    status.FileBytesDone = file.FileSize;
    status.FilePercent = 100;
    status.FileName = file.SourceFileName;
    status.TotalBytesDone = BytesDone + file.FileSize;
    status.TotalPercent = RoundedPercent(status.TotalBytesDone, TotalBytes);
    DoFileStatus(file, status);
    BytesDone += file.FileSize; // a skipped file counts as done
}

void TFileContainer::HandleNewDisk(TObject* parameter) {
    TList* list = RequireList(parameter, Name());
    auto* file = dynamic_cast<TCustomInstallFile*>(list->Items(0));
    if (!file) throw IEFileContainer(SBadDiskParameter, 1);
    auto* disk = dynamic_cast<TDiskParameter*>(list->Items(1));
    if (!disk) throw IEFileContainer(SBadDiskParameter, 2);
    DoNewDisk(*file, *disk, *list);
}

void TFileContainer::HandleDownload(TObject* parameter) {
    if (!parameter) throw IEFileContainer(SNilParameter, Name());
    auto* status = dynamic_cast<TDownloadStatusParameter*>(parameter);
    if (!status) throw IEFileContainer(SNotDownloadStatus, Name());
    if (OnDownloadStatus)
        OnDownloadStatus(*this, status->FileName, 0, status->DownloadSize, status->DownloadedBytes,
                         status->Extra);
    NotifyHelpers(this, nfDownloadStatus, status);
}

void TFileContainer::DoReplaceFile(TCustomInstallFile& file) {
    if (OnReplaceFile) OnReplaceFile(file);
    NotifyHelpers(this, nfBeforeReplace, &file);
}

void TFileContainer::DoFileStatus(TCustomInstallFile& file, TFileStatusParameter& status) {
    if (OnFileStatus) OnFileStatus(file, status.FilePercent, status.TotalPercent);
    NotifyHelpers(this, nfFileStatus, &status);
}

void TFileContainer::DoNewDisk(TCustomInstallFile& file, TDiskParameter& disk, TList& list) {
    if (OnNewDisk) {
        std::string path = disk.Path;
        OnNewDisk(file, disk.DiskNumber, path);
        disk.Path = path;
        file.SetTag(1); // the request has been answered
    }
    NotifyHelpers(this, nfNewDisk, &list);
}

} // namespace tarn::install
