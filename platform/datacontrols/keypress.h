// OnKeyPress as the controls raise it: the handler sees the character a key types and
// may swallow it (set it to null) or type another one instead.
#pragma once

#include "platform/core/object.h"

#include <QChar>

#include <functional>
#include <memory>

class QKeyEvent;

using TKeyPressEvent = std::function<void(TObject* Sender, QChar& Key)>;

// The character Event types: its text's one character, Enter as 13 (10 with Ctrl),
// Escape 27, Backspace 8; null for keys that type nothing (arrows, function keys).
QChar KeyPressChar(const QKeyEvent* Event);

// Runs Handler on the character of Event, reporting what it throws. False when the
// key must go no further (swallowed, or the handler failed); when the handler typed
// another character, Replaced holds the key event that types it instead of Event.
bool RunKeyPress(const TKeyPressEvent& Handler, TObject* Sender, const QKeyEvent* Event,
                 std::unique_ptr<QKeyEvent>& Replaced);
