#include "framework/Component.h"

#include "framework/TextCase.h"

#include <algorithm>

namespace tarn {
namespace {

void Erase(std::vector<TComponent*>& list, TComponent* item) {
    auto it = std::find(list.begin(), list.end(), item);
    if (it != list.end()) list.erase(it);
}

bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

TComponent::TComponent(TComponent* owner) {
    if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
    Destroying();
    NotifyLinked();
    DestroyComponents();
    if (owner_) owner_->RemoveComponent(this);
    // Handlers run above may have linked to this component again.
    NotifyLinked();
}

void TComponent::NotifyLinked() {
    // Each link is dropped before the other side hears of it, so a handler that frees more
    // components never finds this one still listed.
    while (!freeNotifies_.empty()) {
        TComponent* other = freeNotifies_.back();
        Unlink(other);
        other->Notification(this, opRemove);
    }
}

void TComponent::InsertComponent(TComponent* component) {
    components_.push_back(component);
    component->owner_ = this;
    if (state_.Contains(csDesigning)) component->SetDesigning(true);
    Notification(component, opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
    Erase(components_, component);
    component->owner_ = nullptr;
    Notification(component, opRemove);
}

TComponent* TComponent::Components(int index) const {
    if (index < 0 || index >= ComponentCount()) throw EComponentError(SListIndexError, index);
    return components_[static_cast<std::size_t>(index)];
}

int TComponent::ComponentIndex() const {
    if (!owner_) return -1;
    const auto& siblings = owner_->components_;
    return static_cast<int>(std::find(siblings.begin(), siblings.end(), this) - siblings.begin());
}

TComponent* TComponent::FindComponent(std::string_view name) const {
    if (name.empty()) return nullptr;
    for (TComponent* c : components_)
        if (SameTextAscii(c->name_, name)) return c;
    return nullptr;
}

bool TComponent::IsValidIdent(std::string_view name) {
    if (name.empty() || !(IsAsciiLetter(name[0]) || name[0] == '_')) return false;
    return std::ranges::all_of(
        name, [](char c) { return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_'; });
}

void TComponent::SetName(const std::string& name) {
    if (name == name_) return;
    if (!name.empty()) {
        if (!IsValidIdent(name)) throw EComponentError(SInvalidName, name);
        if (owner_) {
            TComponent* existing = owner_->FindComponent(name);
            if (existing && existing != this) throw EComponentError(SDuplicateName, name);
        }
    }
    name_ = name;
}

void TComponent::FreeNotification(TComponent* other) {
    if (!other || other == this) return;
    if (std::find(freeNotifies_.begin(), freeNotifies_.end(), other) == freeNotifies_.end())
        freeNotifies_.push_back(other);
    if (std::find(other->freeNotifies_.begin(), other->freeNotifies_.end(), this) ==
        other->freeNotifies_.end())
        other->freeNotifies_.push_back(this);
}

void TComponent::RemoveFreeNotification(TComponent* other) {
    if (other) Unlink(other);
}

void TComponent::Unlink(TComponent* other) {
    Erase(freeNotifies_, other);
    Erase(other->freeNotifies_, this);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
    if (operation == opRemove && component) RemoveFreeNotification(component);
    // Handlers may free components of this list, so the index is checked on every step.
    for (std::size_t i = components_.size(); i > 0; --i) {
        if (i <= components_.size()) components_[i - 1]->Notification(component, operation);
    }
}

void TComponent::SetDesigning(bool designing, bool setChildren) {
    if (designing)
        state_.Include(csDesigning);
    else
        state_.Exclude(csDesigning);
    if (setChildren)
        for (TComponent* c : components_)
            c->SetDesigning(designing, true);
}

void TComponent::BeginLoading() {
    MarkLoading();
}

void TComponent::MarkLoading() {
    state_.Include(csLoading);
    loadPending_ = true;
    for (TComponent* c : components_)
        c->MarkLoading();
}

void TComponent::ClearLoading() {
    state_.Exclude(csLoading);
    for (TComponent* c : components_)
        c->ClearLoading();
}

TComponent* TComponent::NextPendingLoad() {
    if (loadPending_) return this;
    for (TComponent* c : components_)
        if (TComponent* found = c->NextPendingLoad()) return found;
    return nullptr;
}

void TComponent::EndLoading() {
    ClearLoading();
    // Searched afresh each time: a Loaded handler may create or free components.
    while (TComponent* c = NextPendingLoad()) {
        c->loadPending_ = false;
        c->Loaded();
    }
}

void TComponent::Destroying() {
    if (state_.Contains(csDestroying)) return;
    state_.Include(csDestroying);
    for (TComponent* c : components_)
        c->Destroying();
}

void TComponent::DestroyComponents() {
    // Each component takes itself out of this list as it goes.
    while (!components_.empty())
        delete components_.back();
}

} // namespace tarn
