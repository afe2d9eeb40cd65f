// From a file name to its version resource, and from the resource to the TVersionInfo texts.
#pragma once

#include "version/cmp_TVersion.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tarn::version {

// The raw version resource of a file on the machine, opened for reading with sharing allowed.
// False when the file cannot be opened or has no readable version resource.
bool ReadFileVersionResource(const std::string& fileName, std::vector<std::uint8_t>& resource);

// Fills info (which the caller has cleared) from a raw version resource: the fixed information,
// the translation, and the strings of the table "\StringFileInfo\" + languageId + codePage + "\".
// Nothing is filled when the resource has no fixed file information.
void FillVersionInfo(std::span<const std::uint8_t> resource, std::uint16_t languageId,
                     std::uint16_t codePage, TVersionInfo& info);

// "\StringFileInfo\LLLLCCCC\", each part four upper-case hexadecimal digits.
std::string StringTablePath(std::uint16_t languageId, std::uint16_t codePage);

} // namespace tarn::version
