#include "formatsettings.h"

TFormatSettings FormatSettings;
