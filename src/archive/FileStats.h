// The status record the archive engine passes to its events.
#pragma once

#include "archive/FileHeader.h"

#include <cstdint>
#include <string>

namespace tarn::archive {

struct TlzhFileStats {
    std::uint8_t FilePercent = 0;     // progress of the current member, 0 to 100
    std::int64_t FileBytesDone = 0;   // bytes of the current member processed so far
    std::string FileName;             // the member's name
    std::int64_t CompressedSize = 0;  // compressed bytes of the current member
    std::uint8_t Ratio = 0;           // CompressedSize as a percentage of OriginalSize
    std::int64_t OriginalSize = 0;    // uncompressed size of the current member
    TFileHeaderRecord Header;         // a copy of the member's header
    bool Finished = false;            // true in the report that ends a member
    std::uint8_t TotalPercent = 0;    // progress of the whole operation, 0 to 100
    std::int64_t TotalBytesDone = 0;  // bytes processed in the whole operation
    std::int64_t TotalCompressed = 0; // sum of the members' compressed sizes
    std::uint8_t TotalRatio = 0;      // TotalCompressed as a percentage of TotalOriginal
    std::int64_t TotalOriginal = 0;   // sum of the members' uncompressed sizes
};

// part as a percentage of whole, rounded to the nearest integer with halves to even; 0 when whole
// is 0. Held to 255 so that a ratio above that (a tiny member's compressed size) stays high
// instead of wrapping around.
std::uint8_t Percent(std::int64_t part, std::int64_t whole);

} // namespace tarn::archive
