// TFileContainer: its files, its path specifier, its sizes and the install of its helpers.
#include "archive/ScopeExit.h"
#include "archive/cmp_TTarnCompress.h"
#include "framework/TextCase.h"
#include "install/cmp_TInstallContainer.h"
#include "platform/Platform.h"
#include "routines/routines_Text.h"

namespace tarn::install {

TFileContainer::TFileContainer(TComponent* owner) : TFileRelated(owner) {
    if (!CreatesFileContainerSpecifier() || !owner) return;
    specifier_ = new TpsFileContainer(owner, this);
    std::string name = "psFileContainer";
    for (int n = 1; owner->FindComponent(name); ++n)
        name = "psFileContainer" + std::to_string(n);
    specifier_->namingByContainer = true;
    specifier_->SetName(name);
    specifier_->namingByContainer = false;
    FreeNotification(specifier_);
}

TFileContainer::~TFileContainer() {
    FreeFiles();
    if (specifier_ && !specifier_->ComponentState().Contains(csDestroying)) {
        TpsFileContainer* specifier = specifier_;
        specifier_ = nullptr;
        delete specifier;
    }
}

void TFileContainer::ReplaceFileContainerSpecifier(TpsFileContainer* specifier) {
    specifier_ = specifier;
    if (specifier) FreeNotification(specifier);
}

void TFileContainer::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component && static_cast<TComponent*>(specifier_) == component)
        specifier_ = nullptr;
    TFileRelated::Notification(component, operation);
}

int TFileContainer::FileCount() const {
    return CountHelpersOfClass<TCustomInstallFile>();
}

TCustomInstallFile* TFileContainer::Files(int index) const {
    return HelperOfClass<TCustomInstallFile>(index);
}

TCustomInstallFile* TFileContainer::FindFileBySource(const std::string& path) const {
    for (TInstallObject* helper : helpers_)
        if (auto* file = dynamic_cast<TCustomInstallFile*>(helper))
            if (SameTextAnsi(IncludeBackslash(file->SourceDirectory) + file->SourceFileName, path))
                return file;
    return nullptr;
}

bool TFileContainer::HasNetFiles() const {
    for (TInstallObject* helper : helpers_)
        if (auto* file = dynamic_cast<TCustomInstallFile*>(helper); file && file->NetFile())
            return true;
    return false;
}

void TFileContainer::FreeFiles() {
    FreeHelpersOfClass<TCustomInstallFile>();
}

std::int64_t TFileContainer::TotalSize(bool includeAll, bool recurse) {
    std::int64_t total = 0;
    for (std::size_t i = 0; i < helpers_.size(); ++i) {
        TInstallObject* helper = helpers_[i];
        if (!includeAll && !helper->IsSelected()) continue;
        if (auto* file = dynamic_cast<TCustomInstallFile*>(helper))
            total += file->FileSize;
        else if (auto* container = dynamic_cast<TFileContainer*>(helper); container && recurse)
            total += container->DeepSize(includeAll);
    }
    return total;
}

void TFileContainer::ReadInfoFromArchives() {
    platform::UI().SetBusy(true);
    archive::ScopeExit idle([] { platform::UI().SetBusy(false); });
    for (std::size_t i = 0; i < helpers_.size(); ++i)
        if (auto* file = dynamic_cast<TCustomInstallFile*>(helpers_[i]))
            file->ReadInfoFromArchive();
    for (std::size_t i = 0; i < helpers_.size(); ++i)
        if (auto* container = dynamic_cast<TFileContainer*>(helpers_[i]))
            container->ReadInfoFromArchives();
    InfoLoaded = true;
}

void TFileContainer::ReadInfoFromSources() {
    platform::UI().SetBusy(true);
    archive::ScopeExit idle([] { platform::UI().SetBusy(false); });
    for (std::size_t i = 0; i < helpers_.size(); ++i)
        if (auto* file = dynamic_cast<TCustomInstallFile*>(helpers_[i])) file->ReadInfoFromSource();
    for (std::size_t i = 0; i < helpers_.size(); ++i)
        if (auto* container = dynamic_cast<TFileContainer*>(helpers_[i]))
            container->ReadInfoFromSources();
}

std::string TFileContainer::GetLocalArchive() {
    std::string path;
    if (!FindLocalFile(path)) throw IEFileContainer(SNotDownloaded, Name());
    return path;
}

void TFileContainer::InstallHelpers() {
    Operation = 2;
    bool finished = false;
    // On every way out: idle again, and the helpers told that the operation ended.
    archive::ScopeExit reset([this, &finished] {
        Operation = 0;
        if (!finished) NotifyHelpers(this, nfOperationEnds, nullptr);
    });
    TInstallContainer* container = GetContainer();
    {
        platform::UI().SetBusy(true);
        archive::ScopeExit idle([] { platform::UI().SetBusy(false); });
        std::string recorded;
        if (FindLocalFile(recorded)) LocalFile = recorded;
        ReadInfoFromArchives();
        NotifyHelpers(this, nfBeforeHelpers, nullptr);
        if (container) container->DoInformationEventControl(this, ieOperationBegins, this);
        TotalBytes = DeepSize(false);
        BytesDone = 0;
        if (OnBeforeInstallHelpers) OnBeforeInstallHelpers(*this);
        TFileRelated::InstallHelpers();
        if (container) container->DoInformationEventControl(this, ieOperationEnds, this);
    }
    const bool aborted = GlobalCompress().Abort();
    finished = true;
    NotifyHelpers(this, nfOperationEnds, nullptr);
    if (NotifyInstallDone && OnInstallDone) OnInstallDone(*this, aborted);
}

} // namespace tarn::install
