#pragma once

#include <cstdint>
#include <string>

namespace vexav6 {

// A date-time as the program stores it in its files: days since 30 December 1899 00:00 with the
// time of day as the fraction (the OLE Automation date). Before 1899-12-30 the whole part counts
// back and the fraction still counts forward: -1.25 is 29 December 1899 06:00. No time zone is
// attached; callers say whether a value is local time or GMT.
struct OleDate {
    double value = 0.0;

    friend bool operator==(OleDate a, OleDate b) { return a.value == b.value; }
    friend bool operator<(OleDate a, OleDate b) { return a.Linear() < b.Linear(); }
    friend bool operator>=(OleDate a, OleDate b) { return !(a < b); }

    // The value on a plain number line (days, earlier is smaller) and back.
    double Linear() const;
    static OleDate FromLinear(double days);
};

struct CivilTime {
    int year = 1899;
    int month = 12;
    int day = 30;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

// Builds a date the way the date functions of the original platform do: a month outside 1..12 moves
// the year, a day or time field out of range moves on by that many days, hours, ... (31 April is
// 1 May; hour 25 is 01:00 of the next day).
OleDate DateFromCivil(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);
OleDate DateFromCivil(const CivilTime& t);

// The civil fields of a date, rounded to the nearest second.
CivilTime CivilFromDate(OleDate date);

// 0 = Sunday ... 6 = Saturday.
int Weekday(OleDate date);

OleDate AddDays(OleDate date, double days);
OleDate AddMinutes(OleDate date, double minutes);
OleDate AddSeconds(OleDate date, double seconds);

// Seconds since 1970-01-01 00:00 (no time zone applied) as a date.
OleDate DateFromUnixSeconds(int64_t seconds);

// "ddd, dd mmm yyyy HH:nn:ss" with the English day and month abbreviations of the HTTP date form,
// for example "Sat, 30 Dec 1899 00:00:00". Callers append " GMT".
std::string FormatHttpDateTime(OleDate date);

}  // namespace vexav6
