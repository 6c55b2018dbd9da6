// The "how long have you used this" line and the calendar-day count behind it.
#pragma once

#include <optional>
#include <string>

namespace startup {

// "You are using this about Y Year(s) , And D Day(s) (Total: T Days)" with Y = floor(T / 365)
// and D = T - 365 * Y, so D is always 0..364 (also for negative totals). Without a total
// (the day count failed) Y and D are 0 and T is left empty.
std::wstring UsageLine(std::optional<long long> totalDays);

// Calendar days from one OLE automation date to another, ignoring times of day.
// An OLE date's integer part (truncated toward zero) is the day and its fraction is always a
// positive time of day, even for dates before 1899-12-30 (-1.25 is 1899-12-29 06:00).
// Negative when toOleDate is on an earlier day. Values outside the OLE date range
// (years 100..9999) are clamped to it and NaN counts as 1899-12-30, so nothing overflows.
long long CalendarDaysBetween(double fromOleDate, double toOleDate);

}  // namespace startup
