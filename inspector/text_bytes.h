// The one way the inspector turns stored bytes into text and back. Bytes valid in
// the locale's encoding (UTF-8 under Qt 6 on Unix) are decoded with it; any other
// bytes are shown one character per byte. Text goes back the way it came: with
// ByteWise every character below 256 is written as that byte (a character the user
// typed beyond that in the locale's encoding), so bytes the user did not change are
// written back as they were stored.
#pragma once

#include <QString>

#include <string>
#include <string_view>

bool IsLocalText(std::string_view Bytes);
QString BytesToText(std::string_view Bytes, bool ByteWise);
inline QString BytesToText(std::string_view Bytes) { return BytesToText(Bytes, !IsLocalText(Bytes)); }
std::string TextToBytes(const QString& Text, bool ByteWise);
// The size in bytes of the first MaxChars characters of Bytes (all of it when it
// has fewer), never cutting a character of the locale's encoding in two.
size_t TextHeadSize(std::string_view Bytes, bool ByteWise, size_t MaxChars);
// What a cell Width pixels wide can show of Bytes: the head of as many characters
// as pixels (no glyph is narrower than one), so painting never lays out more.
QString VisibleText(std::string_view Bytes, int Width);
