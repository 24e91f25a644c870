// Written by hand: C++17 has no calendar (std::chrono's arrives in C++20),
// and timegm() quietly normalises impossible dates such as February 30th,
// which a publisher's typo must not turn into another day.
#include "file_time_text.h"

#include <cctype>
#include <cstdio>

namespace {

constexpr int64_t ticksPerSecond = 10000000;
constexpr int64_t secondsPerDay = 86400;
// Days from 1601-01-01 to 1970-01-01.
constexpr int64_t epochDays1970 = 134774;

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's
// days_from_civil).
int64_t daysFromCivil(int64_t year, unsigned month, unsigned day)
{
    year -= month <= 2;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const unsigned yearOfEra = unsigned(year - era * 400);
    const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + int64_t(dayOfEra) - 719468;
}

void civilFromDays(int64_t days, int64_t* year, unsigned* month, unsigned* day)
{
    days += 719468;
    const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const unsigned dayOfEra = unsigned(days - era * 146097);
    const unsigned yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const unsigned dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const unsigned shiftedMonth = (5 * dayOfYear + 2) / 153;
    *day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
    *month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
    *year = int64_t(yearOfEra) + era * 400 + (*month <= 2);
}

bool isLeapYear(int64_t year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

unsigned daysInMonth(int64_t year, unsigned month)
{
    static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && isLeapYear(year) ? 29 : days[month - 1];
}

}  // namespace

uint64_t fileTimeValue(FILETIME time) { return uint64_t(time.dwHighDateTime) << 32 | time.dwLowDateTime; }

bool isUsableFileTime(FILETIME time) { return fileTimeValue(time) != 0 && fileTimeValue(time) >> 63 == 0; }

FILETIME fileTimeOf(uint64_t value) { return FILETIME{uint32_t(value), uint32_t(value >> 32)}; }

std::optional<FILETIME> parseFileTime(const std::string& text)
{
    static const char shape[] = "0000-00-00 00:00:00";
    if (text.size() != sizeof shape - 1) return std::nullopt;
    for (size_t i = 0; i < text.size(); i++) {
        bool digitWanted = shape[i] == '0';
        if (digitWanted ? !isdigit(static_cast<unsigned char>(text[i])) : text[i] != shape[i]) return std::nullopt;
    }
    int year, month, day, hour, minute, second;
    std::sscanf(text.c_str(), "%d-%d-%d %d:%d:%d", &year, &month, &day, &hour, &minute, &second);
    if (year < 1601 || month < 1 || month > 12 || day < 1 || unsigned(day) > daysInMonth(year, unsigned(month)) ||
        hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    int64_t days = daysFromCivil(year, unsigned(month), unsigned(day)) + epochDays1970;
    int64_t seconds = days * secondsPerDay + hour * 3600 + minute * 60 + second;
    FILETIME time = fileTimeOf(uint64_t(seconds) * ticksPerSecond);
    return isUsableFileTime(time) ? std::optional<FILETIME>(time) : std::nullopt;
}

std::string formatFileTime(FILETIME time)
{
    uint64_t ticks = fileTimeValue(time);
    int64_t seconds = int64_t(ticks / ticksPerSecond);
    unsigned fraction = unsigned(ticks % ticksPerSecond);
    int64_t year;
    unsigned month, day;
    civilFromDays(seconds / secondsPerDay - epochDays1970, &year, &month, &day);
    int64_t secondOfDay = seconds % secondsPerDay;
    char text[64];
    int length = std::snprintf(text, sizeof text, "%04lld-%02u-%02u %02d:%02d:%02d", static_cast<long long>(year),
                               month, day, int(secondOfDay / 3600), int(secondOfDay / 60 % 60),
                               int(secondOfDay % 60));
    if (fraction != 0) std::snprintf(text + length, sizeof text - size_t(length), ".%07u", fraction);
    return text;
}

std::optional<FILETIME> fileTimeFromTimespec(const timespec& time)
{
    int64_t seconds = int64_t(time.tv_sec) + epochDays1970 * secondsPerDay;
    if (seconds < 0 || uint64_t(seconds) >= (uint64_t(1) << 63) / ticksPerSecond) return std::nullopt;
    FILETIME fileTime = fileTimeOf(uint64_t(seconds) * ticksPerSecond + uint64_t(time.tv_nsec) / 100);
    return isUsableFileTime(fileTime) ? std::optional<FILETIME>(fileTime) : std::nullopt;
}

timespec timespecFromFileTime(FILETIME time)
{
    uint64_t ticks = fileTimeValue(time);
    timespec result;
    result.tv_sec = time_t(int64_t(ticks / ticksPerSecond) - epochDays1970 * secondsPerDay);
    result.tv_nsec = long(ticks % ticksPerSecond) * 100;
    return result;
}
