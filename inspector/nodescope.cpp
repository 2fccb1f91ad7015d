// The inspector control's rows and behaviour: building rows from SchemaNode and
// Node, selection, expanding and collapsing, the caption paths that restore a
// selection after a rebuild, the commit flow that lets the host veto a value, and
// the keyboard, mouse and focus handling. The control edits the host's tree in
// place and owns neither node. No exception may leave a Qt event handler: those
// that reach one are shown in the error box, as the event loop's handler would.
#include "inspector/nodescope.h"

#include "inspector/inplace_controls.h"
#include "inspector/text_bytes.h"

#include "platform/widgets/application.h"
#include "platform/core/exceptions.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QStyleHints>
#include <QScrollBar>
#include <QWheelEvent>

#include <climits>
#include <cstdlib>

uint64_t MonotonicTickCount()
{
    static QElapsedTimer Timer = [] {
        QElapsedTimer T;
        T.start();
        return T;
    }();
    // Offset so that no real reading is 0, the "unset" click time.
    return static_cast<uint64_t>(Timer.elapsed()) + 1000000;
}

void ShowInspectorError(const std::exception& E)
{
    Application->HandleException(E);
}

TNodescope::TNodescope(QWidget* AOwner) : QAbstractScrollArea(AOwner), FRows(new TZEditorList(this))
{
    FInplaceEdit = new TZInplaceEdit(this);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    verticalScrollBar()->setRange(0, 0);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled, false);
    resize(200, 200);
    setToolTipDuration(-1);
    ApplyScrollBarStyle();
}

TNodescope::~TNodescope()
{
    FDestroying = true;
    FScrollReady = false;
    // The edit goes first so that its focus loss cannot reach a half-destroyed control.
    TZInplaceEdit* Edit = FInplaceEdit;
    FInplaceEdit = nullptr;
    delete Edit;
    try {
        SetNode(nullptr);
    } catch (...) {
        // A handler's error cannot be shown from a destructor.
    }
    delete FRows;
    FRows = nullptr;
}

void TNodescope::SetFocus()
{
    if (isVisible())
        setFocus(Qt::OtherFocusReason);
}

void TNodescope::SetPropColor(TColor Value)
{
    if (Value == FPropColor)
        return;
    FPropColor = Value;
    viewport()->update();
}

void TNodescope::SetNewButtons(bool Value)
{
    if (Value == FNewButtons)
        return;
    FNewButtons = Value;
    viewport()->update();
}

void TNodescope::SetColor(TColor Value)
{
    if (Value == FColor)
        return;
    FColor = Value;
    viewport()->update();
}

void TNodescope::SetReadOnly(bool Value)
{
    FReadOnly = Value;
    if (FInplaceEdit) {
        FInplaceEdit->setEnabled(!Value);
        FInplaceEdit->FButton->setEnabled(!Value);
        FInplaceEdit->FCheckBox->setEnabled(!Value);
        FInplaceEdit->MoveEdit(EditRect());
    }
}

void TNodescope::SetNode(TXMLNode* ANode)
{
    if (ANode == FNode)
        return;
    if (OnNewNode)
        OnNewNode(this, FNode, ANode);
    if (!FDestroying && FInplaceEdit)
        FInplaceEdit->setModified(false);
    LoadNode(ANode);
}

void TNodescope::LoadNode(TXMLNode* ANode)
{
    const std::string Path = FRow >= 0 && FRow < FRowCount ? GetRowPath(FRow) : std::string();
    FNode = ANode;
    FPaintErrorShown = false;
    HideHint();
    // Its actions name nodes of the old tree.
    DropStructureMenu();
    ClearRows();
    if (FDestroying)
        return;
    SelectPath(std::string());
    if (ANode) {
        BuildRows();
        SelectPath(Path);
        LoadEdit(true);
    }
    if (FRow < 0 && FInplaceEdit) {
        // No rows: nothing for the edit to stand on.
        FInplaceEdit->hide();
        FInplaceEdit->FButton->HideButton();
        FInplaceEdit->FCheckBox->move(-1000, 0);
    }
    viewport()->update();
    UpdateScrollBar();
}

void TNodescope::BuildRows()
{
    FInsertLevel = 0;
    FInsertIndex = 0;
    int Position = 0;
    if (!FSchemaNode)
        throw Exception("No XSD schema assigned for " + TextToBytes(objectName(), false));
    EnumSchemaRows(FSchemaNode, FNode, Position, this, &TNodescope::AddRow, this);
    FRowCount = FRows->Count();
    AdjustMiddle();
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
    if (!PostEdit(true))
        return false;
    if (Index < 0)
        Index = 0;
    if (Index >= FRowCount)
        Index = FRowCount - 1;
    if (Index == FRow)
        return true;
    InvalidateRow();
    FRow = Index;
    InvalidateRow();
    int Top = FTopRow;
    if (Index < Top)
        Top = Index;
    const int Visible = VisibleRowCount();
    if (FInplaceEdit)
        FInplaceEdit->ShowEdit(EditRect());
    LoadEdit(true);
    ScrollTo(Index < Top + Visible ? Top : Index - Visible + 1);
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
    const int Added = FRows->Count() - FRowCount;
    FRowCount = FRows->Count();
    if (Added > 0) {
        int X = Added - (VisibleRowCount() - 1);
        if (X > 0)
            X = 0;
        const int T = FRow + X;
        if (T > FTopRow)
            ScrollTo(T);
    }
    AdjustMiddle();
    viewport()->update();
    UpdateScrollBar();
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
        const std::string Prefix = FSchemaNode ? RootPrefix(FSchemaNode) : std::string();
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

void TNodescope::LoadEdit(bool Activate)
{
    if (!FInplaceEdit || FRow < 0 || FRow >= FRowCount)
        return;
    TXMLPropEditor* E = SelectedEditor();
    if (Activate)
        E->Activate();
    const TEditorFlags Flags = E->GetFlags();
    const TEditKind Kind = EditKind();
    std::string Text = Kind == ekBoolean ? std::string() : GetDisplayValue(FRow);
    int MaxLength = E->GetMaxLength();
    if (MaxLength <= 0)
        MaxLength = 32767;
    // A boolean row is edited by its check box; read-only there only hides the caret.
    FInplaceEdit->setReadOnly((Flags & efReadOnly) != 0 || Kind == ekBoolean);
    FInplaceEdit->FAutoCommit = (Flags & efAutoCommit) != 0;
    FInplaceEdit->SetEditText(std::move(Text));
    // A stored value longer than the limit is shown whole, never cut: the limit
    // only stops typing, as it does on a native edit. A long value's hidden tail
    // counts against it too.
    const auto Shown = static_cast<int64_t>(FInplaceEdit->text().size());
    const int64_t Room = std::max<int64_t>(MaxLength - Shown - static_cast<int64_t>(FInplaceEdit->FHiddenTail.size()), 0);
    FInplaceEdit->setMaxLength(static_cast<int>(std::min<int64_t>(Shown + Room, INT_MAX)));
    FInplaceEdit->FAllowedChars = E->GetAllowedChars();
    // All selected with the cursor at the start, so the edit shows the value from
    // its beginning, as the row was painted (a long value's head would otherwise
    // show its last characters, from the middle of the value).
    const int Length = static_cast<int>(FInplaceEdit->text().size());
    FInplaceEdit->setSelection(Length, -Length);
    FInplaceEdit->setModified(false);
    // The check box follows a value stepped or reloaded behind it.
    if (Kind == ekBoolean)
        FInplaceEdit->FCheckBox->setChecked(E->GetValue() == "true");
}

bool TNodescope::PostEdit(bool Reload)
{
    if (FPosting || !FInplaceEdit || FRow < 0 || FRow >= FRowCount || !FInplaceEdit->isModified())
        return true;
    FPosting = true;
    struct Reset {
        bool& Flag;
        ~Reset() { Flag = false; }
    } ResetPosting{FPosting};
    bool Result = true;
    try {
        SetRowValue(FRow, FInplaceEdit->GetEditText());
    } catch (const std::exception& E) {
        FTracking = false;
        Result = false;
        ShowInspectorError(E);
    }
    if (Reload)
        LoadEdit(false);
    viewport()->update();
    return Result;
}

void TNodescope::RowDoubleClick()
{
    TXMLPropEditor* E = SelectedEditor();
    if (!E)
        return;
    ChangeValue(E, true, std::string());
    LoadEdit(false);
    viewport()->update();
}

void TNodescope::KeyDown(int Key, Qt::KeyboardModifiers Shift)
{
    HideHint();
    const int Visible = VisibleRowCount();
    switch (Key) {
    case Qt::Key_Down:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        SelectRow(FRow + 1);
        break;
    case Qt::Key_Up:
        SelectRow(FRow - 1);
        break;
    case Qt::Key_PageDown:
        SelectRow(FRow + Visible - 1);
        break;
    case Qt::Key_PageUp:
        SelectRow(FRow - (Visible - 1));
        break;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (Shift & Qt::ControlModifier)
            ToggleExpand();
        SelectRow(FRow);
        break;
    case Qt::Key_Insert:
    case Qt::Key_Delete:
        if (FAllowStructureEdits && !FReadOnly && !(Shift & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier))) {
            if (Key == Qt::Key_Delete) {
                RemoveRow(FRow);
            } else {
                // The menu opens below the selected row's caption, or at the top.
                QPoint At(0, 0);
                if (FRow >= 0 && FRowHeight > 0)
                    At = QPoint(FRows->Rows(FRow)->Level * 10 + 13, (FRow - FTopRow + 1) * FRowHeight);
                QMenu* Menu = ShowStructureMenu(FRow, viewport()->mapToGlobal(At));
                // Right or Enter opens the first list of elements to add.
                if (!Menu->actions().isEmpty())
                    Menu->setActiveAction(Menu->actions().first());
            }
        }
        break;
    default:
        break;
    }
}

void TNodescope::KeyUp(int, Qt::KeyboardModifiers) {}

void TNodescope::Guarded(const std::function<void()>& Action)
{
    try {
        Action();
    } catch (const std::exception& E) {
        ShowInspectorError(E);
    }
}

void TNodescope::focusInEvent(QFocusEvent* Event)
{
    QAbstractScrollArea::focusInEvent(Event);
    if (FInplaceEdit && FInplaceEdit->isEnabled())
        FInplaceEdit->SetFocus();
}

void TNodescope::keyPressEvent(QKeyEvent* Event)
{
    const int Key = Event->key();
    switch (Key) {
    case Qt::Key_Down:
    case Qt::Key_Up:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_PageDown:
    case Qt::Key_PageUp:
    case Qt::Key_Left:
    case Qt::Key_Right:
        Guarded([&] { KeyDown(Key, Event->modifiers()); });
        Event->accept();
        return;
    case Qt::Key_Insert:
    case Qt::Key_Delete:
        if (FAllowStructureEdits) {
            Guarded([&] { KeyDown(Key, Event->modifiers()); });
            Event->accept();
            return;
        }
        Event->ignore();
        break;
    default:
        // Not the scroll area's own paging: the view follows the selection only.
        Event->ignore();
    }
}

void TNodescope::keyReleaseEvent(QKeyEvent* Event)
{
    KeyUp(Event->key(), Event->modifiers());
    QAbstractScrollArea::keyReleaseEvent(Event);
}

void TNodescope::mousePressEvent(QMouseEvent* Event)
{
    if (focusPolicy() != Qt::NoFocus || !window())
        setFocus(Qt::MouseFocusReason);
    const int X = Event->position().toPoint().x();
    const int Y = Event->position().toPoint().y();
    // The second press of a double click: Qt follows it with a double-click event,
    // which does the toggling; handling it here too would select and toggle twice.
    // A quick press elsewhere is a new click: the platform reports a double click
    // only within its small distance of the first press.
    const unsigned long Stamp = Event->timestamp();
    const QPoint Global = Event->globalPosition().toPoint();
    const int Distance = QGuiApplication::styleHints()->mouseDoubleClickDistance();
    const bool SecondPress = Event->button() == FLastPressButton && FLastPressStamp != 0 &&
                             Stamp - FLastPressStamp < static_cast<unsigned long>(QApplication::doubleClickInterval()) &&
                             std::abs(Global.x() - FLastPressPos.x()) <= Distance &&
                             std::abs(Global.y() - FLastPressPos.y()) <= Distance;
    FLastPressStamp = Stamp;
    FLastPressButton = Event->button();
    FLastPressPos = Global;
    if (SecondPress) {
        FLastPressStamp = 0;
        return;
    }
    FSplitDrag = Event->button() == Qt::LeftButton && NearSplit(X);
    if (Event->button() == Qt::LeftButton && !FSplitDrag) {
        bool Selected = false;
        Guarded([&] { Selected = SelectRow(RowAt(Y)); });
        if (!Selected)
            return;
        if (FNewButtons && InExpandButton(X)) {
            Guarded([&] { ToggleExpand(); });
        } else {
            FTracking = true;
            if (FInplaceEdit)
                FInplaceEdit->FClickTime = TickCount();
        }
    }
}

void TNodescope::mouseDoubleClickEvent(QMouseEvent*)
{
    Guarded([&] { ToggleExpand(); });
}

void TNodescope::mouseMoveEvent(QMouseEvent* Event)
{
    const QPoint Pos = Event->position().toPoint();
    FHitPos = Pos;
    viewport()->setCursor(FSplitDrag || NearSplit(Pos.x()) ? Qt::SplitHCursor : Qt::ArrowCursor);
    if (FSplitDrag)
        MoveSplit(Pos.x());
    else if (FTracking && (Event->buttons() & Qt::LeftButton))
        Guarded([&] { SelectRow(RowAt(Pos.y())); });
}

void TNodescope::mouseReleaseEvent(QMouseEvent*)
{
    FSplitDrag = false;
    FTracking = false;
}

void TNodescope::wheelEvent(QWheelEvent* Event)
{
    // Truncating division: a notch (120) moves one row, a fine turn of 99 none.
    const int Delta = Event->angleDelta().y();
    // An open drop-down belongs to the row it was opened on.
    if (Delta / 100 != 0 && FInplaceEdit && FInplaceEdit->FButton->FListVisible)
        Guarded([&] { FInplaceEdit->FButton->CloseUp(false); });
    if (Delta / 100 != 0)
        Guarded([&] { SelectRow(FRow - Delta / 100); });
    Event->accept();
}
