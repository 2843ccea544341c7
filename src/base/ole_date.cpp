#include "base/ole_date.h"

#include <cmath>
#include <cstdio>

namespace vexav6 {
namespace {

constexpr int64_t kUnixEpochOleDays = 25569;  // 1970-01-01 in OLE days
constexpr double kSecondsPerDay = 86400.0;

// Days since 1970-01-01 of a proleptic Gregorian date (month 1..12, any day count).
int64_t DaysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2 ? 1 : 0;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t y = yoe + era * 400;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(y + (month <= 2 ? 1 : 0));
}

const char* const kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
const char* const kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

}  // namespace

double OleDate::Linear() const {
    if (value >= 0) {
        return value;
    }
    const double whole = std::trunc(value);
    return whole + (whole - value);
}

OleDate OleDate::FromLinear(double days) {
    const double whole = std::floor(days);
    const double fraction = days - whole;
    return OleDate{whole >= 0 ? whole + fraction : whole - fraction};
}

OleDate DateFromCivil(int year, int month, int day, int hour, int minute, int second) {
    // Months roll over into years first; then day and time offsets are plain arithmetic.
    int64_t m0 = static_cast<int64_t>(month) - 1;
    int64_t y = year + (m0 >= 0 ? m0 / 12 : (m0 - 11) / 12);
    m0 -= (m0 >= 0 ? m0 / 12 : (m0 - 11) / 12) * 12;
    const int64_t days = DaysFromCivil(y, m0 + 1, 1) + (day - 1) + kUnixEpochOleDays;
    const double seconds = static_cast<double>(hour) * 3600.0 + minute * 60.0 + second;
    return OleDate::FromLinear(static_cast<double>(days) + seconds / kSecondsPerDay);
}

OleDate DateFromCivil(const CivilTime& t) {
    return DateFromCivil(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

CivilTime CivilFromDate(OleDate date) {
    const double linear = date.Linear();
    int64_t days = static_cast<int64_t>(std::floor(linear));
    auto seconds =
        static_cast<int64_t>(std::llround((linear - static_cast<double>(days)) * kSecondsPerDay));
    if (seconds >= 86400) {
        seconds -= 86400;
        ++days;
    }
    CivilTime t;
    CivilFromDays(days - kUnixEpochOleDays, t.year, t.month, t.day);
    t.hour = static_cast<int>(seconds / 3600);
    t.minute = static_cast<int>(seconds / 60 % 60);
    t.second = static_cast<int>(seconds % 60);
    return t;
}

int Weekday(OleDate date) {
    // 1899-12-30 was a Saturday.
    const auto days = static_cast<int64_t>(std::floor(date.Linear()));
    return static_cast<int>(((days + 6) % 7 + 7) % 7);
}

OleDate AddDays(OleDate date, double days) {
    return OleDate::FromLinear(date.Linear() + days);
}

OleDate AddMinutes(OleDate date, double minutes) {
    return AddDays(date, minutes / 1440.0);
}

OleDate AddSeconds(OleDate date, double seconds) {
    return AddDays(date, seconds / kSecondsPerDay);
}

OleDate DateFromUnixSeconds(int64_t seconds) {
    const int64_t days = seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400;
    const int64_t rest = seconds - days * 86400;
    return OleDate::FromLinear(static_cast<double>(days + kUnixEpochOleDays) +
                               static_cast<double>(rest) / kSecondsPerDay);
}

std::string FormatHttpDateTime(OleDate date) {
    const CivilTime t = CivilFromDate(date);
    // Round-trip the rounded fields so the weekday matches the printed day.
    const int weekday = Weekday(DateFromCivil(t.year, t.month, t.day));
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%s, %02d %s %04d %02d:%02d:%02d", kDayNames[weekday],
                  t.day, kMonthNames[t.month - 1], t.year, t.hour, t.minute, t.second);
    return buffer;
}

}  // namespace vexav6
