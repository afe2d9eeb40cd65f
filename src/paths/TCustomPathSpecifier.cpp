#include "paths/cmp_TPathSpecifier.h"

namespace tarn::paths {

TCustomPathSpecifier::TCustomPathSpecifier(TComponent* owner) : TComponent(owner) {
    if (auto* list = PathSpecifierList()) list->Add(this);
}

TCustomPathSpecifier::~TCustomPathSpecifier() {
    if (auto* list = PathSpecifierList()) list->Remove(this);
}

void TCustomPathSpecifier::CheckObject(TComponent*) {}

std::string TCustomPathSpecifier::GetDescription() {
    return "Unspecified";
}

std::string TCustomPathSpecifier::GetObjectDescription(TComponent*) {
    return GetDescription();
}

std::string TCustomPathSpecifier::ExpandPath(TComponent* object) {
    std::string path;
    if (OnExpandPath) OnExpandPath(object, path);
    return path;
}

std::string TCustomPathSpecifier::GetCaption() {
    return GetDescription();
}

std::string TCustomPathSpecifier::GetObjectCaption(TComponent* object) {
    return GetObjectDescription(object);
}

TStandardPathSpecifier::TStandardPathSpecifier(TComponent* owner) : TCustomPathSpecifier(owner) {
    if (auto* list = StandardPathSpecList()) list->Add(this);
}

TStandardPathSpecifier::~TStandardPathSpecifier() {
    if (auto* list = StandardPathSpecList()) list->Remove(this);
}

} // namespace tarn::paths
