// File dates as the library compares and stores them: local time as a day count since
// 1899-12-30 00:00, the fraction being the time of day, at the 2-second resolution of the file
// system's DOS-style stamps.
#pragma once

#include "platform/WinTypes.h"

namespace tarn::version {

// A local FILETIME as a day count, its seconds truncated to an even number as a DOS stamp
// would. Before 1899-12-30 the whole days are negative and the time of day is still added as a
// positive fraction away from zero (-1.25 is 1899-12-29 06:00), as the day count's convention
// has it.
double LocalFileTimeToDayCount(platform::FILETIME local);

// Negative, zero or positive as a is earlier than, the same second as, or later than b.
// Day counts made along different paths may differ in their last bits; they are compared by
// the second they stand for. A date that is not a number counts as earlier than any other.
int CompareDayCounts(double a, double b);

} // namespace tarn::version
