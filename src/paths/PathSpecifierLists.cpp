#include "paths/cmp_TPathSpecifier.h"

#include <algorithm>

namespace tarn::paths {

void TPathSpecifierList::Add(TCustomPathSpecifier* specifier) {
    if (!specifier) throw IEPathSpecifierList(SNilPathSpecifier);
    items_.push_back(specifier);
}

void TPathSpecifierList::Remove(TCustomPathSpecifier* specifier) {
    auto it = std::find(items_.begin(), items_.end(), specifier);
    if (it != items_.end()) items_.erase(it);
}

TCustomPathSpecifier* TPathSpecifierList::Items(int index) const {
    if (index < 0 || index >= Count()) throw EComponentError(SListIndexError, index);
    return items_[index];
}

TCustomPathSpecifier* TPathSpecifierList::FindByClass(TPathSpecifierClass specifierClass) const {
    if (specifierClass)
        for (auto* specifier : items_)
            if (specifierClass->isInstance(specifier)) return specifier;
    throw IEPathSpecifier(SPathSpecifierNotFound);
}

void TPathSpecifierClassList::Add(TPathSpecifierClass specifierClass) {
    if (!specifierClass) throw IEPathSpecifierClassList(SNilPathSpecifier);
    items_.push_back(specifierClass);
}

TPathSpecifierClass TPathSpecifierClassList::Items(int index) const {
    if (index < 0 || index >= Count()) throw EComponentError(SListIndexError, index);
    return items_[index];
}

void CreateStandardSpecifiers(TComponent* owner, bool onlyMissing) {
    auto* classes = PathSpecifierClassList();
    auto* instances = PathSpecifierList();
    if (!owner || !classes) return;
    for (int i = 0; i < classes->Count(); ++i) {
        TPathSpecifierClass specifierClass = classes->Items(i);
        if (onlyMissing && instances) {
            bool present = false;
            for (int j = 0; j < instances->Count() && !present; ++j)
                present = specifierClass->isInstance(instances->Items(j));
            if (present) continue;
        }
        TCustomPathSpecifier* specifier = specifierClass->create(owner);
        try {
            specifier->SetName(specifier->Identifier());
        } catch (...) {
            delete specifier;
            throw;
        }
    }
}

} // namespace tarn::paths
