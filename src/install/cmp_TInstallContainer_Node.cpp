// TInstallContainer: helpers and their order, the destination, selection and the install walk.
#include "framework/Form.h"
#include "framework/TextCase.h"
#include "install/cmp_TInstallContainer.h"
#include "install/cmp_TInstallContainer_Library.h"
#include "paths/StandardSpecifiers.h"
#include "routines/routines_API.h"
#include "routines/routines_Text.h"

#include <algorithm>

namespace tarn::install {

namespace {

// Every current Windows reports version code 4 (NT 6 and later), so it is in the default set:
// without it a node would quietly install nothing there.
TNumberSet DefaultOperatingSystems() {
    try {
        if (GetWindowsVersionCode() == 5) return {5};
    } catch (const EAPIRoutines&) {
    }
    return {1, 2, 4, 6, 7, 8};
}

} // namespace

TInstallContainer::TInstallContainer(TComponent* owner) : TComponent(owner) {
    if (dynamic_cast<TCustomForm*>(owner) && paths::StandardPathSpecList())
        paths::CreateStandardSpecifiers(owner, true);
    if (auto* list = InstallContainerList()) list->Add(this);
    OperatingSystems = DefaultOperatingSystems();
}

TInstallContainer::~TInstallContainer() {
    AnnounceRemoval();
    if (auto* list = InstallContainerList()) list->Remove(this);
}

void TInstallContainer::AnnounceRemoval() {
    if (removalAnnounced_) return;
    removalAnnounced_ = true;
    auto* list = InstallContainerList();
    if (!list) return;
    // From the last to the first; a node's reaction may change the list, so the index is
    // checked on every step.
    for (int i = list->Count(); i > 0; --i) {
        if (i > list->Count()) continue;
        TInstallContainer* other = list->Items(i - 1);
        if (other != this) other->ContainerRemoved(this);
    }
}

bool TInstallContainer::Designing() const {
    return ComponentState().Contains(csDesigning) || DesignOverride;
}

int TInstallContainer::RegisteredType() const {
    throw IEInstallContainer(SNoRegisteredType);
}

TInstallObject* TInstallContainer::Helper(int index) const {
    if (index < 0 || index >= HelperCount()) throw IEInstallContainer(SHelperIndex, Name(), index);
    return helpers_[static_cast<std::size_t>(index)];
}

int TInstallContainer::FileContainerCount() const {
    return CountHelpersOfClass<TFileContainer>();
}

TFileContainer* TInstallContainer::FileContainers(int index) const {
    return HelperOfClass<TFileContainer>(index);
}

void TInstallContainer::AddHelper(TInstallObject* node) {
    if (!node) throw IEInstallContainer(SBlankHelper, Name());
    if (node == this) throw IEInstallContainer(SCircularReference);
    for (TInstallContainer* up = ParentNode(); up; up = up->ParentNode())
        if (up == node) throw IEInstallContainer(SCircularReference);
    std::size_t position = 0;
    if (!SameTextAscii(node->ClassName(), "TINSTALLBDE")) {
        const int type = node->RegisteredType();
        position = helpers_.size();
        for (std::size_t i = 0; i < helpers_.size(); ++i)
            if (helpers_[i]->RegisteredType() >= type) {
                position = i;
                break;
            }
    }
    // The same node may go in twice; ContainerRemoved takes every entry out.
    helpers_.insert(helpers_.begin() + static_cast<std::ptrdiff_t>(position), node);
}

void TInstallContainer::RemoveHelper(TInstallObject* node) {
    if (!node) return;
    auto it = std::find(helpers_.begin(), helpers_.end(), node);
    if (it != helpers_.end()) helpers_.erase(it);
}

void TInstallContainer::ContainerRemoved(TInstallContainer* node) {
    // Compared by address: the node is being destroyed.
    std::erase_if(helpers_,
                  [node](TInstallObject* h) { return static_cast<TInstallContainer*>(h) == node; });
    if (ExclusiveHelper && static_cast<TInstallContainer*>(ExclusiveHelper) == node)
        ExclusiveHelper = nullptr;
}

void TInstallContainer::SetSubPath(const std::string& text) {
    subPath_ = text;
}

void TInstallContainer::SetDestinationSpecifier(TCustomPathSpecifier* specifier) {
    destAssigned_ = true;
    if (!Loading() && specifier) specifier->CheckObject(this);
    destination_ = specifier;
    if (specifier) FreeNotification(specifier);
}

std::string TInstallContainer::GetDestination() {
    std::string path = destination_ ? destination_->ExpandPath(this) + subPath_ : subPath_;
    return ExcludeBackslash(path);
}

void TInstallContainer::Loaded() {
    TComponent::Loaded();
    if (destDefaulted_ && !destAssigned_) SetDestinationSpecifier(nullptr);
    destDefaulted_ = false;
}

void TInstallContainer::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component && static_cast<TComponent*>(destination_) == component)
        destination_ = nullptr;
    TComponent::Notification(component, operation);
}

void TInstallContainer::SendMessage(const std::string& text) {
    TMessageParameter parameter;
    parameter.Message = text;
    NotifyHelpers(this, nfMessage, &parameter);
}

void TInstallContainer::SendNotice() {
    NotifyHelpers(this, nfNotice, nullptr);
}

void TInstallContainer::DoInformationEventControl(TComponent*, int, TObject*) {}

void TInstallContainer::HandleNotification(TComponent*, int, TObject*) {}

void TInstallContainer::NotifyHelpers(TComponent* sender, int code, TObject* parameter) {
    if (ExclusiveHelper) {
        ExclusiveHelper->HandleNotification(sender, code, parameter);
        return;
    }
    for (std::size_t i = 0; i < helpers_.size(); ++i)
        if (helpers_[i]->RegisteredType() >= TCustomInstallFile::kRegisteredType)
            helpers_[i]->HandleNotification(sender, code, parameter);
}

void TInstallContainer::SetInstallType(std::uint8_t type) {
    for (std::size_t i = 0; i < helpers_.size(); ++i)
        helpers_[i]->SetInstallType(type);
    InstallType = type;
}

bool TInstallContainer::IsSelected() const {
    return Include && (InstallType == 3 || InstallTypes.Contains(InstallType));
}

void TInstallContainer::FireEvent(const TNotifyEvent& event) {
    if (event) event(*this);
}

void TInstallContainer::Install() {
    try {
        WindowsVersionCode code = 0xFF;
        try {
            code = GetWindowsVersionCode();
        } catch (const EAPIRoutines&) {
        }
        if (!OperatingSystems.Contains(code)) Include = false;
        FireEvent(OnBeforeProcess);
        NotifyHelpers(this, nfBeforeInstall, nullptr);
        if (!Include) return;
        FireEvent(OnIncluded);
        NotifyHelpers(this, nfIncluded, nullptr);
        if (InstallType != 3 && !InstallTypes.Contains(InstallType)) return;
        InstallHelpers();
        Installed = true;
        if (IInstallRunner* driver = GlobalInstallDriver(); driver && RecordForUninstall)
            RecordForUninstaller(kUninstallKey + driver->ProductName());
        FireEvent(OnAfterProcess);
        NotifyHelpers(this, nfAfterInstall, nullptr);
    } catch (const EAbort&) {
        // A handler ended this node's install; its container goes on with the next helper.
    }
}

void TInstallContainer::InstallHelpers() {
    Installed = true;
    for (std::size_t i = 0; i < helpers_.size(); ++i)
        if (helpers_[i]->InstallWithContainer) helpers_[i]->Install();
}

void TInstallContainer::RecordForUninstaller(const std::string&) {}

// TInstallObject

TInstallObject::TInstallObject(TComponent* owner) : TInstallContainer(owner) {}

TInstallObject::~TInstallObject() {
    // While this is still an install object, so that containers recognise it.
    AnnounceRemoval();
}

void TInstallObject::AfterConstruction() {
    TInstallContainer::AfterConstruction();
    IInstallRunner* driver = GlobalInstallDriver();
    if (!Designing() || !driver) return;
    // A node dropped on a form goes into the install component, placed where its container puts
    // it; Loaded takes this back when the stored form names no container.
    containerDefaulted_ = true;
    TFileContainer& root = driver->RunnerNode();
    root.AddHelper(this);
    container_ = &root;
    SetDestinationSpecifier(StandardSpecifier<paths::TpsContainerDestDir>());
    SetSubPath("");
    destAssigned_ = false;
    destDefaulted_ = true;
}

void TInstallObject::SetContainer(TInstallContainer* container) {
    containerAssigned_ = true;
    if (container == container_) return;
    if (container) container->AddHelper(this);
    if (container_) container_->RemoveHelper(this);
    container_ = container;
    if (Loading()) return;
    if (container) {
        SetDestinationSpecifier(StandardSpecifier<paths::TpsContainerDestDir>());
        SetSubPath("");
    } else if (dynamic_cast<paths::TpsContainerDestDir*>(DestinationSpecifier())) {
        SetDestinationSpecifier(nullptr);
    }
}

void TInstallObject::ContainerRemoved(TInstallContainer* node) {
    TInstallContainer::ContainerRemoved(node);
    if (node != container_) return;
    if (ComponentState().Contains(csDestroying)) {
        container_ = nullptr; // going too: no new home, no new defaults
        return;
    }
    SetContainer(nullptr);
}

void TInstallObject::Loaded() {
    if (containerDefaulted_ && !containerAssigned_) SetContainer(nullptr);
    containerDefaulted_ = false;
    TInstallContainer::Loaded();
}

void TInstallObject::Install() {
    IInstallRunner* driver = GlobalInstallDriver();
    if (driver && driver->Running() && container_ && !container_->Installed) return;
    TInstallContainer::Install();
}

} // namespace tarn::install
