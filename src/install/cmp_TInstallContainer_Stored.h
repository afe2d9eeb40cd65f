// The install tree's classes as a stored form names them.
#pragma once

#include "framework/ClassRegistry.h"

namespace tarn::install {

// Registers the form classes, the path specifiers, the net locations and the tree's classes
// (TInstallGroup, TFileContainer and their abstract bases for their properties).
void RegisterInstallClasses(TClassRegistry& registry = TClassRegistry::Global());

// The stored names of the members of OperatingSystems (version codes) and InstallTypes.
std::string OperatingSystemName(int code);
std::string InstallTypeName(int type);

} // namespace tarn::install
