#pragma once
// Date-times are day counts since 30 December 1899 00:00, local time, with the time
// of day as the fraction, so the difference of two date-times is a number of days.
#include <string>

using DateTime = double;

struct CivilTime {
    int year = 1899, month = 12, day = 30;
    int hour = 0, minute = 0, second = 0;
};

DateTime ToDateTime(const CivilTime& time);
CivilTime ToCivilTime(DateTime value);

// "YYYY-MM-DD HH:MM:SS", 24-hour, zero-padded: how the database stores date-times.
std::string FormatDateTime(DateTime value);

// Reads exactly the stored form "YYYY-MM-DD HH:MM:SS": 19 characters, digits where
// digits belong, every field in range; an empty text is 0. Anything else (a date
// alone, signs, blanks, short fields) is false and leaves `value` unchanged.
bool ParseDateTime(const std::string& text, DateTime& value);
