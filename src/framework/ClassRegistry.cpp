#include "framework/ClassRegistry.h"

#include "framework/Component.h"
#include "framework/TextCase.h"

namespace tarn {

TClassInfo& TClassInfo::Property(TPropertyInfo info) {
    for (auto& existing : properties_)
        if (SameTextAscii(existing.name, info.name)) {
            existing = std::move(info);
            return *this;
        }
    properties_.push_back(std::move(info));
    return *this;
}

const TPropertyInfo* TClassInfo::FindProperty(const std::string& name) const {
    for (const TClassInfo* c = this; c; c = c->parent_)
        for (const auto& p : c->properties_)
            if (SameTextAscii(p.name, name)) return &p;
    return nullptr;
}

std::vector<const TPropertyInfo*> TClassInfo::AllProperties() const {
    std::vector<const TClassInfo*> chain;
    for (const TClassInfo* c = this; c; c = c->parent_)
        chain.insert(chain.begin(), c);
    std::vector<const TPropertyInfo*> result;
    for (const TClassInfo* c : chain)
        for (const auto& p : c->properties_)
            if (FindProperty(p.name) == &p) result.push_back(&p);
    return result;
}

TClassRegistry& TClassRegistry::Global() {
    static TClassRegistry registry;
    return registry;
}

TClassInfo& TClassRegistry::Register(std::type_index type, const std::string& name,
                                     const std::string& parent,
                                     std::function<TComponent*(TComponent*)> create) {
    auto found = byName_.find(UpperCaseAscii(name));
    if (found != byName_.end()) return *found->second;
    const TClassInfo* parentInfo = nullptr;
    if (!parent.empty()) {
        parentInfo = FindClass(parent);
        if (!parentInfo) throw EComponentError("Class %s is not registered", parent);
    }
    auto info = std::make_unique<TClassInfo>(name, parentInfo, std::move(create));
    TClassInfo& result = *info;
    byName_[UpperCaseAscii(name)] = std::move(info);
    byType_[type] = &result;
    return result;
}

const TClassInfo* TClassRegistry::FindClass(const std::string& name) const {
    auto found = byName_.find(UpperCaseAscii(name));
    return found == byName_.end() ? nullptr : found->second.get();
}

const TClassInfo* TClassRegistry::ClassOf(const TComponent& component) const {
    auto found = byType_.find(typeid(component));
    return found == byType_.end() ? nullptr : found->second;
}

} // namespace tarn
