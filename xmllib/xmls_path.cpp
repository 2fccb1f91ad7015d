// Path queries over a node tree: steps cut at "/", "." and "..", attribute steps,
// [N], [last()] and [path=value] predicates, and "//" searches from the root.
// The same evaluation reads (get mode) or writes (set mode). The whole-document walk
// keeps its own stack, so no depth of tree can exhaust the machine stack.
#include "xmllib/xmls.h"

#include "platform/core/convert.h"
#include "platform/core/exceptions.h"

#include <utility>
#include <vector>

namespace {

bool IsBlank(char C)
{
    return static_cast<unsigned char>(C) <= 32;
}

std::string TrimBlanks(const std::string& S)
{
    size_t First = 0;
    size_t Last = S.size();
    while (First < Last && IsBlank(S[First]))
        ++First;
    while (Last > First && IsBlank(S[Last - 1]))
        --Last;
    return S.substr(First, Last - First);
}

// Whole decimal numbers only: "0x10" and "1a" are refused like any other bad digit run.
int32_t PredicatePosition(const std::string& Predicate)
{
    for (char C : Predicate)
        if (C < '0' || C > '9')
            throw EConvertError("'" + Predicate + "' is not a valid integer value");
    return StrToInt(Predicate); // refuses values beyond 32 bits with the same message
}

TXMLNode* ChooseByPredicate(TXMLNode* Current, const std::string& Name, const std::string& Predicate)
{
    const int Count = Current->ChildCount();
    if (Predicate == "last()") {
        for (int I = Count - 1; I >= 0; --I) {
            TXMLNode* C = Current->Child(I);
            if (Name.empty() || C->Name == Name)
                return C;
        }
        return nullptr;
    }
    if (Predicate[0] >= '0' && Predicate[0] <= '9') {
        int32_t N = PredicatePosition(Predicate);
        for (int I = 0; I < Count; ++I) {
            TXMLNode* C = Current->Child(I);
            if (Name.empty() || C->Name == Name) {
                if (N == 0)
                    return C;
                --N;
            }
        }
        return nullptr;
    }
    size_t Eq = Predicate.find('=');
    if (Eq == std::string::npos)
        return nullptr;
    std::string Left = Predicate.substr(0, Eq);
    std::string Right = Predicate.substr(Eq + 1);
    if (!Right.empty() && Right[0] == '"')
        Right = Right.size() >= 2 ? Right.substr(1, Right.size() - 2) : std::string();
    const bool AnyName = Name.empty() || Name == "*";
    // Indexed each time: evaluating the left side never changes the children, but a
    // held iterator would not survive it if it did.
    for (int I = 0; I < Current->ChildCount(); ++I) {
        TXMLNode* C = Current->Child(I);
        if ((AnyName || C->Name == Name) && C->GetPathText(Left) == Right)
            return C;
    }
    return nullptr;
}

// A predicate that picks nothing ("", or text that is neither a position, last() nor
// a comparison) leaves the step without a move.
bool PredicateMoves(const std::string& Predicate)
{
    if (Predicate.empty())
        return false;
    if (Predicate == "last()" || (Predicate[0] >= '0' && Predicate[0] <= '9'))
        return true;
    return Predicate.find('=') != std::string::npos;
}

} // namespace

TXMLNode* TXMLNode::SelectNode(const std::string& Path, bool SetMode, const std::string& AValue, bool Create)
{
    TXMLNode* Current = this;
    std::string Rest = Path;
    while (!Rest.empty() && Current) {
        if (Rest.starts_with("//"))
            return SelectDeep(Current->GetRoot(), Rest.substr(2), SetMode, AValue, false);
        if (Rest.starts_with(".//"))
            return SelectDeep(Current->GetRoot(), Rest.substr(2), SetMode, AValue, false);

        std::string Step;
        size_t Slash = Rest.find('/');
        if (Slash == std::string::npos) {
            Step = std::move(Rest);
            Rest.clear();
        } else {
            Step = Rest.substr(0, Slash);
            Rest.erase(0, Slash + 1);
        }

        if (Step.empty() || Step == ".")
            continue;
        if (Step[0] == '@') {
            std::string AttrName = Step.substr(1);
            if (SetMode) {
                Current->SetAttribute(AttrName, AValue);
                return Current;
            }
            return Current->Attributes ? Current->Attributes->FindByName(AttrName) : nullptr;
        }
        if (Step == "..") {
            Current = Current->Parent;
            continue;
        }

        size_t Bracket = Step.find('[');
        if (Bracket == std::string::npos) {
            TXMLNode* Found = Current->Children ? Current->Children->FindByName(Step) : nullptr;
            if (!Found && SetMode && Create && Current->Children)
                Found = Current->Children->AddNode(Step, std::string(), nkElement);
            Current = Found;
            continue;
        }

        std::string Name = Step.substr(0, Bracket);
        size_t Close = Step.find(']');
        std::string Predicate;
        if (Close != std::string::npos && Close > Bracket)
            Predicate = TrimBlanks(Step.substr(Bracket + 1, Close - Bracket - 1));
        if (!PredicateMoves(Predicate))
            continue;
        Current = ChooseByPredicate(Current, Name, Predicate);
    }
    if (Current && SetMode)
        Current->SetText(AValue);
    return Current;
}

std::string TXMLNode::GetPathText(const std::string& Path)
{
    TXMLNode* Node = SelectNode(Path, false, std::string(), true);
    return Node ? Node->GetText() : std::string();
}

TXMLNode* TXMLNode::SetPathText(const std::string& Path, const std::string& AValue)
{
    return SelectNode(Path, true, AValue, true);
}

// Pre-order over Start and its descendants. Each node's children are counted right
// after the node itself was evaluated, as a recursive walk would, so text children
// that set mode appends are visited too. When the query may create elements, a node's
// own new children are left out: they would match again and the walk would not end.
TXMLNode* SelectDeep(TXMLNode* Start, const std::string& Path, bool SetMode, const std::string& Value,
                     bool Create)
{
    struct Frame {
        TXMLNode* Node;
        int Next;
        int Count;
    };
    std::vector<Frame> Stack;
    TXMLNode* Result = nullptr;
    TXMLNode* Node = Start;
    while (true) {
        if (Node) {
            int Before = Node->ChildCount();
            Result = Node->SelectNode(Path, SetMode, Value, Create);
            if (!SetMode && Result)
                return Result;
            int Count = Create ? Before : Node->ChildCount();
            if (Count > 0)
                Stack.push_back({Node, 0, Count});
        }
        Node = nullptr;
        while (!Stack.empty() && Stack.back().Next >= Stack.back().Count)
            Stack.pop_back();
        if (Stack.empty())
            break;
        Frame& Top = Stack.back();
        int Index = Top.Next++;
        // Set mode never takes children away, but stay inside the list whatever happens.
        if (Index < Top.Node->ChildCount())
            Node = Top.Node->Child(Index);
    }
    return Result;
}
