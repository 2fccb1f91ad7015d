// Number text conversion with the messages users see when a value is refused.
#pragma once

#include <cstdint>
#include <string>

// Decimal with optional blanks before and a sign, or hexadecimal after "$" or "0x";
// must fit 32 bits. Fails with EConvertError "'%s' is not a valid integer value".
int32_t StrToInt(const std::string& s);
bool TryStrToInt(const std::string& s, int32_t& value);
int32_t StrToIntDef(const std::string& s, int32_t def);
std::string IntToStr(long long value);

// Decimal with the settings' decimal separator and an optional exponent, blanks
// around allowed. Fails with EConvertError "'%s' is not a valid floating point value".
double StrToFloat(const std::string& s);
bool TryStrToFloat(const std::string& s, double& value);
// Shortest text that reads back to the same value (15 significant digits at most).
std::string FloatToStr(double value);

// Replaces each "%s" of the pattern with the next argument.
std::string FormatStr(const std::string& pattern, std::initializer_list<std::string> args);
