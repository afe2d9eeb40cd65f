// Member dates: a file's last-write time as the day count the header stores (local time, 2-second
// steps), and back.
#pragma once

#include "framework/FileStream.h"
#include "platform/WinTypes.h"

namespace tarn::archive {

// The last-write time of an open file as a day count, held to the years 1980 to 2107.
double FileDateOf(THandleStream& file);

// The UTC file time a day count stands for, through the DOS-style stamp (2-second steps, years
// 1980 to 2107). False for a date the stamp cannot hold.
bool DayCountToFileTime(double dayCount, platform::FILETIME& utc);

} // namespace tarn::archive
