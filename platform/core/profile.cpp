// Profile files line by line. Each line is kept with its own ending and only looked
// at when asked, so nothing the reader does not understand is ever rewritten.
#include "platform/core/profile.h"

#include "platform/core/exceptions.h"

namespace {

const std::string ByteOrderMark = "\xEF\xBB\xBF";

// ASCII white space short of the line end. Bytes such as 0xA0 are letters of some
// 8-bit code page here, never blanks.
bool IsBlank(char C)
{
    return C == ' ' || C == '\t' || C == '\r' || C == '\v' || C == '\f';
}

std::string Trim(const std::string& S)
{
    size_t First = 0, Last = S.size();
    while (First < Last && IsBlank(S[First]))
        ++First;
    while (Last > First && IsBlank(S[Last - 1]))
        --Last;
    return S.substr(First, Last - First);
}

char LowerAscii(char C)
{
    return C >= 'A' && C <= 'Z' ? char(C - 'A' + 'a') : C;
}

bool SameName(const std::string& A, const std::string& B)
{
    if (A.size() != B.size())
        return false;
    for (size_t I = 0; I < A.size(); ++I)
        if (LowerAscii(A[I]) != LowerAscii(B[I]))
            return false;
    return true;
}

bool IsHeader(const std::string& Line, std::string* Name = nullptr)
{
    const std::string Text = Trim(Line);
    if (Text.size() < 2 || Text.front() != '[' || Text.back() != ']')
        return false;
    if (Name)
        *Name = Trim(Text.substr(1, Text.size() - 2));
    return true;
}

bool IsComment(const std::string& Line)
{
    const std::string Text = Trim(Line);
    return !Text.empty() && (Text[0] == ';' || Text[0] == '#');
}

// An entry is a line of its section with a key before its first '='.
bool IsEntry(const std::string& Line, std::string* Key = nullptr, std::string* Value = nullptr)
{
    if (IsHeader(Line) || IsComment(Line))
        return false;
    const size_t Eq = Line.find('=');
    if (Eq == std::string::npos)
        return false;
    std::string K = Trim(Line.substr(0, Eq));
    if (K.empty())
        return false;
    if (Key)
        *Key = std::move(K);
    if (Value)
        *Value = Trim(Line.substr(Eq + 1));
    return true;
}

bool HoldsLineBreak(const std::string& S)
{
    return S.find_first_of("\r\n") != std::string::npos;
}

} // namespace

TProfile::TProfile(const std::string& Text)
{
    size_t Start = 0;
    if (Text.compare(0, ByteOrderMark.size(), ByteOrderMark) == 0) {
        FPreamble = ByteOrderMark;
        Start = ByteOrderMark.size();
    }
    while (Start < Text.size()) {
        const size_t Eol = Text.find('\n', Start);
        if (Eol == std::string::npos) {
            FLines.push_back({Text.substr(Start), std::string()});
            break;
        }
        const bool Crlf = Eol > Start && Text[Eol - 1] == '\r';
        const size_t End = Crlf ? Eol - 1 : Eol;
        FLines.push_back({Text.substr(Start, End - Start), Crlf ? "\r\n" : "\n"});
        Start = Eol + 1;
    }
}

std::string TProfile::Text() const
{
    std::string Result = FPreamble;
    for (const TLine& Line : FLines)
        Result += Line.Text + Line.Ending;
    return Result;
}

int TProfile::FindSection(const std::string& Section) const
{
    std::string Name;
    for (size_t I = 0; I < FLines.size(); ++I)
        if (IsHeader(FLines[I].Text, &Name) && SameName(Name, Section))
            return int(I);
    return -1;
}

int TProfile::SectionEnd(int Header) const
{
    size_t I = size_t(Header) + 1;
    while (I < FLines.size() && !IsHeader(FLines[I].Text))
        ++I;
    return int(I);
}

int TProfile::FindKey(const std::string& Section, const std::string& Key) const
{
    const int Header = FindSection(Section);
    if (Header < 0)
        return -1;
    std::string Name;
    for (int I = Header + 1, End = SectionEnd(Header); I < End; ++I)
        if (IsEntry(FLines[size_t(I)].Text, &Name) && SameName(Name, Key))
            return I;
    return -1;
}

bool TProfile::SectionExists(const std::string& Section) const
{
    return FindSection(Section) >= 0;
}

bool TProfile::ValueExists(const std::string& Section, const std::string& Key) const
{
    return FindKey(Section, Key) >= 0;
}

std::string TProfile::ReadString(const std::string& Section, const std::string& Key, const std::string& Default) const
{
    const int Line = FindKey(Section, Key);
    std::string Value;
    if (Line < 0 || !IsEntry(FLines[size_t(Line)].Text, nullptr, &Value))
        return Default;
    return Value;
}

// Lines added take the ending the file already uses, so a CR LF file stays one.
std::string TProfile::NewLineEnding() const
{
    for (const TLine& Line : FLines)
        if (!Line.Ending.empty())
            return Line.Ending;
    return "\n";
}

void TProfile::Insert(int Index, std::string Text)
{
    const std::string Ending = NewLineEnding();
    // A last line without its end gets one before anything follows it.
    if (Index > 0 && FLines[size_t(Index) - 1].Ending.empty())
        FLines[size_t(Index) - 1].Ending = Ending;
    FLines.insert(FLines.begin() + Index, TLine{std::move(Text), Ending});
}

void TProfile::WriteString(const std::string& Section, const std::string& Key, const std::string& Value)
{
    if (HoldsLineBreak(Section) || HoldsLineBreak(Key) || HoldsLineBreak(Value))
        throw Exception("A profile entry cannot hold a line break: [" + Section + "] " + Key);
    if (Trim(Key).empty() || Key.find('=') != std::string::npos)
        throw Exception("Not a profile key: \"" + Key + "\"");

    const int Line = FindKey(Section, Key);
    if (Line >= 0) {
        // The key, the '=' and the blanks after it stay as they were written.
        std::string& Text = FLines[size_t(Line)].Text;
        size_t ValueStart = Text.find('=') + 1;
        while (ValueStart < Text.size() && IsBlank(Text[ValueStart]))
            ++ValueStart;
        Text.replace(ValueStart, std::string::npos, Value);
        return;
    }
    const std::string Entry = Key + "=" + Value;
    const int Header = FindSection(Section);
    if (Header >= 0) {
        // After the section's last entry: comments and blank lines that end a section
        // usually introduce the next one.
        int After = Header;
        for (int I = Header + 1, End = SectionEnd(Header); I < End; ++I)
            if (IsEntry(FLines[size_t(I)].Text))
                After = I;
        Insert(After + 1, Entry);
        return;
    }
    if (!FLines.empty() && !Trim(FLines.back().Text).empty())
        Insert(int(FLines.size()), std::string());
    Insert(int(FLines.size()), "[" + Section + "]");
    Insert(int(FLines.size()), Entry);
}

std::vector<TProfileSection> TProfile::Sections() const
{
    std::vector<TProfileSection> Result;
    std::string Name, Key, Value;
    for (const TLine& Line : FLines) {
        if (IsHeader(Line.Text, &Name))
            Result.push_back({Name, {}});
        else if (!Result.empty() && IsEntry(Line.Text, &Key, &Value))
            Result.back().Entries.push_back({Key, Value});
    }
    return Result;
}
