// The format settings of a locale, as the platform read them from the user's regional
// settings at start. Apart from formatsettings.h because it needs Qt's locales, which the
// plain C++ libraries built on platform/core (xmllib) must not link.
// What must stay true: the C/POSIX locale gives the settings of TFormatSettings as
// declared (month first, "/", ".", ",", "$"); every separator is one ASCII character,
// since conversions compare it with the bytes of 8-bit text.
#pragma once

#include "platform/core/formatsettings.h"

class QLocale;

// The settings Locale stands for: its short date format (with its date separator
// written "/", the platform's place holder for DateSeparator), the date separator, the
// decimal and thousands separators, and the currency: symbol, place, decimals and
// whether a negative amount is shown in parentheses. A part the locale does not give
// in a usable form (the C locale's "d MMM yyyy" and empty currency symbol, a separator
// no ASCII character can stand for) keeps the default. Time formats stay the defaults.
TFormatSettings FormatSettingsOf(const QLocale& Locale);

// FormatSettings := FormatSettingsOf(QLocale::system()): the user's formats, which Qt
// takes from LC_ALL, LC_TIME, LC_NUMERIC, LC_MONETARY and LANG.
void GetFormatSettings();
