// The inspector control's rows: building them from SchemaNode and Node, expanding
// and collapsing, the caption paths that restore a selection after a rebuild, and
// the change flow that lets the host veto a value. The control edits the host's
// tree in place and owns neither node.
#include "xsdins.h"

#include "exceptions.h"

TNodescope::TNodescope(QWidget* AOwner) : QWidget(AOwner), FRows(new TZEditorList(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    resize(200, 200);
}

TNodescope::~TNodescope()
{
    FDestroying = true;
    FScrollReady = false;
    SetNode(nullptr);
    delete FRows;
}

void TNodescope::SetPropColor(TColor Value)
{
    FPropColor = Value;
    update();
}

void TNodescope::SetNewButtons(bool Value)
{
    FNewButtons = Value;
    update();
}

void TNodescope::SetMiddle(int Value)
{
    FMiddle = Value;
    update();
}

void TNodescope::SetNode(TXMLNode* ANode)
{
    if (ANode == FNode)
        return;
    if (OnNewNode)
        OnNewNode(this, FNode, ANode);
    LoadNode(ANode);
}

void TNodescope::LoadNode(TXMLNode* ANode)
{
    const std::string Path = FRow >= 0 && FRow < FRowCount ? GetRowPath(FRow) : std::string();
    FNode = ANode;
    ClearRows();
    if (FDestroying)
        return;
    SelectPath(std::string());
    if (ANode) {
        BuildRows();
        SelectPath(Path);
    }
    update();
}

void TNodescope::BuildRows()
{
    FInsertLevel = 0;
    FInsertIndex = 0;
    int Position = 0;
    if (!SchemaNode)
        throw Exception("No XSD schema assigned for " + objectName().toLocal8Bit().toStdString());
    EnumSchemaRows(SchemaNode, FNode, Position, this, &TNodescope::AddRow, this);
    FRowCount = FRows->Count();
}

void TNodescope::ClearRows()
{
    FRows->Clear();
    FRowCount = 0;
}

void TNodescope::AddRow(void* Data, TXMLPropEditor* Editor)
{
    auto* Self = static_cast<TNodescope*>(Data);
    auto* Row = new TEditorRow;
    Row->Editor.reset(Editor);
    try {
        Row->Level = Self->FInsertLevel;
        Row->HasChildren = (Editor->GetFlags() & efSubItems) != 0;
        Self->FRows->Insert(Self->FInsertIndex, Row);
    } catch (...) {
        delete Row;
        throw;
    }
    ++Self->FInsertIndex;
}

std::string TNodescope::GetRowPath(int Index) const
{
    std::string Path = FRows->Rows(Index)->Editor->GetName();
    for (int J = Index - 1; J >= 0; --J)
        if (FRows->Rows(J)->Level != FRows->Rows(J + 1)->Level)
            Path = FRows->Rows(J)->Editor->GetName() + "\\" + Path;
    return Path;
}

void TNodescope::SelectPath(const std::string& Path)
{
    SelectRow(FRows->ExpandPath(Path));
}

bool TNodescope::SelectRow(int Index)
{
    if (Index < 0)
        Index = 0;
    if (Index >= FRowCount)
        Index = FRowCount - 1;
    if (Index == FRow)
        return true;
    FRow = Index;
    if (FRow >= 0 && FRow < FTopRow)
        FTopRow = FRow;
    update();
    return true;
}

void TNodescope::ToggleExpand()
{
    if (FRow < 0 || FRow >= FRows->Count())
        return;
    TEditorRow* R = FRows->Rows(FRow);
    if (!R->HasChildren)
        return;
    if (R->Expanded) {
        while (FRow + 1 < FRows->Count() && FRows->Rows(FRow + 1)->Level > R->Level) {
            FRows->FreeRow(FRow + 1);
            FRows->Delete(FRow + 1);
        }
    } else {
        FInsertLevel = R->Level + 1;
        FInsertIndex = FRow + 1;
        try {
            R->Editor->GetSubItems(&TNodescope::AddRow, this);
        } catch (const std::exception&) {
            // Rows listed before the failure stay; the row shows what it could.
        }
    }
    R->Expanded = !R->Expanded;
    FRowCount = FRows->Count();
    update();
}

TXMLPropEditor* TNodescope::SelectedEditor() const
{
    return FRow >= 0 && FRow < FRows->Count() ? FRows->Rows(FRow)->Editor.get() : nullptr;
}

std::string TNodescope::GetRowValue(int Index) const
{
    return FRows->Rows(Index)->Editor->GetValue();
}

std::string TNodescope::GetDisplayValue(int Index) const
{
    std::string Result = GetRowValue(Index);
    for (char& C : Result)
        if (static_cast<unsigned char>(C) < 32)
            C = '.';
    return Result;
}

TEditKind TNodescope::EditKind() const
{
    TXMLPropEditor* Editor = SelectedEditor();
    if (!Editor)
        return ekText;
    if (auto* Schema = dynamic_cast<TXSDSchemaEditor*>(Editor)) {
        const std::string Prefix = SchemaNode ? RootPrefix(SchemaNode) : std::string();
        const std::string TypeName = EffectiveType(Schema->FSchemaNode).TypeName;
        if (TypeName == Prefix + "boolean")
            return ekBoolean;
        if (TypeName == Prefix + "date")
            return ekDate;
    }
    const TEditorFlags Flags = Editor->GetFlags();
    if (Flags & efValueList)
        return ekList;
    if (Flags & efButton)
        return ekButton;
    return ekText;
}

void TNodescope::ChangeValue(TXMLPropEditor* Editor, bool Cycle, const std::string& Text)
{
    bool CanChange = true;
    if (OnChanging)
        OnChanging(this, Editor, CanChange);
    if (!CanChange)
        return;
    if (Cycle)
        Editor->CycleValue();
    else
        Editor->SetValue(Text);
    if (OnChange)
        OnChange(this, Editor);
}

void TNodescope::SetRowValue(int Index, const std::string& Text)
{
    ChangeValue(FRows->Rows(Index)->Editor.get(), false, Text);
}
