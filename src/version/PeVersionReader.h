// Locates the version resource (RT_VERSION, name VS_VERSION_INFO) in a PE32 or PE32+ image:
// the DOS stub's pointer to the PE header, the optional header's resource data directory, the
// section table that maps relative addresses to file offsets, and the three levels of the
// resource directory (type, name, language).
#pragma once

#include "version/ByteSource.h"

#include <cstdint>
#include <vector>

namespace tarn::version {

// Of the language entries of the version resource, the neutral one is taken, then US English,
// then the first listed (the order in which Windows' resource lookup falls back).
constexpr std::uint16_t kNeutralLanguage = 0x0000;
constexpr std::uint16_t kUSEnglishLanguage = 0x0409;

// The resource's bytes (at most 64 KiB, the most a version block can describe); empty when the
// image has no version resource or any structure on the way to it is damaged or cut short.
std::vector<std::uint8_t> ReadPeVersionResource(IByteSource& image);

} // namespace tarn::version
