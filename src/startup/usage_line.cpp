// The "how long have you used this" line and the calendar-day count behind it.
#include "startup/usage_line.h"

#include <cmath>

namespace startup {
namespace {

constexpr long long kDaysPerYear = 365;

// First and last days an OLE date can name: 0100-01-01 and 9999-12-31.
constexpr double kFirstOleDay = -657434.0;
constexpr double kLastOleDay = 2958465.0;

long long OleDay(double oleDate) {
    if (std::isnan(oleDate)) {
        return 0;
    }
    double day = std::trunc(oleDate);
    if (day < kFirstOleDay) {
        day = kFirstOleDay;
    } else if (day > kLastOleDay) {
        day = kLastOleDay;
    }
    return static_cast<long long>(day);
}

}  // namespace

std::wstring UsageLine(std::optional<long long> totalDays) {
    long long years = 0;
    long long days = 0;
    std::wstring total;
    if (totalDays) {
        const long long t = *totalDays;
        // Floor division done with / and % only, so no intermediate can overflow.
        years = t / kDaysPerYear;
        days = t % kDaysPerYear;
        if (days < 0) {
            days += kDaysPerYear;
            --years;
        }
        total = std::to_wstring(t);
    }
    return L"You are using this about " + std::to_wstring(years) + L" Year(s) , And " +
           std::to_wstring(days) + L" Day(s) (Total: " + total + L" Days)";
}

long long CalendarDaysBetween(double fromOleDate, double toOleDate) {
    return OleDay(toOleDate) - OleDay(fromOleDate);
}

}  // namespace startup
