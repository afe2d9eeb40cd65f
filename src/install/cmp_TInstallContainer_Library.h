// Where the library's own folder is on a build machine: setup building reads files shipped with
// the library from there.
#pragma once

#include "routines/routines_Exceptions.h"

#include <string>
#include <string_view>

namespace tarn::install {

class IENoTarnwellPath : public tarn::IException {
public:
    using IException::IException;
};

inline constexpr std::string_view SNoTarnwellPath =
    "Cannot find the the Tarnwell directory on the VCL library search path";

// unit state
// Set by a design-time host: every node behaves as designed, and the library folder is that of
// the running program.
inline bool DesignOverride = false;

class TarnwellInfo {
public:
    // The folder holding the marker file T32V50.TXT, without a trailing backslash: the one named
    // by TARNWELL_LIBRARY, else the first of the development environment's library search path.
    // Not found: "" or, with raiseIfMissing, IENoTarnwellPath.
    static std::string LibraryDirectory(bool raiseIfMissing);
};

} // namespace tarn::install
