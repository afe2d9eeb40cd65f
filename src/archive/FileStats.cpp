#include "archive/FileStats.h"

#include <algorithm>

namespace tarn::archive {

std::uint8_t Percent(std::int64_t part, std::int64_t whole) {
    if (whole <= 0 || part <= 0) return 0;
    // Exact in integers: part and whole stay far below 2^56.
    const std::int64_t scaled = part * 100;
    std::int64_t quotient = scaled / whole;
    const std::int64_t twiceRemainder = 2 * (scaled % whole);
    if (twiceRemainder > whole || (twiceRemainder == whole && quotient % 2 != 0)) ++quotient;
    return static_cast<std::uint8_t>(std::min<std::int64_t>(quotient, 255));
}

} // namespace tarn::archive
