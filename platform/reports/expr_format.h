// FormatNumeric of report expressions: a number through a picture mask.
#pragma once

#include <QString>

// '#' an optional digit, '0' a required one, ',' anywhere in the whole part turns on
// thousands separators, the first '.' is the decimal point; other characters are
// printed as they stand. The separators printed are those of FormatSettings. Rounds
// half away from zero at the mask's last decimal; a negative number that does not
// round to zero gets a '-' before the whole text. "$##,###,###.00": 1234.5 gives
// "$1,234.50", 0.5 gives "$.50".
QString FormatNumeric(const QString& Mask, double Value);
