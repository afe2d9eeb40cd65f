// The path specifiers' list errors; the error classes are with the library's others.
#pragma once

#include "routines/routines_Exceptions.h"

namespace tarn::paths {

using tarn::IEInstall;
using tarn::IEPathSpecifier;
using tarn::IEPathSpecifierClassList;
using tarn::IEPathSpecifierList;

inline constexpr std::string_view SNilPathSpecifier =
    "Tried to add a nil object to the path specifier list";
inline constexpr std::string_view SPathSpecifierNotFound = "Could not find the path specifier";

} // namespace tarn::paths
