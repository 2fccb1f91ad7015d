// The rows of the inspector: the editors in display order with their level and
// expansion state, found by caption and opened along a caption path.
#include "inspector/nodescope.h"

#include "platform/core/exceptions.h"

#include <algorithm>

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
