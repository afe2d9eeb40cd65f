// Small text and file helpers of the uninstaller.
#pragma once

// The phases use FileExists and the ANSI case rule together with the helpers below.
#include "framework/FileExists.h"
#include "framework/TextCase.h"
#include "routines/routines_Text.h"

#include <cstdint>
#include <optional>
#include <string>

namespace tarn::uninstall {

// Without leading and trailing characters at or below the space.
std::string TrimBlanks(const std::string& text);
using tarn::StrToIntStrict;
// The text up to and including the last backslash or colon.
std::string FolderPartOf(const std::string& path);

} // namespace tarn::uninstall
