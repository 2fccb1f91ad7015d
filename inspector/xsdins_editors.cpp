// The row editors' base behaviour, the schema-less node editor, row generation from
// a declaration (with the creation of missing required elements) and the row list.
// Rows follow the schema's order; a child that does not fit the declaration
// expected at its place gets no row.
#include "xsdins.h"

#include "convert.h"
#include "exceptions.h"

#include <algorithm>

void EnumSchemaRows(TXMLNode* Declaration, TXMLNode* Element, int& Position, TNodescope* Inspector,
                    const TGetEditorProc& Proc, void* Data)
{
    EnumSchemaRows(Declaration, Element, Position, Inspector ? Inspector->FilterNode : nullptr,
                   [&](TXMLNode* Node, TXMLNode* Row) { Proc(Data, new TXSDSchemaEditor(Node, Inspector, Row)); });
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
