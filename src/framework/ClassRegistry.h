// Registration of the classes and properties a stored form may name: a class registers its name,
// its parent and a factory; a property its name, kind, getter, setter and default.
#pragma once

#include "framework/Component.h"
#include "framework/FormValue.h"

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <typeindex>
#include <vector>

namespace tarn {

struct TPropertyInfo {
    // May be dotted ("InstallInformation.ProductName") for a property of a sub-object.
    std::string name;
    // Reference properties are set once the whole form has been read, with a Reference value
    // (reference == nullptr for nil); the getter gives a Reference value too.
    bool isReference = false;
    std::function<TValue(TComponent&)> get;
    std::function<void(TComponent&, const TValue&)> set;
    // Values equal to the default are not written; without one, the value is always written.
    std::optional<TValue> defaultValue;
    bool alwaysStore = false;
};

class TClassInfo {
public:
    TClassInfo(std::string name, const TClassInfo* parent,
               std::function<TComponent*(TComponent* owner)> create)
        : name_(std::move(name)), parent_(parent), create_(std::move(create)) {}

    const std::string& Name() const { return name_; }
    const TClassInfo* Parent() const { return parent_; }
    TComponent* Create(TComponent* owner) const { return create_(owner); }

    // A stored block of this class whose name the form already holds, for a component of this
    // class, stands for that component: one made by another component's constructor (the
    // process-wide standard instances) is filled in instead of being made twice.
    bool ReusesExisting() const { return reusesExisting_; }
    TClassInfo& ReuseExisting() {
        reusesExisting_ = true;
        return *this;
    }

    TClassInfo& Property(TPropertyInfo info);
    // A property of this class or an ancestor (names compare without regard to case).
    const TPropertyInfo* FindProperty(const std::string& name) const;
    // Ancestors' properties first, each class's in registration order.
    std::vector<const TPropertyInfo*> AllProperties() const;

    // Typed helpers: get and set take the class's own type.
    template <class T, class G, class S>
    TClassInfo& Property(std::string name, G get, S set, std::optional<TValue> def = {},
                         bool alwaysStore = false) {
        return Property(TPropertyInfo{
            std::move(name), false, [get](TComponent& c) { return get(dynamic_cast<T&>(c)); },
            [set](TComponent& c, const TValue& v) { set(dynamic_cast<T&>(c), v); }, std::move(def),
            alwaysStore});
    }
    template <class T, class R, class G, class S>
    TClassInfo& Reference(std::string name, G get, S set) {
        return Property(
            TPropertyInfo{std::move(name), true,
                          [get](TComponent& c) { return TValue::Ref(get(dynamic_cast<T&>(c))); },
                          [set](TComponent& c, const TValue& v) {
                              R* target = dynamic_cast<R*>(v.reference);
                              if (v.reference && !target)
                                  throw EPropertyError("%s is not of the kind the property takes",
                                                       v.reference->Name());
                              set(dynamic_cast<T&>(c), target);
                          },
                          TValue::Ref(nullptr), false});
    }

private:
    std::string name_;
    const TClassInfo* parent_;
    std::function<TComponent*(TComponent* owner)> create_;
    std::vector<TPropertyInfo> properties_;
    bool reusesExisting_ = false;
};

class TClassRegistry {
public:
    // The process-wide registry the form reader and writer use.
    static TClassRegistry& Global();

    // Registers T under name (again: the same registration is returned). parent must be
    // registered already, or empty.
    template <class T>
    TClassInfo& RegisterClass(const std::string& name, const std::string& parent = "") {
        return Register(typeid(T), name, parent, [](TComponent* owner) -> TComponent* {
            std::unique_ptr<T> component(new T(owner));
            component->AfterConstruction();
            return component.release();
        });
    }
    const TClassInfo* FindClass(const std::string& name) const;
    const TClassInfo* ClassOf(const TComponent& component) const;

private:
    TClassInfo& Register(std::type_index type, const std::string& name, const std::string& parent,
                         std::function<TComponent*(TComponent*)> create);

    std::map<std::string, std::unique_ptr<TClassInfo>> byName_; // upper-case names
    std::map<std::type_index, TClassInfo*> byType_;
};

} // namespace tarn
