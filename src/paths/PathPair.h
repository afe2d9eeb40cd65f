// A path pair: a path specifier (or none) and a relative path, expanded for the component that
// holds the pair.
#pragma once

#include "paths/cmp_TPathSpecifier.h"

#include <string>

namespace tarn::paths {

class TPathPair {
public:
    TCustomPathSpecifier* Specifier() const { return specifier_; }
    const std::string& SubPath() const { return subPath_; }

    // Outside loading, the specifier is first asked to accept the holder (CheckObject may
    // throw, and then nothing changes), and a specifier that stands for a file clears the
    // relative path.
    void SetSpecifier(TComponent& holder, TCustomPathSpecifier* specifier);
    // Outside loading, a pair whose specifier stands for a file keeps an empty relative path.
    void SetSubPath(TComponent& holder, const std::string& subPath);
    // The holder's own clean-up when a component goes away (compared by address: while it is
    // destroyed it is no longer a specifier to dynamic_cast).
    void Forget(const TComponent* component) {
        if (specifier_ && static_cast<const TComponent*>(specifier_) == component)
            specifier_ = nullptr;
    }

    // The specifier's expansion for the holder, then the relative path unchanged, then one
    // trailing backslash removed.
    std::string Expand(TComponent& holder) const;

private:
    TCustomPathSpecifier* specifier_ = nullptr;
    std::string subPath_;
};

// TpsContainerArchiveFile and TpsMainArchiveFile: they stand for a file, not a folder.
bool StandsForFile(const TCustomPathSpecifier* specifier);

} // namespace tarn::paths
