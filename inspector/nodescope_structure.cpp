// Adding and removing elements in the inspector: the context menu of a row, the
// Insert and Delete keys, and the rebuild of the rows around a change of the tree.
// The schema decides what may be added and removed (inspector/xsd_structure.h);
// the rows are rebuilt from the tree afterwards, so they and the complex rows'
// summaries follow at once. Rows refer to the nodes they show: they are dropped
// before an element is freed and rebuilt after.
#include "inspector/nodescope.h"

#include "inspector/inplace_controls.h"
#include "inspector/text_bytes.h"
#include "inspector/xsd_structure.h"

#include "platform/widgets/messages.h"

#include <QContextMenuEvent>
#include <QMenu>

#include <algorithm>

namespace {

using TRowKey = std::pair<TXMLNode*, TXMLNode*>;

TRowKey KeyOf(const TEditorRow* Row)
{
    if (auto* Schema = dynamic_cast<TXSDSchemaEditor*>(Row->Editor.get()))
        return {Schema->FNode, Schema->FSchemaNode};
    if (auto* Node = dynamic_cast<TXMLNodeEditor*>(Row->Editor.get()))
        return {Node->FNode, nullptr};
    return {nullptr, nullptr};
}

// A caption for menus and messages: the row caption a declaration gives, which a
// dangling reference cannot give.
std::string CaptionOf(TXMLNode* Declaration)
{
    try {
        const std::string Caption = SchemaCaption(Declaration);
        if (!Caption.empty())
            return Caption;
    } catch (const std::exception&) {
    }
    return ElementNameOf(Declaration);
}

// A menu text shows "&" only when doubled.
QString MenuText(const std::string& Text)
{
    return BytesToText(Text).replace(QLatin1Char('&'), QLatin1String("&&"));
}

// "Company name" (Name): the caption, and the element's name when it differs.
QString Named(const std::string& Caption, const std::string& Name)
{
    QString Text = "\"" + BytesToText(Caption) + "\"";
    if (Caption != Name)
        Text += " (" + BytesToText(Name) + ")";
    return Text;
}

bool HoldsElements(TXMLNode* Element)
{
    for (int I = 0; I < Element->ChildCount(); ++I)
        if (Element->Child(I)->Kind == nkElement)
            return true;
    return false;
}

} // namespace

std::pair<TXMLNode*, TXMLNode*> TNodescope::RowContainer(int Index) const
{
    if (Index < 0 || Index >= FRows->Count())
        return {FNode, FSchemaNode};
    const int Level = FRows->Rows(Index)->Level;
    for (int J = Index - 1; J >= 0; --J)
        if (FRows->Rows(J)->Level < Level)
            return KeyOf(FRows->Rows(J));
    return {FNode, FSchemaNode};
}

std::pair<TXMLNode*, TXMLNode*> TNodescope::RowElement(int Index) const
{
    if (Index < 0 || Index >= FRows->Count())
        return {nullptr, nullptr};
    auto* Schema = dynamic_cast<TXSDSchemaEditor*>(FRows->Rows(Index)->Editor.get());
    if (!Schema || Schema->FSchemaNode->Name != Schema->FPrefix + "element")
        return {nullptr, nullptr};
    return {Schema->FNode, Schema->FSchemaNode};
}

void TNodescope::Restructure(const std::function<TXMLNode*()>& Change, int SkipRow, std::pair<TXMLNode*, TXMLNode*> KeepOpen)
{
    std::vector<TRowKey> Open;
    for (int I = 0; I < FRows->Count(); ++I) {
        const TEditorRow* Row = FRows->Rows(I);
        if (I == SkipRow) {
            // The removed row and its children: their nodes are about to go.
            while (I + 1 < FRows->Count() && FRows->Rows(I + 1)->Level > Row->Level)
                ++I;
            continue;
        }
        if (Row->Expanded)
            Open.push_back(KeyOf(Row));
    }
    if (KeepOpen.first)
        Open.push_back(KeepOpen);
    const int OldRow = FRow;
    HideHint();
    ClearRows();
    FRow = -1;
    TXMLNode* Target = nullptr;
    try {
        Target = Change();
    } catch (...) {
        // The rows come back whatever became of the change.
        Reopen(Open, nullptr, OldRow);
        throw;
    }
    Reopen(Open, Target, OldRow);
}

void TNodescope::Reopen(const std::vector<std::pair<TXMLNode*, TXMLNode*>>& Open, TXMLNode* Target, int OldRow)
{
    if (FNode)
        BuildRows();
    for (int I = 0; I < FRows->Count(); ++I) {
        TEditorRow* Row = FRows->Rows(I);
        if (!Row->HasChildren || Row->Expanded || std::find(Open.begin(), Open.end(), KeyOf(Row)) == Open.end())
            continue;
        FInsertLevel = Row->Level + 1;
        FInsertIndex = I + 1;
        try {
            Row->Editor->GetSubItems(&TNodescope::AddRow, this);
        } catch (const std::exception&) {
            // Rows listed before the failure stay, as when the row is expanded by hand.
        }
        Row->Expanded = true;
    }
    FRowCount = FRows->Count();
    int Select = std::min(std::max(OldRow, 0), FRowCount - 1);
    for (int I = 0; Target && I < FRowCount; ++I)
        if (KeyOf(FRows->Rows(I)).first == Target) {
            Select = I;
            break;
        }
    SelectRow(Select);
    if (FRow < 0 && FInplaceEdit) {
        FInplaceEdit->hide();
        FInplaceEdit->FButton->HideButton();
        FInplaceEdit->FCheckBox->move(-1000, 0);
    }
    AdjustMiddle();
    viewport()->update();
    UpdateScrollBar();
}

TXMLNode* TNodescope::AddElement(TXMLNode* Element, TXMLNode* Declaration, TXMLNode* ElementDeclaration)
{
    if (!Element || !Declaration || !PostEdit(true))
        return nullptr;
    TXMLNode* Added = nullptr;
    const std::pair<TXMLNode*, TXMLNode*> Container =
        Element == FNode ? std::pair<TXMLNode*, TXMLNode*>{nullptr, nullptr} : std::pair{Element, Declaration};
    Restructure([&] { return Added = AddSchemaElement(Declaration, Element, ElementDeclaration); }, -1, Container);
    if (Added && OnStructureChange)
        OnStructureChange(this);
    return Added;
}

bool TNodescope::RemoveRow(int Index)
{
    const auto [Child, ChildDeclaration] = RowElement(Index);
    const auto [Element, Declaration] = RowContainer(Index);
    if (!Child || !Element || Child->Parent != Element)
        return false;
    const std::string Caption = CaptionOf(ChildDeclaration);
    if (!CanRemoveElement(Declaration, Element, Child)) {
        MessageDlg(Named(Caption, Child->Name) + " is required and cannot be removed.", mtWarning, {mbOK});
        return false;
    }
    if (HoldsElements(Child) &&
        MessageDlg("Remove " + Named(Caption, Child->Name) + " and everything in it?", mtConfirmation, mbYesNo) != mrYes)
        return false;
    // Typing pending in another row is committed first; in this row it goes with it.
    if (Index != FRow && !PostEdit(true))
        return false;
    if (FInplaceEdit)
        FInplaceEdit->setModified(false);
    Restructure(
        [&]() -> TXMLNode* {
            RemoveNode(Element->Children, Child);
            return nullptr;
        },
        Index, {nullptr, nullptr});
    if (OnStructureChange)
        OnStructureChange(this);
    return true;
}

void TNodescope::AddStructureActions(QMenu* Menu, int Index)
{
    const bool Editable = !FReadOnly && FNode && FSchemaNode;
    // One submenu per element that can take more: the row's own level, and the
    // row's element itself when it holds elements.
    const auto AddMenu = [&](std::pair<TXMLNode*, TXMLNode*> Target) {
        const auto [Element, Declaration] = Target;
        if (!Element || !Declaration)
            return;
        QMenu* Sub = Menu->addMenu("Add to " + MenuText("\"" + CaptionOf(Declaration) + "\""));
        std::vector<TElementSlot> Slots;
        try {
            Slots = ElementSlots(Declaration, Element);
        } catch (const std::exception& E) {
            // A schema the walk cannot read (a minOccurs that is no number) offers nothing.
            Sub->addAction(MenuText(E.what()))->setEnabled(false);
        }
        for (const TElementSlot& Slot : Slots) {
            if (!Slot.Open)
                continue;
            QString Text = MenuText(CaptionOf(Slot.Declaration));
            if (Slot.Required && static_cast<int>(Slot.Occurrences.size()) < Slot.MinOccurs)
                Text += " (required)";
            TXMLNode* Member = Slot.Declaration;
            QObject::connect(Sub->addAction(Text), &QAction::triggered, this, [this, Element, Declaration, Member] {
                Guarded([&] { AddElement(Element, Declaration, Member); });
                TakeFocus();
            });
        }
        Sub->setEnabled(Editable && !Sub->actions().isEmpty());
        if (Sub->actions().isEmpty())
            Sub->addAction("Nothing to add")->setEnabled(false);
    };
    if (FNode && FSchemaNode)
        AddMenu(RowContainer(Index));
    const std::pair<TXMLNode*, TXMLNode*> Own = RowElement(Index);
    if (Own.first && FRows->Rows(Index)->HasChildren)
        AddMenu(Own);
    if (Index >= 0 && Index < FRowCount) {
        Menu->addSeparator();
        const QString Caption = Own.first ? MenuText("\"" + CaptionOf(Own.second) + "\"") : QString();
        QAction* Remove = Menu->addAction(Own.first ? "Remove " + Caption + "\tDel" : QString("Remove"));
        Remove->setEnabled(Editable && Own.first);
        QObject::connect(Remove, &QAction::triggered, this, [this, Index] {
            Guarded([&] { RemoveRow(Index); });
            TakeFocus();
        });
    }
}

void TNodescope::TakeFocus()
{
    // The closing menu does not hand the focus back: the new row's value is typed next.
    if (FInplaceEdit && FInplaceEdit->isVisible() && FInplaceEdit->isEnabled())
        FInplaceEdit->SetFocus();
    else
        SetFocus();
}

QMenu* TNodescope::StructureMenu() const
{
    return FStructureMenu;
}

void TNodescope::DropStructureMenu()
{
    if (FStructureMenu) {
        FStructureMenu->close();
        FStructureMenu->deleteLater();
        FStructureMenu = nullptr;
    }
}

QMenu* TNodescope::ShowStructureMenu(int Index, const QPoint& GlobalPos, QMenu* Base)
{
    DropStructureMenu();
    QMenu* Menu = Base ? Base : new QMenu(this);
    if (Base) {
        if (!Base->parent())
            Base->setParent(this, Base->windowFlags());
        Menu->addSeparator();
    }
    FStructureMenu = Menu;
    AddStructureActions(Menu, Index);
    Menu->popup(GlobalPos);
    return Menu;
}

void TNodescope::contextMenuEvent(QContextMenuEvent* Event)
{
    if (!FAllowStructureEdits) {
        QAbstractScrollArea::contextMenuEvent(Event);
        return;
    }
    Event->accept();
    Guarded([&] {
        int Index = -1;
        if (Event->reason() == QContextMenuEvent::Mouse) {
            const int Row = RowAt(Event->pos().y());
            if (Row < FRowCount) {
                // The menu is about the row under the pointer; a refused pending
                // value keeps the user where it is.
                if (!SelectRow(Row))
                    return;
                Index = Row;
            }
        } else {
            Index = FRow;
        }
        ShowStructureMenu(Index, Event->globalPos());
    });
}

int TNodescope::RequiredEmptyCount() const
{
    if (!FNode || !FSchemaNode)
        return 0;
    std::vector<std::pair<TXMLNode*, TXMLNode*>> Pending;
    const auto Collect = [&Pending](TXMLNode* Node, TXMLNode* Declaration) { Pending.emplace_back(Node, Declaration); };
    int Position = 0;
    EnumSchemaRows(FSchemaNode, FNode, Position, FFilterNode, Collect, false);
    int Count = 0;
    while (!Pending.empty()) {
        const auto [Node, Declaration] = Pending.back();
        Pending.pop_back();
        try {
            TXSDSchemaEditor Row(Node, const_cast<TNodescope*>(this), Declaration);
            const TEditorFlags Flags = Row.GetFlags();
            const bool Complex = (Flags & efSubItems) && (Flags & efReadOnly) && Declaration->Name != Row.FPrefix + "attribute";
            // A complex row's summary is empty exactly when its element holds nothing.
            if (IsRequiredDeclaration(Declaration) && (Complex ? Node->ChildCount() == 0 : Row.GetValue().empty()))
                ++Count;
            if (Flags & efSubItems) {
                int ChildPosition = 0;
                EnumSchemaRows(Declaration, Node, ChildPosition, FFilterNode, Collect, false);
            }
        } catch (const std::exception&) {
            // A row the schema cannot describe counts as nothing.
        }
    }
    return Count;
}
