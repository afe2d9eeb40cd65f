// Groups, their dialog options, and the path specifier of a file container.
#include "install/cmp_TInstallContainer.h"

namespace tarn::install {

void TInstallGroupDialogOptions::SetPassword(const std::string& password) {
    password_ = password;
    if (!password.empty()) HasPassword = true;
}

TCustomInstallGroup::TCustomInstallGroup(TComponent* owner)
    : TFileContainer(owner), dialogOptions_(std::make_unique<TInstallGroupDialogOptions>()) {}

void TCustomInstallGroup::SetContainer(TInstallContainer* container) {
    if (container && !dynamic_cast<IInstallRunner*>(container) &&
        !dynamic_cast<TCustomInstallGroup*>(container))
        throw IEInstallGroup(SGroupContainer);
    if (!container)
        if (IInstallRunner* driver = GlobalInstallDriver()) container = &driver->RunnerNode();
    TFileContainer::SetContainer(container);
}

// TpsFileContainer

TpsFileContainer::TpsFileContainer(TComponent* owner, TFileContainer* container)
    : TCustomPathSpecifier(owner) {
    SetFileContainer(container);
}

TpsFileContainer::~TpsFileContainer() {
    if (container_ && container_->FileContainerSpecifier() == this)
        container_->ReplaceFileContainerSpecifier(nullptr);
}

void TpsFileContainer::SetFileContainer(TFileContainer* container) {
    container_ = container;
    if (container) FreeNotification(container);
}

void TpsFileContainer::CheckObject(TComponent* object) {
    if (dynamic_cast<TFileContainer*>(object) || dynamic_cast<TCustomInstallFile*>(object))
        throw paths::IEPathSpecifier(SFileContainerSpecifier);
}

std::string TpsFileContainer::GetDescription() {
    if (!container_) return "Path specifier for unknown file container";
    return "Path into which " + container_->CaptionText + " will be installed";
}

std::string TpsFileContainer::GetCaption() {
    if (!container_) return "Path specifier for unknown file container";
    return "<" + container_->CaptionText + ">";
}

std::string TpsFileContainer::ExpandPath(TComponent* object) {
    CheckObject(object);
    return container_ ? container_->GetDestination() : std::string();
}

void TpsFileContainer::Loaded() {
    TCustomPathSpecifier::Loaded();
    if (!container_) return;
    TpsFileContainer* other = container_->FileContainerSpecifier();
    if (other == this) return;
    // A specifier read with the form takes the place of the one the container made.
    container_->ReplaceFileContainerSpecifier(this);
    if (other && other->container_ == container_) delete other;
}

void TpsFileContainer::SetName(const std::string& name) {
    if (namingByContainer) {
        TComponent::SetName(name);
        return;
    }
    try {
        TComponent::SetName(name);
    } catch (const EComponentError&) {
        TComponent* holder = Owner() ? Owner()->FindComponent(name) : nullptr;
        if (!holder || holder == this) return;
        try {
            holder->SetName("nameClash" + std::to_string(++NameClashCounter));
            TComponent::SetName(name);
        } catch (const EComponentError&) {
            // left as it was, unreported
        }
    }
}

void TpsFileContainer::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component && static_cast<TComponent*>(container_) == component)
        container_ = nullptr;
    TCustomPathSpecifier::Notification(component, operation);
}

} // namespace tarn::install
