#include "platform/core/formatsettings.h"

TFormatSettings FormatSettings;
