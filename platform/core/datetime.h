// Date-time values as whole days since 30 December 1899 with the time of day as the
// fraction: the representation stored files and the database engine expect.
#pragma once

#include <cstdint>
#include <string>

using TDateTime = double;

// Fails with EConvertError "Invalid argument to date encode" outside 1..9999 or for a
// day the month does not have.
TDateTime EncodeDate(int year, int month, int day);
bool TryEncodeDate(int year, int month, int day, TDateTime& result);
// Fails with EConvertError "Invalid argument to time encode".
TDateTime EncodeTime(int hour, int minute, int second, int msec);
bool TryEncodeTime(int hour, int minute, int second, int msec, TDateTime& result);

void DecodeDate(TDateTime value, int& year, int& month, int& day);
void DecodeTime(TDateTime value, int& hour, int& minute, int& second, int& msec);

bool IsLeapYear(int year);
int DaysInMonth(int year, int month);
// 1 = Sunday ... 7 = Saturday.
int DayOfWeek(TDateTime value);

// The one text form of a date-time in local data, written by the engine and by the
// tools that build data alike: "yyyy-MM-dd HH:mm:ss", with ".zzz" only when the
// milliseconds are not zero. Shorter texts sort first, so text order is time order.
std::string DateTimeToStoredText(TDateTime value);
// Reads that form, a date alone, a time without seconds, and the older form
// "yyyy-MM-ddTHH:mm:ss.zzz"; blanks around the text are ignored. False for anything
// else, including a day the month does not have.
bool StoredTextToDateTime(const std::string& text, TDateTime& value);

// Today at midnight, and the current moment, in local time.
TDateTime Date();
TDateTime Now();
