// The XML node tree: construction, ownership and the accessors the rest of the
// library and the programs use. Must stay true: every node in a list has the list's
// owner as Parent, lists own their nodes, and freeing a node of any depth never
// recurses (trees can be built by code far deeper than the parser allows).

#include "xmls.h"

#include "exceptions.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {

bool IsBlankChar(char C)
{
    return static_cast<unsigned char>(C) <= 32;
}

std::string TrimBlanks(const std::string& S)
{
    size_t First = 0;
    size_t Last = S.size();
    while (First < Last && IsBlankChar(S[First]))
        ++First;
    while (Last > First && IsBlankChar(S[Last - 1]))
        --Last;
    if (First == 0 && Last == S.size())
        return S;
    return S.substr(First, Last - First);
}

// Nodes waiting to be freed while a release is under way. A destructor that meets
// this non-null hands its nodes here instead of deleting them, so the release of a
// chain of any depth runs in the one loop of the outermost ReleaseNodes.
thread_local std::vector<TXMLNode*>* PendingRelease = nullptr;

// Frees the nodes of the given arrays, arrays in order and each in index order,
// without recursion. Lists[I]/Counts[I] may be empty.
void ReleaseNodes(TXMLNode* const* const* Lists, const uint32_t* Counts, int ListCount)
{
    std::vector<TXMLNode*> Local;
    std::vector<TXMLNode*>* Pending = PendingRelease;
    bool Driver = Pending == nullptr;
    if (Driver)
        Pending = &Local;
    // LIFO: pushed backwards so that they come out in order.
    for (int L = ListCount; L-- > 0;)
        for (uint32_t I = Counts[L]; I-- > 0;)
            Pending->push_back(Lists[L][I]);
    if (!Driver || Local.empty())
        return;
    PendingRelease = &Local;
    while (!Local.empty()) {
        TXMLNode* Node = Local.back();
        Local.pop_back();
        delete Node;
    }
    PendingRelease = nullptr;
}

bool AttributeMatches(const TXMLNode* Candidate, const std::string& AttrName, const std::string& AttrValue)
{
    const TXMLNode* Attr = Candidate->Attributes ? Candidate->Attributes->FindByName(AttrName) : nullptr;
    if (Attr)
        return Attr->Value == AttrValue;
    return AttrValue.empty();
}

} // namespace

// ---------------------------------------------------------------- TXMLNodeList

TXMLNodeList::TXMLNodeList(TXMLNode* AOwner)
    : Owner(AOwner), IgnoreCase(AOwner ? AOwner->IgnoreCase : false)
{
}

TXMLNodeList::~TXMLNodeList()
{
    FreeAll();
}

TXMLNode* TXMLNodeList::Items(int Index) const
{
    if (Index < 0 || static_cast<uint32_t>(Index) >= FCount)
        throw EListError::IndexError(Index);
    return begin()[Index];
}

TXMLNode** TXMLNodeList::Detach(uint32_t& ACount, TXMLNode*& Single)
{
    ACount = FCount;
    TXMLNode** Result = nullptr;
    if (FCount <= 1)
        Single = FSingle;
    else
        Result = FItems;
    FSingle = nullptr;
    FCount = 0;
    return Result;
}

void TXMLNodeList::FreeAll()
{
    uint32_t N = 0;
    TXMLNode* Single = nullptr;
    TXMLNode** Items = Detach(N, Single);
    TXMLNode* const* From = Items ? Items : &Single;
    ReleaseNodes(&From, &N, 1);
    std::free(Items);
}

TXMLNode* TXMLNodeList::FindByName(const std::string& Name) const
{
    for (TXMLNode* Node : *this) {
        if (IgnoreCase ? EqualText(Node->Name, Name) : Node->Name == Name)
            return Node;
    }
    return nullptr;
}

TXMLNode* TXMLNodeList::AddNode(const std::string& Name, const std::string& Value, TXMLNodeKind Kind)
{
    TXMLNode* Node = CreateNodeOfClass(Owner, Name, Kind, Owner, Value);
    try {
        Add(Node);
    } catch (...) {
        delete Node;
        throw;
    }
    return Node;
}

TXMLNode* TXMLNodeList::FindOrAdd(const std::string& Name)
{
    if (TXMLNode* Found = FindByName(Name))
        return Found;
    return AddNode(Name, std::string(), nkElement);
}

int TXMLNodeList::Add(TXMLNode* Node)
{
    Insert(static_cast<int>(FCount), Node);
    return static_cast<int>(FCount) - 1;
}

void TXMLNodeList::Insert(int Index, TXMLNode* Node)
{
    if (Index < 0 || static_cast<uint32_t>(Index) > FCount)
        throw EListError::IndexError(Index);
    if (FCount == 0) {
        FSingle = Node;
        FCount = 1;
        return;
    }
    if (FCount == 1) {
        auto* Pair = static_cast<TXMLNode**>(std::malloc(2 * sizeof(TXMLNode*)));
        if (!Pair)
            throw std::bad_alloc();
        TXMLNode* Old = FSingle;
        Pair[Index == 0 ? 1 : 0] = Old;
        Pair[Index] = Node;
        FItems = Pair;
        FCount = 2;
        return;
    }
    // The array is full exactly when the count is a power of two.
    if ((FCount & (FCount - 1)) == 0) {
        if (FCount >= (1u << 30))
            throw std::bad_alloc();
        void* Grown = std::realloc(FItems, size_t(FCount) * 2 * sizeof(TXMLNode*));
        if (!Grown)
            throw std::bad_alloc();
        FItems = static_cast<TXMLNode**>(Grown);
    }
    if (static_cast<uint32_t>(Index) < FCount)
        std::memmove(FItems + Index + 1, FItems + Index, (FCount - Index) * sizeof(TXMLNode*));
    FItems[Index] = Node;
    ++FCount;
}

void TXMLNodeList::Delete(int Index)
{
    if (Index < 0 || static_cast<uint32_t>(Index) >= FCount)
        throw EListError::IndexError(Index);
    if (FCount == 1) {
        FSingle = nullptr;
        FCount = 0;
        return;
    }
    --FCount;
    if (static_cast<uint32_t>(Index) < FCount)
        std::memmove(FItems + Index, FItems + Index + 1, (FCount - Index) * sizeof(TXMLNode*));
    if (FCount == 1) {
        TXMLNode** Array = FItems;
        FSingle = Array[0];
        std::free(Array);
    }
}

int TXMLNodeList::Remove(TXMLNode* Node)
{
    int Index = IndexOf(Node);
    if (Index >= 0)
        Delete(Index);
    return Index;
}

int TXMLNodeList::IndexOf(const TXMLNode* Node) const
{
    TXMLNode* const* Items = begin();
    for (uint32_t I = 0; I < FCount; ++I)
        if (Items[I] == Node)
            return static_cast<int>(I);
    return -1;
}

void TXMLNodeList::Move(int CurIndex, int NewIndex)
{
    if (CurIndex == NewIndex)
        return;
    if (NewIndex < 0 || static_cast<uint32_t>(NewIndex) >= FCount)
        throw EListError::IndexError(NewIndex);
    TXMLNode* Node = Items(CurIndex);
    Delete(CurIndex);
    Insert(NewIndex, Node);
}

// ---------------------------------------------------------------- TXMLNode

void TXMLNode::InitElement(TXMLNode* AParent)
{
    Parent = AParent;
    if (AParent) {
        AllowUnquoted = AParent->AllowUnquoted;
        IgnoreCase = AParent->IgnoreCase;
    }
    // Children first, then Attributes, each taking the flag as it is now.
    FChildList.IgnoreCase = IgnoreCase;
    Children = &FChildList;
    FAttrList.IgnoreCase = IgnoreCase;
    Attributes = &FAttrList;
}

TXMLNode::TXMLNode(const std::string& Text, bool AIgnoreCase, TXMLNode* AParent)
{
    IgnoreCase = AIgnoreCase;
    InitElement(AParent);
    if (Text.empty())
        return;
    try {
        size_t Position = 0;
        ParseNode(this, Text, Position, Text.size());
    } catch (...) {
        // The destructor will not run for a failed constructor: release what was built.
        delete Prolog;
        Prolog = nullptr;
        FAttrList.FreeAll();
        FChildList.FreeAll();
        throw;
    }
}

TXMLNode* TXMLNode::CreateFromFile(const std::string& FileName, TXMLNode* AParent)
{
    return new TXMLNode(LoadStringFromFile(FileName), false, AParent);
}

TXMLNode* TXMLNode::CreateNode(const std::string& AName, TXMLNodeKind AKind, TXMLNode* AParent,
                               const std::string& AValue)
{
    return CreateNodeOfClass(nullptr, AName, AKind, AParent, AValue);
}

TXMLNode* CreateNodeOfClass(const TXMLNode* ClassOf, const std::string& AName, TXMLNodeKind AKind,
                            TXMLNode* AParent, const std::string& AValue)
{
    std::string Trimmed = TrimBlanks(AName);
    if (AKind == nkAttribute && Trimmed.empty())
        throw Exception("Attribute/Node name cannot be empty");
    TXMLNode* Node = ClassOf ? ClassOf->NewInstance() : new TXMLNode(TXMLNode::RawTag{});
    Node->Name = std::move(Trimmed);
    Node->Kind = AKind;
    Node->Value = AValue;
    if (AKind == nkAttribute)
        Node->Parent = AParent;
    else
        Node->InitElement(AParent);
    return Node;
}

TXMLNode* TXMLNode::NewInstance() const
{
    return new TXMLNode(RawTag{});
}

TXMLNode::~TXMLNode()
{
    // Attributes, Children, Prolog in that order, each list in index order; the
    // nodes go to the pending release, never into a nested destructor call.
    TXMLNodeList* Lists[3] = {Attributes, Children, Prolog};
    TXMLNode** Arrays[3] = {nullptr, nullptr, nullptr};
    TXMLNode* Singles[3] = {nullptr, nullptr, nullptr};
    TXMLNode* const* Items[3] = {nullptr, nullptr, nullptr};
    uint32_t Counts[3] = {0, 0, 0};
    for (int I = 0; I < 3; ++I) {
        if (!Lists[I])
            continue;
        Arrays[I] = Lists[I]->Detach(Counts[I], Singles[I]);
        Items[I] = Arrays[I] ? Arrays[I] : &Singles[I];
    }
    if (Counts[0] + Counts[1] + Counts[2] > 0)
        ReleaseNodes(Items, Counts, 3);
    for (TXMLNode** A : Arrays)
        std::free(A);
    // Lists a caller put in place of the embedded ones are owned as well.
    if (Attributes && Attributes != &FAttrList)
        delete Attributes;
    if (Children && Children != &FChildList)
        delete Children;
    delete Prolog;
}

int TXMLNode::ChildCount() const
{
    return Children ? Children->Count() : 0;
}

TXMLNode* TXMLNode::Child(int Index) const
{
    if (!Children)
        throw EListError::IndexError(Index);
    return Children->Items(Index);
}

std::string TXMLNode::GetAttribute(const std::string& AName) const
{
    const TXMLNode* Attr = Attributes ? Attributes->FindByName(AName) : nullptr;
    return Attr ? Attr->Value : std::string();
}

void TXMLNode::SetAttribute(const std::string& AName, const std::string& AValue)
{
    if (!Attributes)
        return;
    TXMLNode* Attr = Attributes->FindByName(AName);
    if (AValue.empty()) {
        if (Attr)
            RemoveNode(Attributes, Attr);
    } else if (Attr) {
        Attr->Value = AValue;
    } else {
        Attributes->AddNode(AName, AValue, nkAttribute);
    }
}

namespace {

TXMLNode* FirstTextChild(const TXMLNode* Node)
{
    if (!Node->Children)
        return nullptr;
    for (TXMLNode* C : *Node->Children)
        if (C->Kind == nkText || C->Kind == nkCData)
            return C;
    return nullptr;
}

} // namespace

std::string TXMLNode::GetText() const
{
    if (Kind != nkElement)
        return Value;
    const TXMLNode* T = FirstTextChild(this);
    return T ? T->Value : std::string();
}

void TXMLNode::SetText(const std::string& AValue)
{
    switch (Kind) {
    case nkAttribute:
    case nkText:
    case nkCData:
        Value = AValue;
        break;
    case nkElement:
        if (TXMLNode* T = FirstTextChild(this))
            T->Value = AValue;
        else if (Children)
            Children->AddNode(std::string(), AValue, nkText);
        break;
    default:
        break;
    }
}

TXMLNode* TXMLNode::FindChildByAttribute(const std::string& AttrName, const std::string& AttrValue) const
{
    if (!Children)
        return nullptr;
    for (TXMLNode* C : *Children)
        if (AttributeMatches(C, AttrName, AttrValue))
            return C;
    return nullptr;
}

TXMLNode* TXMLNode::GetRoot()
{
    TXMLNode* Node = this;
    while (Node->Parent)
        Node = Node->Parent;
    return Node;
}

std::string TXMLNode::GetPath() const
{
    std::string Result = Name;
    for (const TXMLNode* P = Parent; P && P->Parent; P = P->Parent)
        Result = P->Name + "/" + Result;
    return Result;
}

// ---------------------------------------------------------------- unit functions

TXMLNode* FindElementByAttribute(const TXMLNodeList* List, const std::string& ElementName,
                                 const std::string& AttrName, const std::string& AttrValue)
{
    if (!List)
        return nullptr;
    for (TXMLNode* N : *List)
        if (N->Name == ElementName && AttributeMatches(N, AttrName, AttrValue))
            return N;
    return nullptr;
}

void RemoveNode(TXMLNodeList* List, TXMLNode* Node)
{
    // A node that is not in the list belongs elsewhere (or nowhere we know of):
    // freeing it would leave a dangling entry in its real owner.
    if (!List || !Node || List->Remove(Node) < 0)
        return;
    delete Node;
}

std::string RootPrefix(TXMLNode* Node)
{
    if (!Node)
        return std::string();
    const std::string& RootName = Node->GetRoot()->Name;
    size_t Colon = RootName.find(':');
    return Colon == std::string::npos ? std::string() : RootName.substr(0, Colon + 1);
}
