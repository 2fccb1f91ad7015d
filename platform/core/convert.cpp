#include "platform/core/convert.h"

#include "platform/core/exceptions.h"
#include "platform/core/formatsettings.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

bool IsBlank(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

} // namespace

bool TryStrToInt(const std::string& s, int32_t& value)
{
    size_t i = 0;
    while (i < s.size() && IsBlank(s[i]))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        negative = s[i] == '-';
        ++i;
    }
    int base = 10;
    if (i < s.size() && s[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == s.size())
        return false;
    long long magnitude = 0;
    for (; i < s.size(); ++i) {
        int digit;
        char c = s[i];
        if (c >= '0' && c <= '9')
            digit = c - '0';
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = c - 'a' + 10;
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = c - 'A' + 10;
        else
            return false;
        magnitude = magnitude * base + digit;
        // Hexadecimal text may spell a negative number in two's complement ($FFFFFFFF).
        if (magnitude > (base == 16 ? 0xFFFFFFFFLL : 0x80000000LL))
            return false;
    }
    if (base == 16 && !negative) {
        value = static_cast<int32_t>(static_cast<uint32_t>(magnitude));
        return true;
    }
    long long signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT32_MAX || signedValue < INT32_MIN)
        return false;
    value = static_cast<int32_t>(signedValue);
    return true;
}

int32_t StrToInt(const std::string& s)
{
    int32_t value;
    if (!TryStrToInt(s, value))
        throw EConvertError("'" + s + "' is not a valid integer value");
    return value;
}

int32_t StrToIntDef(const std::string& s, int32_t def)
{
    int32_t value;
    return TryStrToInt(s, value) ? value : def;
}

std::string IntToStr(long long value)
{
    return std::to_string(value);
}

bool TryStrToFloat(const std::string& s, double& value)
{
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    // Normalise to the C form that from_chars reads: sign, digits, '.', exponent.
    std::string text;
    size_t i = b;
    if (i < e && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-')
            text += '-';
        ++i;
    }
    int digits = 0;
    while (i < e && s[i] >= '0' && s[i] <= '9') {
        text += s[i++];
        ++digits;
    }
    if (i < e && s[i] == FormatSettings.DecimalSeparator) {
        text += '.';
        ++i;
        while (i < e && s[i] >= '0' && s[i] <= '9') {
            text += s[i++];
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < e && (s[i] == 'e' || s[i] == 'E')) {
        text += 'e';
        ++i;
        if (i < e && (s[i] == '+' || s[i] == '-'))
            text += s[i++];
        int expDigits = 0;
        while (i < e && s[i] >= '0' && s[i] <= '9') {
            text += s[i++];
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
    }
    if (i != e)
        return false;
    double result = 0;
    auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), result);
    if (ec != std::errc() || ptr != text.data() + text.size() || !std::isfinite(result))
        return false;
    value = result;
    return true;
}

double StrToFloat(const std::string& s)
{
    double value;
    if (!TryStrToFloat(s, value))
        throw EConvertError("'" + s + "' is not a valid floating point value");
    return value;
}

std::string FloatToStr(double value)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", value);
    std::string text = buf;
    if (FormatSettings.DecimalSeparator != '.') {
        for (char& c : text)
            if (c == '.')
                c = FormatSettings.DecimalSeparator;
    }
    return text;
}

std::string FormatStr(const std::string& pattern, std::initializer_list<std::string> args)
{
    std::string result;
    auto next = args.begin();
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 1 < pattern.size() && pattern[i + 1] == 's' && next != args.end()) {
            result += *next++;
            ++i;
        } else {
            result += pattern[i];
        }
    }
    return result;
}
