// The conversions between stored bytes and shown text. A value of megabytes costs
// one pass over its bytes, and a cell is handed only the head it can show.
#include "inspector/text_bytes.h"

#include <algorithm>
#include <cstring>

// Qt 6 takes the locale's 8-bit encoding on Unix to be UTF-8; this is its strict
// form (no overlong forms, surrogates or code points past U+10FFFF), checked
// without decoding so that a value of megabytes costs one pass over its bytes.
bool IsLocalText(std::string_view Bytes)
{
    const auto* P = reinterpret_cast<const unsigned char*>(Bytes.data());
    const auto* End = P + Bytes.size();
    while (P < End) {
        if (End - P >= 8) {
            uint64_t Word;
            std::memcpy(&Word, P, 8);
            if ((Word & 0x8080808080808080ULL) == 0) {
                P += 8;
                continue;
            }
        }
        const unsigned char C = *P;
        if (C < 0x80) {
            ++P;
            continue;
        }
        int Follow;
        uint32_t Code, Least;
        if (C >= 0xC2 && C <= 0xDF) {
            Follow = 1, Code = C & 0x1F, Least = 0x80;
        } else if ((C & 0xF0) == 0xE0) {
            Follow = 2, Code = C & 0x0F, Least = 0x800;
        } else if (C >= 0xF0 && C <= 0xF4) {
            Follow = 3, Code = C & 0x07, Least = 0x10000;
        } else {
            return false;
        }
        if (End - P <= Follow)
            return false;
        for (int I = 1; I <= Follow; ++I) {
            if ((P[I] & 0xC0) != 0x80)
                return false;
            Code = Code << 6 | (P[I] & 0x3F);
        }
        if (Code < Least || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF))
            return false;
        P += Follow + 1;
    }
    return true;
}

QString BytesToText(std::string_view Bytes, bool ByteWise)
{
    const auto Size = static_cast<qsizetype>(Bytes.size());
    return ByteWise ? QString::fromLatin1(Bytes.data(), Size) : QString::fromUtf8(Bytes.data(), Size);
}

std::string TextToBytes(const QString& Text, bool ByteWise)
{
    if (!ByteWise)
        return Text.toUtf8().toStdString();
    std::string Result;
    Result.reserve(static_cast<size_t>(Text.size()));
    for (qsizetype I = 0; I < Text.size(); ++I) {
        const QChar C = Text[I];
        if (C.unicode() < 256) {
            Result += static_cast<char>(C.unicode());
            continue;
        }
        const qsizetype Length = C.isHighSurrogate() && I + 1 < Text.size() && Text[I + 1].isLowSurrogate() ? 2 : 1;
        const QByteArray Typed = Text.mid(I, Length).toUtf8();
        Result.append(Typed.constData(), static_cast<size_t>(Typed.size()));
        I += Length - 1;
    }
    return Result;
}

size_t TextHeadSize(std::string_view Bytes, bool ByteWise, size_t MaxChars)
{
    if (ByteWise)
        return std::min(Bytes.size(), MaxChars);
    size_t Pos = 0;
    for (size_t Count = 0; Pos < Bytes.size() && Count < MaxChars; ++Count) {
        ++Pos;
        while (Pos < Bytes.size() && (static_cast<unsigned char>(Bytes[Pos]) & 0xC0) == 0x80)
            ++Pos;
    }
    return Pos;
}

QString VisibleText(std::string_view Bytes, int Width)
{
    const bool ByteWise = !IsLocalText(Bytes);
    const size_t Chars = static_cast<size_t>(std::max(Width, 0)) + 1;
    return BytesToText(Bytes.substr(0, TextHeadSize(Bytes, ByteWise, Chars)), ByteWise);
}
