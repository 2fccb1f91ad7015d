// Editing in the grid: the in-place editor over the selected cell, the keys, and
// inserting, deleting and cancelling records. What must stay true: a cell's text
// reaches the record only through its field (SetText, with the field's conversion,
// range and validation), a refused text keeps the editor open with what was typed,
// and every insert, delete, post and cancel goes through the dataset, so the rules
// attached to its events apply exactly as they do for any other control.
#include "platform/datacontrols/dbgrid.h"

#include "platform/data/datasource.h"
#include "platform/widgets/application.h"
#include "platform/widgets/messages.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>

// The in-place editor: keys that move between cells and records go to the grid.
class TGridEditor : public QLineEdit {
public:
    explicit TGridEditor(TDBGrid* grid)
        : QLineEdit(grid->viewport())
        , FGrid(grid)
    {
        setFrame(false);
        hide();
        connect(this, &QLineEdit::textEdited, this, [this] { FGrid->EditorEdited(); });
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (FGrid->HandleKey(event, true))
            return;
        std::unique_ptr<QKeyEvent> replaced;
        if (!RunKeyPress(FGrid->OnKeyPress, FGrid, event, replaced))
            return;
        QLineEdit::keyPressEvent(replaced ? replaced.get() : event);
    }

    // A double-click on the cell being edited is the grid's too (a part pick, a
    // calendar): the editor opened on the click before it, so the grid never saw it.
    void mouseDoubleClickEvent(QMouseEvent* event) override
    {
        QLineEdit::mouseDoubleClickEvent(event);
        if (event->button() == Qt::LeftButton && FGrid->OnDblClick)
            FGrid->Guarded([&] { FGrid->OnDblClick(FGrid); });
    }

private:
    TDBGrid* FGrid;
};

bool TDBGrid::EditorMode() const
{
    return FEditor && !FEditor->isHidden();
}

void TDBGrid::SetEditorMode(bool Value)
{
    if (Value)
        ShowEditor();
    else if (UpdateData(true))
        HideEditor();
}

QLineEdit* TDBGrid::InplaceEditor() const
{
    return EditorMode() ? FEditor : nullptr;
}

bool TDBGrid::CanModify() const
{
    const TDataSet* ds = DataSet();
    return ds && ds->Active() && ds->CanModify() && !FReadOnly && (FOptions & dgEditing);
}

bool TDBGrid::CanEditCell() const
{
    if (!CanModify() || (FOptions & dgRowSelect))
        return false;
    const TColumn* column = FVisible.value(FSelected);
    const TField* field = SelectedField();
    return column && !column->ReadOnly() && field && field->FieldKind() == fkData && !field->ReadOnly;
}

void TDBGrid::ShowEditor(const QString* Typed)
{
    if (!CanEditCell())
        return;
    TDataSet* ds = DataSet();
    if (!FEditor)
        FEditor = new TGridEditor(this);
    // A typed character changes the record: it goes into edit first, which may refuse.
    if (Typed && ds->State() == dsBrowse)
        ds->Edit();
    TField* field = SelectedField();
    FEditor->setMaxLength(field->DataType() == ftString && field->Size() > 0 ? field->Size() : 32767);
    FEditor->setText(Typed ? *Typed : field->Text());
    FEditor->setModified(Typed != nullptr);
    FEditor->show();
    PlaceEditor();
    FEditor->setFocus();
    if (!Typed)
        FEditor->selectAll();
}

void TDBGrid::HideEditor()
{
    if (!EditorMode())
        return;
    const bool hadFocus = FEditor->hasFocus();
    FEditor->hide();
    FEditor->setModified(false);
    if (hadFocus)
        setFocus();
}

void TDBGrid::PlaceEditor()
{
    if (!EditorMode())
        return;
    if (FRows.Active() < 0 || FSelected >= FVisible.size()) {
        FEditor->hide();
        return;
    }
    QRect cell = CellRect(FRows.Active(), FSelected);
    if (ShowsButton())
        cell.setRight(ButtonRect().left() - 1);
    const TColumn* column = FVisible[FSelected];
    FEditor->setGeometry(cell.adjusted(1, 1, -1, -1));
    FEditor->setFont(column->Font()->QtFont());
    // The cell's own colours, so editing does not change how the cell looks.
    QPalette palette = FEditor->palette();
    palette.setColor(QPalette::Base, column->Color());
    palette.setColor(QPalette::Text, column->Font()->Color());
    FEditor->setPalette(palette);
    FEditor->setAlignment(column->Alignment() == taRightJustify ? Qt::AlignRight
                          : column->Alignment() == taCenter   ? Qt::AlignHCenter
                                                              : Qt::AlignLeft);
    // A field changed by a rule shows its new text, unless the user is typing.
    const TField* field = SelectedField();
    if (field && !FEditor->isModified() && FEditor->text() != field->Text())
        FEditor->setText(field->Text());
}

bool TDBGrid::UpdateData(bool ReportErrors)
{
    if (!EditorMode() || !FEditor->isModified())
        return true;
    TField* field = SelectedField();
    TDataSet* ds = DataSet();
    if (!field || !ds)
        return true;
    auto write = [&] {
        if (ds->State() == dsBrowse)
            ds->Edit();
        // Not modified while the field takes it, so the field's own text comes back.
        FEditor->setModified(false);
        try {
            field->SetText(FEditor->text());
        } catch (...) {
            FEditor->setModified(true);
            throw;
        }
    };
    if (!ReportErrors) {
        write();
        return true;
    }
    if (Application->Guard(write))
        return true;
    if (EditorMode()) {
        FEditor->setFocus();
        FEditor->selectAll();
    }
    return false;
}

void TDBGrid::EditorEdited()
{
    TDataSet* ds = DataSet();
    if (!ds || ds->State() != dsBrowse)
        return;
    // The first change of a cell puts the record in edit; a refusal restores the cell.
    if (!Application->Guard([&] { ds->Edit(); })) {
        FEditor->setModified(false);
        if (const TField* field = SelectedField())
            FEditor->setText(field->Text());
    }
}

bool TDBGrid::LeaveCell()
{
    if (!UpdateData(true))
        return false;
    HideEditor();
    return true;
}

void TDBGrid::SelectColumn(int Column)
{
    Column = std::clamp(Column, 0, std::max(0, int(FVisible.size()) - 1));
    if (Column == FSelected)
        return;
    if (!LeaveCell())
        return;
    FSelected = Column;
    ScrollToColumn(Column);
    viewport()->update();
}

void TDBGrid::MoveRow(int Distance, bool Page)
{
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active() || !LeaveCell())
        return;
    if (ds->State() == dsInsert && !ds->Modified()) {
        // A new row nothing was typed into: going on keeps it, going back drops it.
        if (Distance < 0)
            CancelRecord();
        return;
    }
    const bool wasEof = ds->Eof() || (FRows.AtEnd() && FRows.Active() == FRows.Count() - 1);
    MoveBy(Distance, Page);
    // Down from the last record starts a new one, as in a spreadsheet's last line.
    if (Distance == 1 && !Page && wasEof && ds->Eof() && CanModify())
        InsertRecord(true);
}

void TDBGrid::InsertRecord(bool Append)
{
    TDataSet* ds = DataSet();
    if (!CanModify() || !LeaveCell())
        return;
    FAppending = Append;
    try {
        Append ? ds->Append() : ds->Insert();
    } catch (...) {
        FAppending = false;
        throw;
    }
    FAppending = false;
    if (FOptions & dgAlwaysShowEditor)
        ShowEditor();
}

void TDBGrid::DeleteRecord()
{
    TDataSet* ds = DataSet();
    if (!CanModify())
        return;
    if (ds->State() == dsInsert) {
        CancelRecord();
        return;
    }
    if (ds->IsEmpty())
        return;
    if ((FOptions & dgConfirmDelete) && MessageDlg("Delete record?", mtConfirmation, mbOKCancel) != mrOk)
        return;
    HideEditor();
    ds->Delete();
}

void TDBGrid::CancelRecord()
{
    TDataSet* ds = DataSet();
    HideEditor();
    if (ds && (ds->State() == dsEdit || ds->State() == dsInsert))
        ds->Cancel();
}

void TDBGrid::EditButtonClick()
{
    if (!ShowsButton() || !UpdateData(true))
        return;
    if (OnEditButtonClick)
        OnEditButtonClick(this);
}

bool TDBGrid::HandleKey(QKeyEvent* Event, bool FromEditor)
{
    int key = Event->key();
    const Qt::KeyboardModifiers shift = Event->modifiers();
    if (OnKeyDown) {
        if (!Application->Guard([&] { OnKeyDown(this, key, shift); }) || key == 0)
            return true;
    }
    const bool ctrl = shift & Qt::ControlModifier;
    const bool editing = FromEditor && EditorMode();
    const TDataSet* ds = DataSet();
    const bool changing = ds && (ds->State() == dsEdit || ds->State() == dsInsert);
    bool used = true;
    Application->Guard([&] {
        switch (key) {
        case Qt::Key_Up:
            MoveRow(-1, false);
            break;
        case Qt::Key_Down:
            MoveRow(1, false);
            break;
        case Qt::Key_PageUp:
            MoveRow(-VisibleRowCount(), true);
            break;
        case Qt::Key_PageDown:
            MoveRow(VisibleRowCount(), true);
            break;
        case Qt::Key_Home:
        case Qt::Key_End:
            if (ctrl) {
                if (LeaveCell())
                    key == Qt::Key_Home ? GoFirst() : GoLast();
            } else if (!editing) {
                SelectColumn(key == Qt::Key_Home ? 0 : int(FVisible.size()) - 1);
            } else {
                used = false;
            }
            break;
        case Qt::Key_Left:
        case Qt::Key_Right:
            if (editing)
                used = false;
            else
                SelectColumn(FSelected + (key == Qt::Key_Left ? -1 : 1));
            break;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            if (!(FOptions & dgTabs)) {
                used = false;
            } else if (key == Qt::Key_Tab && !(shift & Qt::ShiftModifier)) {
                if (FSelected < FVisible.size() - 1)
                    SelectColumn(FSelected + 1);
                else if (LeaveCell()) {
                    MoveRow(1, false);
                    SelectColumn(0);
                }
            } else {
                if (FSelected > 0)
                    SelectColumn(FSelected - 1);
                else if (LeaveCell()) {
                    MoveRow(-1, false);
                    SelectColumn(int(FVisible.size()) - 1);
                }
            }
            break;
        case Qt::Key_Insert:
            if (editing || (shift & ~Qt::KeypadModifier) != Qt::NoModifier)
                used = false;
            else
                InsertRecord(false);
            break;
        case Qt::Key_Delete:
            if (editing && !ctrl)
                used = false;
            else
                DeleteRecord();
            break;
        case Qt::Key_Escape:
            // Nothing to cancel: the key goes on, to a dialog's cancel button.
            if (changing || editing)
                CancelRecord();
            else
                used = false;
            break;
        case Qt::Key_F2:
            if (editing)
                SetEditorMode(false);
            else
                ShowEditor();
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (ctrl && editing && ShowsButton())
                EditButtonClick();
            else if (editing)
                SetEditorMode(false);
            else if (CanEditCell())
                ShowEditor();
            else
                used = false;
            break;
        default:
            used = false;
        }
    });
    return used;
}

void TDBGrid::keyPressEvent(QKeyEvent* Event)
{
    if (HandleKey(Event, false))
        return;
    std::unique_ptr<QKeyEvent> replaced;
    if (!RunKeyPress(OnKeyPress, this, Event, replaced))
        return;
    const QString text = (replaced ? replaced.get() : Event)->text();
    // Typing over a cell starts editing it with what was typed.
    if (text.size() == 1 && text.at(0).isPrint() && !(Event->modifiers() & Qt::ControlModifier) && CanEditCell()) {
        Application->Guard([&] { ShowEditor(&text); });
        return;
    }
    Event->ignore();
}

void TDBGrid::FocusChanged(QWidget* Now)
{
    auto inside = [this](const QWidget* w) { return w && (w == this || isAncestorOf(w)); };
    if (!FFocused && inside(Now)) {
        FFocused = true;
        viewport()->update();
        if (OnEnter)
            Application->Guard([&] { OnEnter(this); });
        return;
    }
    // Focus moving to another window (an error box, a dialog) is not leaving the grid.
    if (!FFocused || inside(Now) || !Now || Now->window() != window())
        return;
    // A cell the field refuses keeps the focus in the grid.
    if (!LeaveCell())
        return;
    FFocused = false;
    viewport()->update();
    TDataSet* ds = DataSet();
    if ((FOptions & dgCancelOnExit) && ds && ds->State() == dsInsert && !ds->Modified())
        Application->Guard([&] { ds->Cancel(); });
    if (OnExit)
        Application->Guard([&] { OnExit(this); });
}

// ---- the mouse ----

void TDBGrid::ClickCell(const QPoint& Pos, bool Double)
{
    EnsureRows();
    if (ButtonRect().contains(Pos)) {
        if (!Double)
            EditButtonClick();
        return;
    }
    int row = RowAt(Pos.y());
    const int column = ColumnAt(Pos.x());
    if (row < 0)
        return;
    const TDataSet* ds = DataSet();
    if (row != FRows.Active() && ds && ds->State() == dsInsert && !ds->Modified()) {
        // Clicking away from a new row nothing was typed into drops it; the record
        // clicked on is then found where the page shows it.
        const TBookmark clicked = FRows.Row(row).Mark;
        CancelRecord();
        EnsureRows();
        row = FRows.Find(clicked);
        if (row < 0)
            return;
    }
    const bool sameCell = row == FRows.Active() && (column == FSelected || column < 0);
    if (row != FRows.Active())
        MoveRow(row - FRows.Active(), false);
    if (column >= 0)
        SelectColumn(column);
    // A second click on the selected cell edits it.
    if (sameCell && !Double && column >= 0 && !EditorMode() && CanEditCell())
        ShowEditor();
    if (Double && OnDblClick)
        OnDblClick(this);
}

void TDBGrid::mousePressEvent(QMouseEvent* Event)
{
    if (Event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    Guarded([&] { ClickCell(Event->position().toPoint(), false); });
    // A click beside the editor of the cell being typed in leaves the typing there.
    if (EditorMode())
        FEditor->setFocus();
}

void TDBGrid::mouseDoubleClickEvent(QMouseEvent* Event)
{
    if (Event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    Guarded([&] { ClickCell(Event->position().toPoint(), true); });
}

void TDBGrid::wheelEvent(QWheelEvent* Event)
{
    const int steps = Event->angleDelta().y() / 120;
    if (steps != 0)
        Guarded([&] { MoveRow(-steps, false); });
    Event->accept();
}

bool TDBGrid::focusNextPrevChild(bool Next)
{
    // With dgTabs, Tab moves between the cells (keyPressEvent), not out of the grid.
    if (FOptions & dgTabs)
        return false;
    return QAbstractScrollArea::focusNextPrevChild(Next);
}
