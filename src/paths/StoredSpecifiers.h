// The path specifier classes as a stored form names them.
#pragma once

#include "framework/ClassRegistry.h"

namespace tarn::paths {

// Registers TCustomPathSpecifier, TStandardPathSpecifier and the fifteen standard classes.
void RegisterPathSpecifierClasses(TClassRegistry& registry = TClassRegistry::Global());

} // namespace tarn::paths
