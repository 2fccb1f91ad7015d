// The row editors' base behaviour, the schema-less node editor, row generation from
// a declaration (with the creation of missing required elements) and the row list.
// Rows follow the schema's order; a child that does not fit the declaration
// expected at its place gets no row.
#include "xsdins.h"

#include "convert.h"
#include "exceptions.h"

#include <algorithm>

namespace {

// Group nesting deeper than this is not walked: a schema whose groups name
// themselves through "type" or "ref" would otherwise recurse without end.
const int MaxGroupDepth = 64;

const int Unbounded = 10000;

int MinOccursOf(TXMLNode* C)
{
    const std::string Text = C->GetAttribute("minOccurs");
    return Text.empty() ? 1 : StrToInt(Text);
}

int MaxOccursOf(TXMLNode* C)
{
    const std::string Text = C->GetAttribute("maxOccurs");
    if (Text.empty())
        return 1;
    if (Text == "unbounded")
        return Unbounded;
    return StrToInt(Text);
}

std::string ElementNameOf(TXMLNode* C)
{
    std::string Name = C->GetAttribute("name");
    return Name.empty() ? C->GetAttribute("ref") : Name;
}

// The node that describes a declaration for rows and insertion.
TXMLNode* RowsNode(TXMLNode* D)
{
    const std::string Type = D->GetAttribute("type");
    if (!Type.empty())
        return FindGlobal(D, Type);
    const std::string Ref = D->GetAttribute("ref");
    if (!Ref.empty())
        return FindGlobal(D, Ref);
    return D;
}

bool IsGroup(const std::string& Name, const std::string& Prefix)
{
    for (const char* Local : {"simpleContent", "extension", "restriction", "sequence", "choice"})
        if (Name == Prefix + Local)
            return true;
    return false;
}

bool PassesFilter(TNodescope* Inspector, TXMLNode* Node)
{
    if (!Inspector || !Inspector->FilterNode)
        return true;
    return Inspector->FilterNode->SelectNode(Node->GetPath(), false, "", false) != nullptr;
}

// Where the content under a declaration would put a new element named NewName.
struct TPlace {
    bool Found = false;
    int Index = 0;
    int Occurrences = 0;  // of the receiving element declaration, just before Index
};

void FindPlace(TXMLNode* D, TXMLNode* E, const std::string& NewName, const std::string& Prefix, int& Position,
               int Depth, TPlace& Place)
{
    if (Depth > MaxGroupDepth)
        return;
    TXMLNode* N = RowsNode(D);
    if (!N || !N->Children)
        return;
    for (TXMLNode* C : *N->Children) {
        if (Place.Found)
            return;
        if (C->Name == Prefix + "element") {
            const int MaxOccurs = MaxOccursOf(C);
            const std::string Name = ElementNameOf(C);
            int Count = 0;
            while (Position < E->ChildCount() && E->Child(Position)->Name == Name) {
                ++Count;
                ++Position;
            }
            bool PassOver = Count >= MaxOccurs || NewName != Name;
            if (N->Name == Prefix + "choice" && Count == 0 && E->ChildCount() > 0)
                PassOver = true;
            if (!PassOver) {
                Place.Found = true;
                Place.Index = Position;
                Place.Occurrences = Count;
            }
        } else if (C->Name == Prefix + "complexType") {
            if (!C->GetAttribute("name").empty()) {
                Place.Found = true;
                Place.Index = Position;
            } else {
                FindPlace(C, E, NewName, Prefix, Position, Depth + 1, Place);
            }
        } else if (IsGroup(C->Name, Prefix)) {
            FindPlace(C, E, NewName, Prefix, Position, Depth + 1, Place);
        }
    }
}

TPlace PlaceBySchema(TXMLNode* TypeNode, TXMLNode* Element, TXMLNode* NewElement)
{
    TPlace Place;
    int Position = 0;
    FindPlace(TypeNode, Element, NewElement->Name, RootPrefix(TypeNode), Position, 0, Place);
    return Place;
}

void InsertAt(TXMLNode* Element, TXMLNode* NewElement, int Index)
{
    Element->Children->Insert(Index, NewElement);
    NewElement->Parent = Element;
}

void EnumRows(TXMLNode* D, TXMLNode* E, int& Position, TNodescope* Inspector, const TGetEditorProc& Proc, void* Data,
              int Depth)
{
    if (Depth > MaxGroupDepth)
        return;
    const std::string Prefix = RootPrefix(D);
    TXMLNode* N = RowsNode(D);
    if (!N || !N->Children)
        return;
    // Children are read by index: creating a required element inserts into E, never into N.
    for (int I = 0; I < N->ChildCount(); ++I) {
        TXMLNode* C = N->Child(I);
        if (C->Name == Prefix + "attribute") {
            Proc(Data, new TXSDSchemaEditor(E, Inspector, C));
        } else if (C->Name == Prefix + "element") {
            const std::string Name = ElementNameOf(C);
            const int MinOccurs = MinOccursOf(C);
            const int MaxOccurs = MaxOccursOf(C);
            if (Position < E->ChildCount() && MinOccurs > 0 && E->Child(Position)->Name != Name) {
                std::unique_ptr<TXMLNode> New(CreateSkeleton(C, true, true));
                New->Name = Name;
                // An element whose own occurrences already stand where the schema
                // would put it is not missing; adding one more at every rebuild
                // would grow the document each time the rows are shown.
                const TPlace Place = PlaceBySchema(N, E, New.get());
                if (Place.Found && Place.Occurrences < MinOccurs)
                    InsertAt(E, New.release(), Place.Index);
            }
            int Matched = 0;
            while (Matched < MaxOccurs && Position < E->ChildCount() && E->Child(Position)->Name == Name) {
                TXMLNode* Child = E->Child(Position);
                if (PassesFilter(Inspector, Child))
                    Proc(Data, new TXSDSchemaEditor(Child, Inspector, C));
                ++Position;
                ++Matched;
            }
        } else if (C->Name == Prefix + "complexType") {
            if (!C->GetAttribute("name").empty()) {
                if (PassesFilter(Inspector, E))
                    Proc(Data, new TXSDSchemaEditor(E, Inspector, C));
            } else {
                EnumRows(C, E, Position, Inspector, Proc, Data, Depth + 1);
            }
        } else if (IsGroup(C->Name, Prefix)) {
            EnumRows(C, E, Position, Inspector, Proc, Data, Depth + 1);
        }
    }
}

} // namespace

void EnumSchemaRows(TXMLNode* Declaration, TXMLNode* Element, int& Position, TNodescope* Inspector,
                    const TGetEditorProc& Proc, void* Data)
{
    EnumRows(Declaration, Element, Position, Inspector, Proc, Data, 0);
}

bool InsertBySchema(TXMLNode* TypeNode, TXMLNode* Element, TXMLNode* NewElement)
{
    const TPlace Place = PlaceBySchema(TypeNode, Element, NewElement);
    if (Place.Found)
        InsertAt(Element, NewElement, Place.Index);
    return Place.Found;
}

// ---------------------------------------------------------------------------

std::string TXMLPropEditor::GetName()
{
    return "Prop Name";
}

std::string TXMLPropEditor::GetValue()
{
    return std::string();
}

std::string TXMLPropEditor::GetAllowedChars()
{
    return std::string();
}

void TXMLPropEditor::Activate() {}

int TXMLPropEditor::GetMaxLength()
{
    return 255;
}

TEditorFlags TXMLPropEditor::GetFlags()
{
    return 0;
}

void TXMLPropEditor::CycleValue()
{
    std::vector<std::string> Values;
    GetValueList([&Values](void*, const std::string& S) { Values.push_back(S); }, nullptr);
    if (Values.empty())
        return;
    if (GetFlags() & efSortList)
        std::stable_sort(Values.begin(), Values.end(), [](const std::string& A, const std::string& B) {
            return CompareOrdinal(A, B) < 0;
        });
    const std::string Current = GetValue();
    int I = -1;
    for (int J = 0; J < static_cast<int>(Values.size()); ++J)
        if (EqualText(Values[J], Current)) {
            I = J;
            break;
        }
    const int Next = I + 1 == static_cast<int>(Values.size()) ? 0 : I + 1;
    SetValue(Values[Next]);
}

void TXMLPropEditor::SetValue(const std::string&) {}

void TXMLPropEditor::MeasureListWidth(const std::string&, QPainter*, int&) {}

void TXMLPropEditor::MeasureListHeight(const std::string&, QPainter*, int&) {}

TColor TXMLPropEditor::GetNameColor()
{
    return clNone;
}

// ---------------------------------------------------------------------------

TXMLNodeEditor::TXMLNodeEditor(TXMLNode* ANode, TNodescope* AInspector) : FNode(ANode), FInspector(AInspector) {}

std::string TXMLNodeEditor::GetName()
{
    return FNode->Name;
}

void TXMLNodeEditor::GetSubItems(const TGetEditorProc& Proc, void* Data)
{
    if (FNode->Attributes)
        for (TXMLNode* A : *FNode->Attributes)
            Proc(Data, new TXMLNodeEditor(A, FInspector));
    if (FNode->Children)
        for (TXMLNode* C : *FNode->Children)
            Proc(Data, new TXMLNodeEditor(C, FInspector));
}

void TXMLNodeEditor::GetValueList(const TGetStrProc&, void*) {}

std::string TXMLNodeEditor::GetValue()
{
    return FNode->Kind == nkElement ? std::string("<+>") : FNode->GetText();
}

TEditorFlags TXMLNodeEditor::GetFlags()
{
    if (FNode->Kind != nkElement)
        return efValueList | efSortList | efRevertable;
    if (FNode->Attributes->Count() > 0 || FNode->ChildCount() > 0)
        return efSubItems | efButton | efReadOnly;
    return efButton | efReadOnly;
}

void TXMLNodeEditor::SetValue(const std::string& Value)
{
    if (FNode->Kind == nkAttribute)
        FNode->SetText(Value);
}

// ---------------------------------------------------------------------------

TZEditorList::TZEditorList(TNodescope* AInspector) : FInspector(AInspector) {}

TZEditorList::~TZEditorList()
{
    Clear();
}

TEditorRow* TZEditorList::Rows(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError::IndexError(Index);
    return FItems[Index];
}

void TZEditorList::Insert(int Index, TEditorRow* Row)
{
    if (Index < 0 || Index > Count())
        throw EListError::IndexError(Index);
    FItems.insert(FItems.begin() + Index, Row);
}

void TZEditorList::Delete(int Index)
{
    if (Index < 0 || Index >= Count())
        throw EListError::IndexError(Index);
    FItems.erase(FItems.begin() + Index);
}

void TZEditorList::FreeRow(int Index)
{
    delete Rows(Index);
    FItems[Index] = nullptr;
}

void TZEditorList::Clear()
{
    for (int I = 0; I < Count(); ++I)
        FreeRow(I);
    FItems.clear();
}

int TZEditorList::FindRow(const std::string& Name, int Start) const
{
    for (int I = std::max(Start, 0); I < Count(); ++I)
        if (FItems[I] && FItems[I]->Editor->GetName() == Name)
            return I;
    return -1;
}

int TZEditorList::ExpandPath(const std::string& Path)
{
    int Found = -1;
    std::string Rest = Path;
    while (!Rest.empty()) {
        const size_t Slash = Rest.find('\\');
        const std::string Segment = Rest.substr(0, Slash);
        Rest = Slash == std::string::npos ? std::string() : Rest.substr(Slash + 1);
        const int I = FindRow(Segment, Found + 1);
        if (I <= Found)
            break;
        Found = I;
        if (Rest.empty())
            break;
        TEditorRow* Row = Rows(I);
        if (Row->HasChildren && !Row->Expanded) {
            FInspector->FInsertLevel = Row->Level + 1;
            FInspector->FInsertIndex = I + 1;
            try {
                Row->Editor->GetSubItems(&TNodescope::AddRow, FInspector);
            } catch (const std::exception&) {
                // Rows listed before the failure stay; the row shows what it could.
            }
            Row->Expanded = true;
            FInspector->FRowCount = Count();
        }
    }
    return Found;
}
