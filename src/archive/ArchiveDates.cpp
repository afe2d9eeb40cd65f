#include "archive/ArchiveDates.h"

#include "platform/Platform.h"
#include "version/FileDates.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>

namespace tarn::archive {
namespace {

using namespace std::chrono;

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kTicksPerSecond = 10'000'000;
// Days from 1601-01-01 (FILETIME) to 1899-12-30 (day counts).
constexpr std::int64_t kDayCountEpoch = 109205;

constexpr std::int64_t DayNumber(year_month_day date) {
    return (sys_days{date} - sys_days{year{1899} / December / 30}).count();
}
// The range of a DOS date stamp.
constexpr std::int64_t kFirstDosDay = DayNumber(year{1980} / January / 1);
constexpr std::int64_t kEndDosDay = DayNumber(year{2108} / January / 1);

} // namespace

double FileDateOf(THandleStream& file) {
    platform::FILETIME utc = 0;
    platform::Files().GetFileTime(file.Handle(), utc);
    const double date = version::LocalFileTimeToDayCount(platform::Files().ToLocalFileTime(utc));
    // A DOS stamp holds 1980 to 2107 only: a file dated outside gets the nearest date it can
    // hold, so that its member can be extracted with a date again.
    constexpr double kLastDosDate = kEndDosDay - 2.0 / kSecondsPerDay;
    return std::clamp(date, static_cast<double>(kFirstDosDay), kLastDosDate);
}

bool DayCountToFileTime(double dayCount, platform::FILETIME& utc) {
    if (!std::isfinite(dayCount) || dayCount < kFirstDosDay || dayCount >= kEndDosDay) return false;
    const double days = std::trunc(dayCount);
    std::int64_t seconds = static_cast<std::int64_t>(days) * kSecondsPerDay +
                           std::llround((dayCount - days) * kSecondsPerDay);
    seconds -= seconds % 2;
    if (seconds >= kEndDosDay * kSecondsPerDay) return false;
    const auto local = static_cast<platform::FILETIME>((seconds + kDayCountEpoch * kSecondsPerDay) *
                                                       kTicksPerSecond);
    utc = platform::Files().FromLocalFileTime(local);
    return true;
}

} // namespace tarn::archive
