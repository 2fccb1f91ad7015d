// Reading XML text into a node tree: the small dialect the system writes (elements,
// double-quoted attributes, two entities, CDATA, comments, processing instructions
// before the root). Must stay true: every byte string either gives a tree or fails
// with one of the parser's messages; no read goes past the limit, and nesting is
// bounded by MaxXmlDepth so the recursion cannot exhaust the stack.

#include "xmllib/xmls.h"

#include "platform/core/exceptions.h"

#include <cstring>
#include <memory>
#include <string_view>

namespace {

enum TToken : uint8_t { tkName, tkBang, tkString, tkSlash, tkClose, tkQuestion };

struct TNameChars {
    bool Flags[256] = {};
    constexpr TNameChars()
    {
        for (int C = 'A'; C <= 'Z'; ++C)
            Flags[C] = true;
        for (int C = 'a'; C <= 'z'; ++C)
            Flags[C] = true;
        for (int C = '0'; C <= '9'; ++C)
            Flags[C] = true;
        for (unsigned char C : {'$', '%', '*', '-', '.', ':', '@', '_'})
            Flags[C] = true;
        for (int C = 0xC0; C <= 0xFF; ++C)
            Flags[C] = true;
    }
};

constexpr TNameChars NameChars;

inline bool IsNameChar(char C)
{
    return NameChars.Flags[static_cast<unsigned char>(C)];
}

inline bool IsBlank(char C)
{
    return static_cast<unsigned char>(C) <= 32;
}

} // namespace

struct TXMLParser {
    const std::string& Text;
    const char* T;
    size_t Limit;
    size_t& Pos;

    // The last token read: its kind and, for names and strings, its raw bytes.
    TToken Tok = tkName;
    size_t TokStart = 0;
    size_t TokLen = 0;

    TXMLParser(const std::string& AText, size_t& APos, size_t ALimit)
        : Text(AText), T(AText.data()), Limit(ALimit < AText.size() ? ALimit : AText.size()), Pos(APos)
    {
        if (Pos > Limit)
            Pos = Limit;
    }

    [[noreturn]] static void Fail(std::string Message) { throw Exception(std::move(Message)); }

    // Cut from the text up to its first NUL, by 1-based start and length.
    std::string Excerpt(long long Start, size_t Length) const
    {
        const void* Nul = std::memchr(T, 0, Text.size());
        size_t TextLen = Nul ? static_cast<size_t>(static_cast<const char*>(Nul) - T) : Text.size();
        size_t From = Start < 1 ? 0 : static_cast<size_t>(Start - 1);
        if (From >= TextLen)
            return std::string();
        return Text.substr(From, Length < TextLen - From ? Length : TextLen - From);
    }

    void SkipBlanks()
    {
        while (Pos < Limit && IsBlank(T[Pos]))
            ++Pos;
    }

    bool At(const char* Pattern, size_t Length) const
    {
        return Limit - Pos >= Length && std::memcmp(T + Pos, Pattern, Length) == 0;
    }

    // Position of the next Pattern at or after Pos that ends before the limit, or npos.
    size_t Find(const char* Pattern, size_t Length) const
    {
        if (Limit - Pos < Length)
            return std::string::npos;
        size_t Hit = std::string_view(T + Pos, Limit - Pos).find(std::string_view(Pattern, Length));
        return Hit == std::string_view::npos ? std::string::npos : Pos + Hit;
    }

    TToken ReadToken()
    {
        TokStart = Pos;
        TokLen = 0;
        if (Pos >= Limit)
            return Tok = tkName;
        char C = T[Pos];
        switch (C) {
        case '!':
            ++Pos;
            return Tok = tkBang;
        case '/':
            ++Pos;
            return Tok = tkSlash;
        case '>':
            ++Pos;
            return Tok = tkClose;
        case '?':
            ++Pos;
            return Tok = tkQuestion;
        case '"': {
            const void* Quote = std::memchr(T + Pos + 1, '"', Limit - Pos - 1);
            if (!Quote)
                Fail("Unterminated attribute");
            TokStart = Pos + 1;
            TokLen = static_cast<size_t>(static_cast<const char*>(Quote) - T) - TokStart;
            Pos = TokStart + TokLen + 1;
            return Tok = tkString;
        }
        default:
            if (!IsNameChar(C))
                Fail(std::to_string(Pos) + " :Illegal symbol in XML:" + std::string(1, C));
            while (Pos < Limit && IsNameChar(T[Pos]))
                ++Pos;
            TokLen = Pos - TokStart;
            return Tok = tkName;
        }
    }

    // The text of the last token: names raw, strings unescaped, punctuation empty.
    std::string TokenText() const
    {
        if (Tok == tkName)
            return std::string(T + TokStart, TokLen);
        if (Tok != tkString)
            return std::string();
        if (std::memchr(T + TokStart, '&', TokLen))
            return UnescapeAttribute(std::string(T + TokStart, TokLen));
        return std::string(T + TokStart, TokLen);
    }

    // A node of ClassOf's class, made the way CreateNode makes it but taking its
    // strings by move; Name is never empty here, so there is nothing to check.
    static std::unique_ptr<TXMLNode> MakeNode(const TXMLNode* ClassOf, TXMLNodeKind Kind, TXMLNode* Parent,
                                              std::string&& Name, std::string&& Value)
    {
        std::unique_ptr<TXMLNode> Node(ClassOf->NewInstance());
        Node->Name = std::move(Name);
        Node->Value = std::move(Value);
        Node->Kind = Kind;
        if (Kind == nkAttribute)
            Node->Parent = Parent;
        else
            Node->InitElement(Parent);
        return Node;
    }

    // Reads the value token right after "=" and appends the attribute to Owner.
    void ReadAttribute(TXMLNode* Owner, std::string&& AttrName, bool AllowUnquoted)
    {
        ReadToken();
        bool BareWord = Tok == tkName;
        auto Attr = MakeNode(Owner, nkAttribute, Owner, std::move(AttrName), TokenText());
        Owner->Attributes.Append(Attr.get());
        Attr.release();
        if (BareWord && !AllowUnquoted)
            Fail("Attribute value expected");
    }

    void ParseMarkup(TXMLNode* Node, int Depth)
    {
        for (;;) {
            if (Pos >= Limit || T[Pos] != '<')
                Fail("< expected");
            ++Pos;
            ReadToken();
            Node->Name = TokenText();
            switch (Tok) {
            case tkName:
                ParseElement(Node, Depth);
                return;
            case tkBang:
                if (At("[CDATA[", 7)) {
                    Pos += 7;
                    Node->Name = "#cdata-section";
                    size_t End = Find("]]>", 3);
                    // An unclosed section takes the rest of the text.
                    Node->Value.assign(T + Pos, (End == std::string::npos ? Limit : End) - Pos);
                    Pos = End == std::string::npos ? Limit : End + 3;
                    Node->Kind = nkCData;
                    return;
                }
                if (At("--", 2)) {
                    Pos += 2;
                    Node->Name = "#comment";
                    Node->Kind = nkComment;
                    size_t End = Find("-->", 3);
                    if (End == std::string::npos)
                        Fail("Unclosed Comment in XML");
                    Node->Value.assign(T + Pos, End - Pos);
                    Pos = End + 3;
                    SkipBlanks();
                    if (Node->Parent)
                        return;
                    // A comment before the root element is dropped: the root node
                    // must become that element, and nothing this system writes
                    // puts a comment there.
                    Node->Kind = nkElement;
                    Node->Value.clear();
                    Node->Name.clear();
                    continue;
                }
                // A declaration such as <!DOCTYPE: the node ends right after "<!".
                return;
            case tkQuestion:
                ParseInstruction(Node);
                SkipBlanks();
                continue;
            default:
                Fail("Tag name expected: " + Excerpt(static_cast<long long>(Pos) - 20, 200));
            }
        }
    }

    void ParseInstruction(TXMLNode* Node)
    {
        if (Find("?>", 2) == std::string::npos)
            Fail("Unclosed XML header");
        if (!Node->Prolog)
            Node->Prolog = new TXMLNodeList(Node);
        ReadToken();
        TXMLNode* Entry = Node->Prolog->AddNode(TokenText(), std::string(), nkElement);
        while (Pos < Limit && Tok != tkClose) {
            SkipBlanks();
            // At the limit this reads an empty name, which then lacks its "=".
            if (ReadToken() != tkName)
                continue;
            std::string AttrName = TokenText();
            if (Pos >= Limit || T[Pos] != '=')
                Fail("= expected");
            ++Pos;
            ReadAttribute(Entry, std::move(AttrName), Node->AllowUnquoted);
        }
    }

    void ParseElement(TXMLNode* Node, int Depth)
    {
        if (Depth > MaxXmlDepth)
            Fail("XML nesting deeper than " + std::to_string(MaxXmlDepth) + " levels");
        bool SelfClosing = false;
        while (Pos < Limit && Tok != tkClose) {
            SkipBlanks();
            // The text ends inside the start tag: that is "> expected", not a
            // nameless attribute.
            if (Pos >= Limit)
                break;
            ReadToken();
            if (Tok == tkSlash) {
                SelfClosing = true;
            } else if (Tok == tkName) {
                std::string AttrName = TokenText();
                SkipBlanks();
                if (Pos >= Limit || T[Pos] != '=')
                    Fail("= expected:" + Excerpt(static_cast<long long>(Pos) - 50, 100));
                ++Pos;
                ReadAttribute(Node, std::move(AttrName), Node->AllowUnquoted);
            }
        }
        if (Tok != tkClose)
            Fail("> expected");
        if (SelfClosing)
            return;
        ParseContent(Node, Depth);
    }

    void ParseContent(TXMLNode* Node, int Depth)
    {
        const std::string& Name = Node->Name;
        while (Pos < Limit) {
            if (T[Pos] == '<') {
                if (Pos + 1 < Limit && T[Pos + 1] == '/') {
                    size_t Avail = Limit - (Pos + 2);
                    size_t N = Name.size();
                    if (Avail < N || std::memcmp(T + Pos + 2, Name.data(), N) != 0)
                        Fail("Tag order error. Tag: \"" + Name + "\" code: " +
                             Excerpt(static_cast<long long>(Pos) - 100, 200));
                    // The byte where ">" belongs is not looked at.
                    Pos = Limit - Pos < N + 3 ? Limit : Pos + N + 3;
                    return;
                }
                std::unique_ptr<TXMLNode> Child(Node->NewInstance());
                Child->InitElement(Node);
                ParseMarkup(Child.get(), Depth + 1);
                Node->Children.Append(Child.get());
                Child.release();
                continue;
            }
            const void* Lt = std::memchr(T + Pos, '<', Limit - Pos);
            size_t End = Lt ? static_cast<size_t>(static_cast<const char*>(Lt) - T) : Limit;
            size_t Start = Pos;
            Pos = End;
            size_t I = Start;
            while (I < End && IsBlank(T[I]))
                ++I;
            if (I == End)
                continue;
            std::string Data(T + Start, End - Start);
            if (std::memchr(Data.data(), '&', Data.size()))
                Data = UnescapeText(Data);
            auto TextNode = MakeNode(Node, nkText, Node, std::string(), std::move(Data));
            Node->Children.Append(TextNode.get());
            TextNode.release();
        }
    }
};

void ParseNode(TXMLNode* Node, const std::string& Text, size_t& Position, size_t Limit)
{
    TXMLParser Parser(Text, Position, Limit);
    // Depth counts from the node handed in, so a subtree parsed into a deep tree
    // gets the whole allowance.
    Parser.ParseMarkup(Node, 1);
}

std::string EscapeText(const std::string& S)
{
    return ReplaceAll(ReplaceAll(S, "&", "&amp;"), "<", "&lt;");
}

std::string UnescapeText(const std::string& S)
{
    return ReplaceAll(ReplaceAll(S, "&lt;", "<"), "&amp;", "&");
}

std::string EscapeAttribute(const std::string& S)
{
    return ReplaceAll(ReplaceAll(S, "&", "&amp;"), "\"", "&quot;");
}

std::string UnescapeAttribute(const std::string& S)
{
    return ReplaceAll(ReplaceAll(S, "&quot;", "\""), "&amp;", "&");
}
