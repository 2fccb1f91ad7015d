// Writing a node tree as XML text, compact or indented with CR LF line ends.
// Must stay true: both writers walk with an explicit stack, so a tree of any depth
// (code can build deeper trees than the parser accepts) is written without
// recursion, into one output string.

#include "xmllib/xmls.h"

#include <cstring>

namespace {

enum TFrameType : uint8_t { ftCompact, ftIndented, ftInstruction };

struct TFrame {
    const TXMLNode* Node;
    TFrameType Type;
    uint8_t Phase;
    bool ElementChildren;
    uint32_t Index;
};

// Read without making lists that were never made.
inline uint32_t CountOf(const TXMLNodeListPtr& List)
{
    return static_cast<uint32_t>(List.ItemCount());
}

class TXMLWriter {
public:
    explicit TXMLWriter(std::string& AOut) : Out(AOut) {}

    void WriteCompact(const TXMLNode* Node)
    {
        Put(Node);
        Run();
    }

    void WriteIndented(const TXMLNode* Node, const std::string& AIndent)
    {
        if (Node->Kind != nkElement) {
            WriteCompact(Node);
            return;
        }
        Indent = AIndent;
        Stack.push_back({Node, ftIndented, 0, false, 0});
        Run();
    }

private:
    std::string& Out;
    std::vector<TFrame> Stack;
    std::string Indent;

    // Appends S, escaping only when it holds a byte that needs it.
    void AppendEscaped(const std::string& S, char Special, std::string (*Escape)(const std::string&))
    {
        const char* P = S.data();
        size_t N = S.size();
        if (std::memchr(P, '&', N) || std::memchr(P, Special, N))
            Out += Escape(S);
        else
            Out.append(P, N);
    }

    void WriteLeafBody(const TXMLNode* Node)
    {
        switch (Node->Kind) {
        case nkAttribute:
            Out += Node->Name;
            Out += "=\"";
            AppendEscaped(Node->Value, '"', EscapeAttribute);
            Out += '"';
            break;
        case nkText:
            AppendEscaped(Node->Value, '<', EscapeText);
            break;
        case nkCData:
            Out += "<![CDATA[";
            Out += Node->Value;
            Out += "]]>";
            break;
        case nkComment:
            Out += "<!--";
            Out += Node->Value;
            Out += "-->";
            break;
        default:
            break;
        }
    }

    // Writes a node in compact form: at once when it is a plain leaf, else by a frame.
    void Put(const TXMLNode* Node)
    {
        if (Node->Kind != nkElement && !Node->Prolog)
            WriteLeafBody(Node);
        else
            Stack.push_back({Node, ftCompact, 0, false, 0});
    }

    void PutIndented(const TXMLNode* Node)
    {
        Out += Indent;
        Indent.push_back(' ');
        Stack.push_back({Node, ftIndented, 0, false, 0});
    }

    // Attributes of the top frame, one per call; false when they are all written.
    bool NextAttribute(TFrame& F)
    {
        const TXMLNodeListPtr& Attrs = F.Node->Attributes;
        if (F.Index >= CountOf(Attrs))
            return false;
        const TXMLNode* Attr = Attrs.ItemAt(static_cast<int>(F.Index++));
        Out += ' ';
        Put(Attr);
        return true;
    }

    void Run()
    {
        while (!Stack.empty()) {
            TFrame& F = Stack.back();
            const TXMLNode* N = F.Node;
            switch (F.Type) {
            case ftCompact:
                StepCompact(F, N);
                break;
            case ftIndented:
                StepIndented(F, N);
                break;
            case ftInstruction:
                if (F.Phase == 0) {
                    Out += "<?";
                    Out += N->Name;
                    F.Phase = 1;
                } else if (!NextAttribute(F)) {
                    Out += " ?>";
                    Stack.pop_back();
                }
                break;
            }
        }
    }

    // F may dangle after any push: every step returns right after pushing.
    void StepCompact(TFrame& F, const TXMLNode* N)
    {
        switch (F.Phase) {
        case 0:  // the prolog goes in front of the node
            if (F.Index < CountOf(N->Prolog)) {
                const TXMLNode* Entry = N->Prolog.ItemAt(static_cast<int>(F.Index++));
                Stack.push_back({Entry, ftInstruction, 0, false, 0});
                return;
            }
            if (N->Kind != nkElement) {
                WriteLeafBody(N);
                Stack.pop_back();
                return;
            }
            Out += '<';
            Out += N->Name;
            F.Phase = 1;
            F.Index = 0;
            return;
        case 1:
            if (NextAttribute(F))
                return;
            if (CountOf(N->Children) == 0) {
                Out += "/>";
                Stack.pop_back();
                return;
            }
            Out += '>';
            F.Phase = 2;
            F.Index = 0;
            return;
        default:
            if (F.Index < CountOf(N->Children)) {
                Put(N->Children.ItemAt(static_cast<int>(F.Index++)));
                return;
            }
            Out += "</";
            Out += N->Name;
            Out += '>';
            Stack.pop_back();
        }
    }

    void StepIndented(TFrame& F, const TXMLNode* N)
    {
        switch (F.Phase) {
        case 0:
            Out += '<';
            Out += N->Name;
            F.Phase = 1;
            return;
        case 1:
            if (NextAttribute(F))
                return;
            if (CountOf(N->Children) == 0) {
                Out += "/>\r\n";
                PopIndented();
                return;
            }
            Out += N->Children.ItemAt(0)->Kind == nkText ? ">" : ">\r\n";
            F.Phase = 2;
            F.Index = 0;
            return;
        default:
            if (F.Index < CountOf(N->Children)) {
                const TXMLNode* C = N->Children.ItemAt(static_cast<int>(F.Index++));
                if (C->Kind == nkElement) {
                    F.ElementChildren = true;
                    PutIndented(C);
                } else {
                    Put(C);
                }
                return;
            }
            if (F.ElementChildren && !Indent.empty())
                Out.append(Indent, 0, Indent.size() - 1);
            Out += "</";
            Out += N->Name;
            Out += ">\r\n";
            PopIndented();
        }
    }

    void PopIndented()
    {
        Stack.pop_back();
        // Only the top frame was not pushed by an indented parent.
        if (!Stack.empty())
            Indent.pop_back();
    }
};

} // namespace

std::string TXMLNode::GetXml() const
{
    std::string Out;
    TXMLWriter(Out).WriteCompact(this);
    return Out;
}

std::string TXMLNode::GetIndentedXml(const std::string& Indent) const
{
    std::string Out;
    TXMLWriter(Out).WriteIndented(this, Indent);
    return Out;
}
