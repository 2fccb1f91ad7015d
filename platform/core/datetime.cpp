#include "platform/core/datetime.h"

#include "platform/core/exceptions.h"

#include <cmath>
#include <cstdio>
#include <ctime>
#include <sys/time.h>

namespace {

// 1 January 0001 is day 1 of this count; 30 December 1899 is day kDelta.
constexpr long long kDelta = 693594;

long long DaysBeforeYear(long long y)
{
    --y;
    return y * 365 + y / 4 - y / 100 + y / 400;
}

} // namespace

bool IsLeapYear(int year)
{
    return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0);
}

int DaysInMonth(int year, int month)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12)
        return 0;
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

bool TryEncodeDate(int year, int month, int day, TDateTime& result)
{
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month))
        return false;
    long long days = DaysBeforeYear(year);
    for (int m = 1; m < month; ++m)
        days += DaysInMonth(year, m);
    days += day;
    result = static_cast<TDateTime>(days - kDelta);
    return true;
}

TDateTime EncodeDate(int year, int month, int day)
{
    TDateTime result;
    if (!TryEncodeDate(year, month, day, result))
        throw EConvertError("Invalid argument to date encode");
    return result;
}

bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& result)
{
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59 || msec < 0 || msec > 999)
        return false;
    result = (hour * 3600000.0 + minute * 60000.0 + second * 1000.0 + msec) / 86400000.0;
    return true;
}

TDateTime EncodeTime(int hour, int minute, int second, int msec)
{
    TDateTime result;
    if (!TryEncodeTime(hour, minute, second, msec, result))
        throw EConvertError("Invalid argument to time encode");
    return result;
}

void DecodeDate(TDateTime value, int& year, int& month, int& day)
{
    long long days = static_cast<long long>(std::floor(value)) + kDelta - 1; // days since 0001-01-01, 0-based
    if (days < 0) {
        year = month = day = 0;
        return;
    }
    // Civil-from-days on the proleptic Gregorian calendar.
    long long y = 1;
    long long n400 = days / 146097; days %= 146097; y += n400 * 400;
    long long n100 = days / 36524; if (n100 == 4) n100 = 3; days -= n100 * 36524; y += n100 * 100;
    long long n4 = days / 1461; days %= 1461; y += n4 * 4;
    long long n1 = days / 365; if (n1 == 4) n1 = 3; days -= n1 * 365; y += n1;
    int m = 1;
    while (days >= DaysInMonth(static_cast<int>(y), m)) {
        days -= DaysInMonth(static_cast<int>(y), m);
        ++m;
    }
    year = static_cast<int>(y);
    month = m;
    day = static_cast<int>(days) + 1;
}

void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec)
{
    double fraction = std::fabs(value - std::trunc(value));
    long long ms = std::llround(fraction * 86400000.0);
    if (ms >= 86400000)
        ms = 86399999;
    hour = static_cast<int>(ms / 3600000);
    minute = static_cast<int>(ms / 60000 % 60);
    second = static_cast<int>(ms / 1000 % 60);
    msec = static_cast<int>(ms % 1000);
}

int DayOfWeek(TDateTime value)
{
    // 30 December 1899 was a Saturday.
    long long d = static_cast<long long>(std::floor(value));
    return static_cast<int>(((d + 6) % 7 + 7) % 7) + 1;
}

std::string DateTimeToStoredText(TDateTime value)
{
    // The day is the whole part below the value, as the engines count it, so a
    // time of day is always the positive fraction.
    double days = std::floor(value);
    long long ms = std::llround((value - days) * 86400000.0);
    if (ms >= 86400000) {
        days += 1;
        ms -= 86400000;
    }
    int y, m, d;
    DecodeDate(days, y, m, d);
    char text[32];
    int n = std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", y, m, d, int(ms / 3600000),
                          int(ms / 60000 % 60), int(ms / 1000 % 60));
    if (ms % 1000 != 0)
        std::snprintf(text + n, sizeof text - n, ".%03d", int(ms % 1000));
    return text;
}

bool StoredTextToDateTime(const std::string& text, TDateTime& value)
{
    std::size_t from = text.find_first_not_of(" \t");
    if (from == std::string::npos)
        return false;
    std::size_t to = text.find_last_not_of(" \t") + 1;
    const char* s = text.data() + from;
    const std::size_t n = to - from;
    auto digits = [&](std::size_t at, std::size_t count, int& out) {
        out = 0;
        if (at + count > n)
            return false;
        for (std::size_t i = at; i < at + count; ++i) {
            if (s[i] < '0' || s[i] > '9')
                return false;
            out = out * 10 + (s[i] - '0');
        }
        return true;
    };
    int y, mo, d, h = 0, mi = 0, sec = 0, ms = 0;
    if (n < 10 || !digits(0, 4, y) || s[4] != '-' || !digits(5, 2, mo) || s[7] != '-' || !digits(8, 2, d))
        return false;
    if (n > 10) {
        if ((s[10] != ' ' && s[10] != 'T') || n < 16 || !digits(11, 2, h) || s[13] != ':' || !digits(14, 2, mi))
            return false;
        if (n > 16 && (n < 19 || s[16] != ':' || !digits(17, 2, sec)))
            return false;
        if (n > 19) {
            // Milliseconds: the first three digits of the fraction, padded on the right.
            if (s[19] != '.' || n == 20)
                return false;
            for (std::size_t i = 20; i < n; ++i) {
                if (s[i] < '0' || s[i] > '9')
                    return false;
                if (i < 23)
                    ms = ms * 10 + (s[i] - '0');
            }
            for (std::size_t i = n; i < 23; ++i)
                ms *= 10;
        }
    }
    TDateTime date, time;
    if (!TryEncodeDate(y, mo, d, date) || !TryEncodeTime(h, mi, sec, ms, time))
        return false;
    value = date + time;
    return true;
}

TDateTime Date()
{
    std::time_t t = std::time(nullptr);
    std::tm lt{};
    localtime_r(&t, &lt);
    return EncodeDate(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday);
}

TDateTime Now()
{
    timeval tv{};
    gettimeofday(&tv, nullptr);
    std::tm lt{};
    std::time_t secs = tv.tv_sec;
    localtime_r(&secs, &lt);
    return EncodeDate(lt.tm_year + 1900, lt.tm_mon + 1, lt.tm_mday)
        + EncodeTime(lt.tm_hour, lt.tm_min, lt.tm_sec, static_cast<int>(tv.tv_usec / 1000));
}
