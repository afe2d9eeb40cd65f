// The install component as a stored form names it, with everything a project file may hold.
#pragma once

#include "framework/ClassRegistry.h"

namespace tarn::install {

// The tree's classes, the translator and TInstall.
void RegisterInstallDriverClasses(TClassRegistry& registry = TClassRegistry::Global());

} // namespace tarn::install
