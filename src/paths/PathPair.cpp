#include "paths/PathPair.h"

#include "paths/StandardSpecifiers.h"
#include "routines/routines_Text.h"

namespace tarn::paths {

namespace {

bool Loading(const TComponent& holder) {
    return holder.ComponentState().Contains(csLoading);
}

} // namespace

bool StandsForFile(const TCustomPathSpecifier* specifier) {
    return dynamic_cast<const TpsContainerArchiveFile*>(specifier) ||
           dynamic_cast<const TpsMainArchiveFile*>(specifier);
}

void TPathPair::SetSpecifier(TComponent& holder, TCustomPathSpecifier* specifier) {
    if (!Loading(holder)) {
        if (specifier) specifier->CheckObject(&holder);
        if (StandsForFile(specifier)) subPath_.clear();
    }
    specifier_ = specifier;
}

void TPathPair::SetSubPath(TComponent& holder, const std::string& subPath) {
    subPath_ = !Loading(holder) && StandsForFile(specifier_) ? std::string() : subPath;
}

std::string TPathPair::Expand(TComponent& holder) const {
    std::string path = specifier_ ? specifier_->ExpandPath(&holder) + subPath_ : subPath_;
    return ExcludeBackslash(path);
}

} // namespace tarn::paths
