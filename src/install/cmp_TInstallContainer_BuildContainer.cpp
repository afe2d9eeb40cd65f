// A container's part of a build: where each helper's archive goes for the time it is built, the
// plain copy without archives, and the figures a build needs.
#include "archive/ArchivePaths.h"
#include "framework/FileExists.h"
#include "install/cmp_TInstallContainer.h"
#include "install/cmp_TInstallContainer_Build.h"
#include "install/cmp_TInstallContainer_InstallFile.h"
#include "paths/StandardSpecifiers.h"
#include "platform/Platform.h"
#include "routines/routines_Text.h"

namespace tarn::install {

namespace {

// A helper's archive settings and Include, put back however its build step ends.
class SavedSettings {
public:
    explicit SavedSettings(TFileRelated& node)
        : node_(node), append_(node.AppendToArchive), subPath_(node.ArchiveSubPath()),
          specifier_(node.ArchiveSpecifier()), include_(node.Include) {}
    ~SavedSettings() {
        node_.AppendToArchive = append_;
        node_.Include = include_;
        try {
            // Specifier first: one that stands for a file clears the sub path.
            node_.SetArchiveSpecifier(specifier_);
            node_.SetArchiveSubPath(subPath_);
        } catch (const std::exception&) {
            // The node held these settings before; refusing them now cannot be answered here.
        }
    }
    SavedSettings(const SavedSettings&) = delete;
    SavedSettings& operator=(const SavedSettings&) = delete;

private:
    TFileRelated& node_;
    bool append_;
    std::string subPath_;
    TCustomPathSpecifier* specifier_;
    bool include_;
};

void PointAt(TFileRelated& node, const std::string& archive, bool append) {
    node.SetArchiveSpecifier(nullptr);
    node.SetArchiveSubPath(archive);
    node.AppendToArchive = append;
}

std::string OwnNetArchive(const TFileRelated& node, const std::string& folder) {
    return folder + "\\" + node.NetPath() + "\\" + node.Name() + ".1";
}

void DeleteOldArchive(const TFileContainer& self, const std::string& path) {
    if (FileExists(path) && platform::Files().DeleteFile(path) != platform::ERROR_SUCCESS)
        throw IEFileContainer(SCannotDeleteArchive, self.Name(), path);
}

// The folder of the install driver's archive, which psInstallSource archives move to.
std::string DriverArchiveFolder(TFileContainer& self) {
    IInstallRunner* runner = GlobalInstallDriver();
    TFileContainer& driver = runner ? runner->RunnerNode() : self;
    return ExcludeBackslash(archive::ExtractFilePath(driver.GetArchiveFile()));
}

void PlaceLocal(TFileContainer& self, TFileRelated& node, const std::string& folder,
                TCompressOptions options) {
    if (options.Contains(coClearLocalArchives)) return PointAt(node, "", true);
    TCustomPathSpecifier* specifier = node.ArchiveSpecifier();
    if (dynamic_cast<paths::TpsContainerArchiveFile*>(specifier)) {
        node.AppendToArchive = true;
    } else if (dynamic_cast<paths::TpsInstallSource*>(specifier)) {
        PointAt(node, DriverArchiveFolder(self) + node.ArchiveSubPath(), false);
    } else if (options.Contains(coRelocateArchives)) {
        const std::string archive = node.GetArchiveFile();
        const std::size_t colon = archive.find(':');
        PointAt(node, folder + (colon == std::string::npos ? "" : archive.substr(colon + 1)),
                false);
    }
}

void PlaceNet(TFileContainer& self, TCustomInstallFile& file, const std::string& folder) {
    if (file.NetLocation() || file.HasOwnArchive()) {
        // Only this file writes its own archive: started afresh, no earlier build's member stays.
        PointAt(file, OwnNetArchive(file, folder), false);
    } else {
        PointAt(file, self.LocalFile, true);
    }
}

void BuildHelper(TFileContainer& self, TFileRelated& node, const std::string& folder,
                 TCompressOptions options) {
    auto* file = dynamic_cast<TCustomInstallFile*>(&node);
    const bool net = file && !options.Contains(coForceNetFilesLocal) &&
                     (node.NetFile() || options.Contains(coForceFilesNet));
    SavedSettings saved(node);
    if (options.Contains(coIncludeExcluded)) node.Include = true;
    if (net)
        PlaceNet(self, *file, folder);
    else
        PlaceLocal(self, node, folder, options);
    if (auto* files = dynamic_cast<TFileContainer*>(&node))
        files->Compress(options);
    else if (file)
        file->Compress();
}

// Every file the build would reach must fit the net file list, checked before anything is
// written so that a refused name leaves no half-built archives.
void RequireNetListNames(const TFileContainer& self, TCompressOptions options) {
    for (TInstallObject* helper : self.Helpers()) {
        if (!helper->Include && !options.Contains(coIncludeExcluded)) continue;
        if (auto* file = dynamic_cast<TCustomInstallFile*>(helper))
            RequireNetListName(*file);
        else if (auto* files = dynamic_cast<TFileContainer*>(helper))
            RequireNetListNames(*files, options);
    }
}

void BuildContainer(TFileContainer& self, TCompressOptions options) {
    if (self.OnBeforeProcess) self.OnBeforeProcess(self);
    if (!self.Include) return;
    TInstallContainer* container = self.GetContainer();
    if (container) container->DoInformationEventControl(&self, ieOperationBegins, &self);
    self.ReadInfoFromSources();
    self.TotalBytes = self.DeepSize(options.Contains(coIncludeExcluded));
    self.BytesDone = 0;
    const std::string archiveFile = self.GetArchiveFile();
    const std::string folder = ExcludeBackslash(archive::ExtractFilePath(archiveFile));
    try {
        self.LocalFile = OwnNetArchive(self, folder);
    } catch (const IEFileRel_NoNetLocation&) {
        if (!options.Contains(coForceNetFilesLocal)) throw;
    }
    if (!self.AppendToArchive) DeleteOldArchive(self, archive::ChangeFileExt(archiveFile, ".1"));
    if (self.HasNetFiles() || (options.Contains(coForceFilesNet) && self.FileCount() > 0))
        DeleteOldArchive(self, self.LocalFile);
    for (std::size_t i = 0; i < self.Helpers().size(); ++i)
        if (auto* node = dynamic_cast<TFileRelated*>(self.Helpers()[i]))
            BuildHelper(self, *node, folder, options);
    if (self.OnAfterProcess) self.OnAfterProcess(self);
    if (container) container->DoInformationEventControl(&self, ieOperationEnds, &self);
}

} // namespace

void TFileContainer::Compress(TCompressOptions options) {
    if (options.Contains(coForceNetFilesLocal) && options.Contains(coForceFilesNet))
        throw IEFileContainer(SBothForceOptions);
    RequireNetListNames(*this, options);
    Operation = 1;
    auto finish = [this] {
        Operation = 0;
        NotifyHelpers(this, nfOperationEnds, nullptr);
    };
    try {
        BuildContainer(*this, options);
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void TFileContainer::CopyFiles() {
    Operation = 3;
    auto finish = [this] {
        Operation = 0;
        NotifyHelpers(this, nfOperationEnds, nullptr);
    };
    try {
        if (OnBeforeProcess) OnBeforeProcess(*this);
        if (Include) {
            TInstallContainer* container = GetContainer();
            if (container) container->DoInformationEventControl(this, ieOperationBegins, this);
            ReadInfoFromSources();
            TotalBytes = DeepSize(false);
            BytesDone = 0;
            for (std::size_t i = 0; i < helpers_.size(); ++i)
                if (auto* file = dynamic_cast<TCustomInstallFile*>(helpers_[i])) file->CopyFile();
            for (std::size_t i = 0; i < helpers_.size(); ++i)
                if (auto* files = dynamic_cast<TFileContainer*>(helpers_[i])) files->CopyFiles();
            if (OnAfterProcess) OnAfterProcess(*this);
            if (container) container->DoInformationEventControl(this, ieOperationEnds, this);
        }
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

std::int64_t TFileContainer::TotalCompressedSize(bool includeAll) {
    std::int64_t total = 0;
    for (std::size_t i = 0; i < helpers_.size(); ++i) {
        TInstallObject* helper = helpers_[i];
        if (!includeAll && !helper->IsSelected()) continue;
        if (auto* file = dynamic_cast<TCustomInstallFile*>(helper))
            total += file->CompressedSize;
        else if (auto* files = dynamic_cast<TFileContainer*>(helper))
            total += files->TotalCompressedSize(includeAll);
    }
    return total;
}

bool TFileContainer::HasContainerNetFiles() {
    if (DistributeType() == 0) return false;
    for (TInstallObject* helper : helpers_)
        if (auto* file = dynamic_cast<TCustomInstallFile*>(helper))
            if (file->NetFile() && file->Include && !file->NetLocation()) return true;
    return false;
}

} // namespace tarn::install
