#include "common/DateTime.h"

#include <cmath>
#include <cstdio>

namespace {

// Days from 1970-01-01 to the given civil date (proleptic Gregorian calendar).
constexpr long DaysFromCivil(long y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const long era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<long>(doe) - 719468;
}

void CivilFromDays(long z, int& year, int& month, int& day)
{
    z += 719468;
    const long era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(yoe + era * 400 + (month <= 2));
}

// A constant of the compiler's: other files' start-up code may read dates before this file's.
constexpr long kEpochOffset = DaysFromCivil(1899, 12, 30);

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

} // namespace

DateTime ToDateTime(const CivilTime& t)
{
    const long days =
        DaysFromCivil(t.year, static_cast<unsigned>(t.month), static_cast<unsigned>(t.day)) - kEpochOffset;
    return static_cast<double>(days) + (t.hour * 3600 + t.minute * 60 + t.second) / 86400.0;
}

CivilTime ToCivilTime(DateTime value)
{
    // Round to whole seconds first so 23:59:59.9999 does not spill into a wrong day.
    const long long totalSeconds = std::llround(value * 86400.0);
    long days = static_cast<long>(totalSeconds / 86400);
    long long seconds = totalSeconds % 86400;
    if (seconds < 0) {
        seconds += 86400;
        --days;
    }
    CivilTime t;
    CivilFromDays(days + kEpochOffset, t.year, t.month, t.day);
    t.hour = static_cast<int>(seconds / 3600);
    t.minute = static_cast<int>(seconds / 60 % 60);
    t.second = static_cast<int>(seconds % 60);
    return t;
}

std::string FormatDateTime(DateTime value)
{
    const CivilTime t = ToCivilTime(value);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour, t.minute,
                  t.second);
    return text;
}

bool ParseDateTime(const std::string& text, DateTime& value)
{
    if (text.empty()) {
        value = 0;
        return true;
    }
    // Position by position: digits where the pattern has '9', the separator elsewhere.
    static const char kPattern[] = "9999-99-99 99:99:99";
    if (text.size() != sizeof kPattern - 1)
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (kPattern[i] == '9' ? !digit : text[i] != kPattern[i])
            return false;
    }
    auto number = [&text](size_t pos, size_t length) {
        int n = 0;
        for (size_t i = pos; i < pos + length; ++i)
            n = n * 10 + (text[i] - '0');
        return n;
    };
    CivilTime t;
    t.year = number(0, 4);
    t.month = number(5, 2);
    t.day = number(8, 2);
    t.hour = number(11, 2);
    t.minute = number(14, 2);
    t.second = number(17, 2);
    if (t.year < 100 || t.month < 1 || t.month > 12 || t.day < 1 || t.day > DaysInMonth(t.year, t.month) ||
        t.hour > 23 || t.minute > 59 || t.second > 59)
        return false;
    value = ToDateTime(t);
    return true;
}
