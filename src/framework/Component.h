// TComponent: the base of the library's components. A component may have an owner, which frees
// it; components referring to one another are told when the other goes away.
//
// Ownership: a component with an owner is made on the heap and belongs to that owner from its
// constructor on:
//     auto* child = Create<TFoo>(owner, args...); // new TFoo(owner, args...), owner not null
// The owner frees its components, most recently inserted first, when it is destroyed. An owned
// component may also be deleted early (delete child), which takes it out of its owner. A component
// without an owner belongs to whoever made it, normally through std::unique_ptr:
//     auto root = std::make_unique<TFoo>(nullptr);
// Owned components must never live on the stack or in a unique_ptr.
//
// Destruction order: ~TComponent frees the owned components after the derived destructors have
// run. A derived class whose components must go while its own members are still alive calls
// DestroyComponents() at the start of its destructor. Notification must not throw.
#pragma once

#include "framework/Exception.h"
#include "framework/Object.h"
#include "framework/Set.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarn {

class TComponent;

enum TOperation { opInsert, opRemove };

enum TComponentStateItem { csLoading, csDesigning, csDestroying };
using TComponentState = TSet<TComponentStateItem>;

class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const { return owner_; }

    // Runs once the most derived constructor has finished, where virtual calls reach the
    // object's own class. Create and the form reader call it; code that uses new directly
    // calls it itself when the class needs it.
    virtual void AfterConstruction() {}

    // Unique, without regard to case, among the owner's components; "" is always allowed.
    const std::string& Name() const { return name_; }
    // Virtual so that a class may resolve a clash with a sibling's name its own way.
    virtual void SetName(const std::string& name);

    int Tag() const { return tag_; }
    void SetTag(int tag) { tag_ = tag; }

    int ComponentCount() const { return static_cast<int>(components_.size()); }
    TComponent* Components(int index) const;
    // Position in the owner's list, -1 without owner.
    int ComponentIndex() const;
    // The owned component with this name (case-insensitive), or nullptr.
    TComponent* FindComponent(std::string_view name) const;

    // Links this component and other so that each is sent Notification(x, opRemove) when the
    // other is destroyed. Both directions are dropped by RemoveFreeNotification and on
    // destruction, so no link outlives either component.
    void FreeNotification(TComponent* other);
    void RemoveFreeNotification(TComponent* other);

    TComponentState ComponentState() const { return state_; }
    // Sets or clears csDesigning, on the owned components too unless setChildren is false.
    void SetDesigning(bool designing, bool setChildren = true);
    // Loading covers this component and those it owns. EndLoading clears csLoading on all of
    // them first, then calls Loaded on each, the owner before its components.
    void BeginLoading();
    void EndLoading();

    static bool IsValidIdent(std::string_view name);

protected:
    // Sent when a component is inserted into or removed from the owner this component shares, and
    // for components linked by FreeNotification. The base forwards it to the owned components and
    // drops any link to a removed component; overrides clear their references, then call it.
    virtual void Notification(TComponent* component, TOperation operation);
    // Called once loading has finished; csLoading is already clear.
    virtual void Loaded() {}

    // Marks this component and its owned components csDestroying (done by the destructor).
    void Destroying();
    // Frees the owned components, most recent first.
    void DestroyComponents();

private:
    void InsertComponent(TComponent* component);
    void RemoveComponent(TComponent* component);
    void Unlink(TComponent* other);
    void NotifyLinked();
    void MarkLoading();
    void ClearLoading();
    TComponent* NextPendingLoad();

    TComponent* owner_ = nullptr;
    std::vector<TComponent*> components_; // owned: deleted by this component
    std::vector<TComponent*> freeNotifies_;
    std::string name_;
    int tag_ = 0;
    TComponentState state_;
    bool loadPending_ = false;
};

// Makes a component that belongs to owner; see the ownership notes above.
template <class T, class... A> T* Create(TComponent* owner, A&&... args) {
    if (!owner) throw EComponentError(SNoOwner);
    // Deleting a component takes it out of its owner, so a failed start leaves nothing behind.
    struct Guard {
        T* component;
        ~Guard() { delete component; }
    } guard{new T(owner, std::forward<A>(args)...)};
    guard.component->AfterConstruction();
    return std::exchange(guard.component, nullptr);
}

} // namespace tarn
