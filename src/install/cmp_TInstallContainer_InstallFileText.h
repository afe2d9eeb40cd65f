// Small text helpers of the install file's units.
#pragma once

#include "archive/ArchivePaths.h"
#include "framework/TextCase.h"

#include <string>

namespace tarn::install {

inline bool Blank(const std::string& text) {
    return archive::TrimBlanks(text).empty();
}

// The upper-case extension of a file name, "." included; empty when it has none.
inline std::string UpperExtension(const std::string& name) {
    const std::string file = archive::ExtractFileName(name);
    const std::size_t dot = file.rfind('.');
    return dot == std::string::npos ? std::string() : UpperCaseAnsi(file.substr(dot));
}

} // namespace tarn::install
