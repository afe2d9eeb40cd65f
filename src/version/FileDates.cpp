#include "version/FileDates.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace tarn::version {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kTicksPerSecond = 10'000'000;
// Days from 1601-01-01, where FILETIME counts from, to 1899-12-30, where day counts do.
constexpr std::int64_t kDayCountEpoch = 109205;

// Far beyond any file date; a damaged date is held to it, and one that is not a number counts
// as the earliest, so that a file of unknown date never replaces another.
constexpr double kDayCountLimit = 1e7;

// The day count back to whole seconds since 1899-12-30, undoing the sign convention.
std::int64_t DayCountSeconds(double dayCount) {
    if (std::isnan(dayCount)) dayCount = -kDayCountLimit;
    dayCount = std::clamp(dayCount, -kDayCountLimit, kDayCountLimit);
    const double days = std::trunc(dayCount);
    const double fraction = std::fabs(dayCount - days);
    return static_cast<std::int64_t>(days) * kSecondsPerDay +
           std::llround(fraction * static_cast<double>(kSecondsPerDay));
}

} // namespace

double LocalFileTimeToDayCount(platform::FILETIME local) {
    std::int64_t seconds = static_cast<std::int64_t>(local / kTicksPerSecond);
    seconds -= seconds % 2;
    seconds -= kDayCountEpoch * kSecondsPerDay;
    std::int64_t days = seconds / kSecondsPerDay;
    std::int64_t timeOfDay = seconds % kSecondsPerDay;
    if (timeOfDay < 0) {
        --days;
        timeOfDay += kSecondsPerDay;
    }
    const double fraction = static_cast<double>(timeOfDay) / kSecondsPerDay;
    return days < 0 ? static_cast<double>(days) - fraction : static_cast<double>(days) + fraction;
}

int CompareDayCounts(double a, double b) {
    const std::int64_t x = DayCountSeconds(a);
    const std::int64_t y = DayCountSeconds(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

} // namespace tarn::version
