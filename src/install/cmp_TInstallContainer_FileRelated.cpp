// TFileRelated: the archive a node's files come from, where that archive is downloaded from, and
// the memory of an archive downloaded in an earlier run.
#include "archive/ArchivePaths.h"
#include "framework/FileExists.h"
#include "install/cmp_TInstallContainer.h"
#include "install/cmp_TNetInstallLocation.h"
#include "paths/StandardSpecifiers.h"
#include "platform/Platform.h"
#include "routines/cmp_TTarnRegistry.h"
#include "routines/routines_API.h"
#include "routines/routines_Registry.h"
#include "routines/routines_Text.h"

namespace tarn::install {

namespace {

bool Blank(const std::string& text) {
    return archive::TrimBlanks(text).empty();
}

} // namespace

TFileRelated::TFileRelated(TComponent* owner) : TInstallObject(owner) {
    InstallWithContainer = true;
}

void TFileRelated::AfterConstruction() {
    TInstallObject::AfterConstruction();
    if (!containerDefaulted_) return;
    archive_.SetSpecifier(*this, StandardSpecifier<paths::TpsContainerArchiveFile>());
    archive_.SetSubPath(*this, "");
    if (auto* s = archive_.Specifier()) FreeNotification(s);
    archiveDefaulted_ = true;
}

void TFileRelated::SetContainer(TInstallContainer* container) {
    containerAssigned_ = true;
    if (container == GetContainer()) return;
    TInstallObject::SetContainer(container);
    if (Loading()) return;
    if (dynamic_cast<TFileRelated*>(container)) {
        SetArchiveSpecifier(StandardSpecifier<paths::TpsContainerArchiveFile>());
        SetArchiveSubPath("");
    } else if (dynamic_cast<paths::TpsContainerArchiveFile*>(ArchiveSpecifier())) {
        SetArchiveSpecifier(nullptr);
    }
}

void TFileRelated::SetArchiveSpecifier(TCustomPathSpecifier* specifier) {
    archiveAssigned_ = true;
    archive_.SetSpecifier(*this, specifier);
    if (specifier) FreeNotification(specifier);
}

void TFileRelated::SetArchiveSubPath(const std::string& text) {
    archive_.SetSubPath(*this, text);
}

void TFileRelated::SetNetFile(bool netFile) {
    netFile_ = netFile;
}

void TFileRelated::SetNetLocation(TCustomNetInstallLocation* location) {
    netLocation_ = location;
    if (location) FreeNotification(location);
}

std::string TFileRelated::GetArchiveFile() {
    return archive_.Expand(*this);
}

void TFileRelated::Loaded() {
    if (archiveDefaulted_ && !archiveAssigned_) SetArchiveSpecifier(nullptr);
    archiveDefaulted_ = false;
    TInstallObject::Loaded();
    std::string recorded;
    if (FindLocalFile(recorded)) LocalFile = recorded;
}

void TFileRelated::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component) {
        archive_.Forget(component);
        if (static_cast<TComponent*>(netLocation_) == component) SetNetLocation(nullptr);
    }
    TInstallObject::Notification(component, operation);
}

// Net locations.

TCustomNetInstallLocation* TFileRelated::FindNetLocation() const {
    if (netLocation_) return netLocation_;
    if (dynamic_cast<const TCustomInstallFile*>(this)) {
        TInstallContainer* container = GetContainer();
        if (!container) return DefaultNetLocation;
        if (auto* files = dynamic_cast<TFileContainer*>(container)) return files->FindNetLocation();
        return nullptr;
    }
    return DefaultNetLocation;
}

std::string TFileRelated::NetPath() const {
    TCustomNetInstallLocation* location = FindNetLocation();
    if (!location) throw IEFileRel_NoNetLocation(SNoNetLocation, Name());
    const TLoginInformation& login = location->LoginInformation;
    const std::string folder = CleanFileName(login.Directory);
    if (!Blank(login.RootDirectory)) return CleanFileName(login.RootDirectory) + "\\" + folder;
    return std::string(login.Protocol == 0 ? "FTP Root directory" : "HTTP Root directory") + "\\" +
           folder;
}

void TFileRelated::DownloadStatus(const std::string& fileName, std::int32_t status,
                                  std::int64_t size, std::int64_t done, std::int32_t extra) {
    TDownloadStatusParameter parameter;
    parameter.Extra = extra;
    parameter.FileName = fileName;
    parameter.DownloadSize = size;
    parameter.DownloadedBytes = done;
    parameter.Percent = RoundedPercent(done, size);
    if (OnDownloadStatus) OnDownloadStatus(*this, fileName, status, size, done, extra);
    NotifyHelpers(this, nfDownloadStatus, &parameter);
    if (TInstallContainer* container = GetContainer())
        container->DoInformationEventControl(this, ieDownloadStatus, &parameter);
}

void TFileRelated::Download() {
    std::string recorded;
    if (FindLocalFile(recorded)) {
        LocalFile = recorded;
        return;
    }
    TCustomNetInstallLocation* location = FindNetLocation();
    if (!location) throw Exception(SNoNetLocation, Name());
    if (!IsLoginInformationComplete(location->LoginInformation)) {
        if (netLocation_) throw IEFileRelated(SOwnLocationIncomplete, Name());
        throw IEFileRelated(SDriverLoginIncomplete, Name());
    }
    // The kept temporary file reserves the name the archive is downloaded under.
    LocalFile = archive::ChangeFileExt(CreateTempFileName(true), ".1");
    location->OnProgress = [this](TCustomNetInstallLocation&, const std::string& fileName,
                                  std::int32_t status, std::int64_t size, std::int64_t done,
                                  std::int32_t extra) {
        DownloadStatus(fileName, status, size, done, extra);
    };
    auto finish = [this, location] {
        location->OnProgress = nullptr;
        if (!NetInstallAborted) return;
        platform::Files().DeleteFile(LocalFile);
        LocalFile.clear();
        throw EAIUserAbort();
    };
    try {
        location->DownloadFile(archive::ChangeFileExt(Name(), ".1"), LocalFile);
    } catch (...) {
        finish(); // an abort by the user wins over the error it caused
        throw;
    }
    finish();
    if (!Designing()) StoreLocalFile(LocalFile);
}

std::string TFileRelated::LocalFileKey() const {
    // Without an install run's record there is nowhere to remember a download: writing below
    // the root of HKEY_LOCAL_MACHINE would leave a stray key.
    if (Blank(InstallRecordKey) || Blank(Name())) return "";
    return IncludeBackslash(InstallRecordKey) + Name();
}

void TFileRelated::StoreLocalFile(const std::string& path) {
    const std::string key = LocalFileKey();
    if (key.empty() || Blank(path)) return;
    try {
        WriteRegistryString(rcLocalMachine, key, "LocalFile", path);
    } catch (const Exception&) {
    }
}

bool TFileRelated::FindLocalFile(std::string& path) const {
    const std::string key = LocalFileKey();
    if (key.empty()) return false;
    std::string value;
    ReadRegistryString(rcLocalMachine, key, "LocalFile", value, "");
    if (Blank(value) || !FileExists(value)) return false;
    path = value;
    return true;
}

bool TFileRelated::IsArchiveLocal() {
    if (!Blank(LocalFile)) return true;
    std::string path;
    return FindLocalFile(path);
}

} // namespace tarn::install
