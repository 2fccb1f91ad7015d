// The process-wide number and date formats that displays and conversions read. The
// main window may change the short date format at run time, so readers never cache it.
#pragma once

#include <string>

struct TFormatSettings {
    std::string ShortDateFormat = "M/d/yyyy";
    std::string LongDateFormat = "dddd, MMMM d, yyyy";
    char DateSeparator = '/';
    std::string ShortTimeFormat = "h:mm AMPM";
    std::string LongTimeFormat = "h:mm:ss AMPM";
    char TimeSeparator = ':';
    std::string CurrencyString = "$";
    // 0 = "$1", 1 = "1$", 2 = "$ 1", 3 = "1 $".
    int CurrencyFormat = 0;
    // 0 = "($1)", 1 = "-$1", ... as the platform numbers them; only 0 and 1 are used here.
    int NegCurrFormat = 0;
    int CurrencyDecimals = 2;
    char DecimalSeparator = '.';
    char ThousandSeparator = ',';
};

extern TFormatSettings FormatSettings;
