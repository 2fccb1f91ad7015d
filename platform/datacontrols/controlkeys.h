// What the bound controls ask of a key or a focus change, answered once for all.
#pragma once

class QFocusEvent;
class QKeyEvent;

// The key types a character (letters, digits, blanks; not with Ctrl or Alt).
bool IsTypedChar(const QKeyEvent* Event);
// The key changes an edit's text: a typed character, Backspace, Delete, cutting,
// pasting, undoing or redoing.
bool ChangesText(const QKeyEvent* Event);
// The focus moves between controls, rather than the window losing it to another
// window (a message box, a menu) or getting it back.
bool LeavesOrEnters(const QFocusEvent* Event);
