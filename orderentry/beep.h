// The system beep that a window sounds when it refuses a key. A test sets OnBeep to
// hear the beep in place of the speaker.
#pragma once

#include <functional>

extern std::function<void()> OnBeep;

void Beep();
