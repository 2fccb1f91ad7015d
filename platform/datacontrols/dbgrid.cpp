// The grid's data side: following the source, reading the page, moving the cursor,
// the scroll bars. What must stay true: the grid never reads more than its page and
// one record beyond each edge, whatever the user does; and nothing is read inside a
// dataset's own notice (the dataset is in the middle of a change then), only from the
// event loop: painting, keys, mouse and timers.
#include "platform/datacontrols/dbgrid.h"

#include "platform/data/datasource.h"
#include "platform/widgets/application.h"

#include <QApplication>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

class TDBGrid::TGridLink : public TDataLink {
public:
    explicit TGridLink(TDBGrid* grid) : FGrid(grid) {}
    void DataEvent(int event, TField* field) override { FGrid->DataEvent(event, field); }
    void SourceDestroyed() override
    {
        FGrid->FDataSource = nullptr;
        FGrid->FRows.Clear();
        FGrid->FColumns->RebuildColumns();
        FGrid->UpdateLayout();
    }

private:
    TDBGrid* FGrid;
};

TDBGrid::TDBGrid(QWidget* Parent)
    : QAbstractScrollArea(Parent)
    , FLink(std::make_unique<TGridLink>(this))
    , FColumns(nullptr)
    , FFont(new TFont(static_cast<QWidget*>(this)))
    , FOptions(dgEditing | dgTitles | dgIndicator | dgColLines | dgRowLines | dgTabs | dgConfirmDelete
               | dgCancelOnExit)
    , FColor(palette().color(QPalette::Base))
{
    FColumns = new TDBGridColumns(this);
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    connect(verticalScrollBar(), &QAbstractSlider::actionTriggered, this, [this](int action) { ScrollAction(action); });
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { FocusChanged(now); });
    UpdateLayout();
}

TDBGrid::~TDBGrid()
{
    if (FDataSource)
        FDataSource->RemoveLink(FLink.get());
}

// ---- the source ----

void TDBGrid::SetDataSource(TDataSource* Value)
{
    if (Value == FDataSource)
        return;
    HideEditor();
    if (FDataSource)
        FDataSource->RemoveLink(FLink.get());
    FDataSource = Value;
    if (FDataSource)
        FDataSource->AddLink(FLink.get());
    FRows.Clear();
    FRowsStale = FCountStale = true;
    FRecNo = 0;
    FCount = -1;
    FColumns->RebuildColumns();
    UpdateLayout();
}

QObject* TDBGrid::DataSourceObject() const
{
    return FDataSource;
}

void TDBGrid::SetDataSourceObject(QObject* Value)
{
    SetDataSource(dynamic_cast<TDataSource*>(Value));
}

TDataSet* TDBGrid::DataSet() const
{
    return FDataSource ? FDataSource->DataSet() : nullptr;
}

bool TDBGrid::Browsing() const
{
    const TDataSet* ds = DataSet();
    return ds && ds->State() == dsBrowse;
}

void TDBGrid::DataEvent(int Event, TField*)
{
    TDataSet* ds = DataSet();
    if (!ds)
        return;
    if (Event == deCheckBrowseMode || Event == deUpdateRecord) {
        // The record is about to be posted or left: the cell being typed goes first,
        // and a text the field refuses stops the post or the move.
        UpdateData(false);
        return;
    }
    // Controls hear it all again when the dataset's controls are enabled.
    if (ds->ControlsDisabled())
        return;
    if (Event == deStateChange || Event == deDataSetChange) {
        // An opening dataset makes its fields anew: the columns find theirs again.
        FColumns->RebuildColumns();
        UpdateLayout();
    }
    switch (Event) {
    case deStateChange:
        if (ds->State() == dsInactive) {
            FRows.Clear();
            FRecNo = 0;
            FCount = -1;
        }
        if (ds->State() != dsEdit && ds->State() != dsInsert)
            HideEditor();
        break;
    case deDataSetChange:
        FCountStale = true;
        if (ds->State() == dsInsert && !FOwnMoves) {
            // The new record stands at the current row, or below it when appended;
            // told again (controls enabled anew), the page already has it.
            const int active = FRows.Active();
            if (active >= 0 && !FRows.Row(active).Mark.IsValid())
                break;
            const int at = std::max(active, 0) + (FAppending && active >= 0 ? 1 : 0);
            FRows.InsertBlank(at, VisibleRowCount());
            if (FAppending && FRecNo > 0)
                ++FRecNo;
            FRowsStale = false;
        } else {
            FRowsStale = true;
        }
        if (ds->State() == dsBrowse)
            HideEditor();
        break;
    case deDataSetScroll:
        if (FOwnMoves)
            break;
        if (ds->State() == dsBrowse && !FRowsStale) {
            // Another control moved the cursor: still on the page, only the row changes.
            const int row = FRows.Find(ds->GetBookmark());
            if (row >= 0) {
                if (FRecNo > 0)
                    FRecNo += row - FRows.Active();
                FRows.SetActive(row);
            } else {
                FRowsStale = true;
            }
        } else {
            FRowsStale = true;
        }
        HideEditor();
        UpdateScrollBars();
        break;
    case deFieldChange:
    case deRecordChange:
        PlaceEditor();
        break;
    default:
        break;
    }
    viewport()->update();
}

// ---- the page and the cursor ----

void TDBGrid::EnsureRows()
{
    if (!FRowsStale)
        return;
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active()) {
        FRows.Clear();
        FRowsStale = false;
        UpdateScrollBars();
        return;
    }
    // A record being edited keeps the page as it is.
    if (ds->State() != dsBrowse || ds->ControlsDisabled())
        return;
    RefreshRows(std::max(FRows.Active(), 0));
}

void TDBGrid::RefreshRows(int ActiveRow)
{
    FRowsStale = false;
    try {
        FRows.Read(DataSet(), FFields, VisibleRowCount(), ActiveRow);
    } catch (...) {
        UpdateScrollBars();
        throw;
    }
    SettlePosition();
    UpdateScrollBars();
    PlaceEditor();
    viewport()->update();
}

void TDBGrid::OwnMove(const std::function<void()>& Move)
{
    ++FOwnMoves;
    try {
        Move();
    } catch (...) {
        --FOwnMoves;
        FRowsStale = true;
        viewport()->update();
        throw;
    }
    --FOwnMoves;
}

void TDBGrid::MoveBy(int Distance, bool KeepRow)
{
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active())
        return;
    EnsureRows();
    const int active = FRows.Active();
    int moved = 0;
    OwnMove([&] { moved = ds->MoveBy(Distance); });
    if (FRecNo > 0)
        FRecNo += moved;
    const int target = active + moved;
    if (!FRowsStale && target >= 0 && target < FRows.Count()) {
        // Still on the page: only the row changes, nothing is read.
        FRows.SetActive(target);
        if (KeepRow && moved != 0)
            RefreshRows(active);
    } else {
        RefreshRows(KeepRow ? active : std::clamp(target, 0, VisibleRowCount() - 1));
    }
    UpdateScrollBars();
    viewport()->update();
}

void TDBGrid::GoFirst()
{
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active())
        return;
    OwnMove([&] { ds->First(); });
    FRecNo = 1;
    RefreshRows(0);
}

void TDBGrid::GoLast()
{
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active())
        return;
    OwnMove([&] { ds->Last(); });
    FRecNo = 0;
    RefreshRows(VisibleRowCount() - 1);
    if (FCount < 0)
        CountLater();
}

void TDBGrid::GoRecNo(qint64 RecNo)
{
    TDataSet* ds = DataSet();
    if (!ds || !ds->Active())
        return;
    RecNo = std::max<qint64>(RecNo, 1);
    OwnMove([&] { ds->SetRecNo(int(RecNo)); });
    FRecNo = RecNo;
    RefreshRows(0);
}

void TDBGrid::SettlePosition()
{
    if (!Browsing() || FRows.Active() < 0) {
        if (FRows.Count() == 0)
            FRecNo = 0;
        return;
    }
    if (FRows.AtStart() && FRows.AtEnd()) {
        FCount = FRows.Count();
        FCountStale = false;
    }
    if (FRows.AtStart())
        FRecNo = FRows.Active() + 1;
    else if (FRows.AtEnd() && FCount >= 0 && !FCountStale)
        FRecNo = FCount - (FRows.Count() - 1 - FRows.Active());
}

void TDBGrid::CountLater()
{
    if (FCountQueued || !FCountStale)
        return;
    FCountQueued = true;
    QTimer::singleShot(0, this, [this] {
        FCountQueued = false;
        Guarded([this] { CountNow(); });
    });
}

void TDBGrid::CountNow()
{
    TDataSet* ds = DataSet();
    if (!FCountStale || !ds || !ds->Active() || ds->ControlsDisabled())
        return;
    FCountStale = false;
    FCount = ds->RecordCount();
    SettlePosition();
    UpdateScrollBars();
}

void TDBGrid::UpdateScrollBars()
{
    const int visible = VisibleRowCount();
    const qint64 top = FRecNo > 0 ? std::max<qint64>(FRecNo - std::max(FRows.Active(), 0), 1) : 1;
    // Until the count is known, what has been seen: this page and one more below it.
    qint64 count = FCount;
    if (count < 0 || FCountStale)
        count = std::max(count, top - 1 + FRows.Count() + (FRows.AtEnd() ? 0 : visible));
    QScrollBar* bar = verticalScrollBar();
    const QSignalBlocker block(bar);
    bar->setRange(0, int(std::clamp<qint64>(count - visible, 0, INT_MAX)));
    bar->setPageStep(visible);
    bar->setSingleStep(1);
    // While a jump is pending the thumb stays under the mouse.
    if (FThumbTarget < 0)
        bar->setValue(FRecNo <= 0 && FRows.AtEnd() ? bar->maximum() : int(std::min<qint64>(top - 1, INT_MAX)));

    const int width = FLefts.isEmpty() ? 0 : FLefts.last() + FWidths.last() + 1 - IndicatorWidth();
    const int room = viewport()->width() - IndicatorWidth();
    QScrollBar* hbar = horizontalScrollBar();
    hbar->setRange(0, std::max(0, width - room));
    hbar->setPageStep(std::max(room, 1));
    hbar->setSingleStep(16);
}

void TDBGrid::ScrollAction(int Action)
{
    QScrollBar* bar = verticalScrollBar();
    if (Action == QAbstractSlider::SliderMove) {
        // Dragging the thumb: only the place it rests on is read.
        FThumbTarget = bar->sliderPosition();
        QTimer::singleShot(0, this, [this] { ThumbMoved(); });
        return;
    }
    Guarded([&] {
        switch (Action) {
        case QAbstractSlider::SliderSingleStepAdd:
            MoveRow(1, false);
            break;
        case QAbstractSlider::SliderSingleStepSub:
            MoveRow(-1, false);
            break;
        case QAbstractSlider::SliderPageStepAdd:
            MoveRow(VisibleRowCount(), true);
            break;
        case QAbstractSlider::SliderPageStepSub:
            MoveRow(-VisibleRowCount(), true);
            break;
        case QAbstractSlider::SliderToMinimum:
            if (LeaveCell())
                GoFirst();
            break;
        case QAbstractSlider::SliderToMaximum:
            if (LeaveCell())
                GoLast();
            break;
        default:
            break;
        }
    });
    UpdateScrollBars();
    // The bar shows where the cursor went, not where the click would have put it.
    bar->setSliderPosition(bar->value());
}

void TDBGrid::ThumbMoved()
{
    if (FThumbTarget < 0)
        return;
    const int target = FThumbTarget;
    Guarded([&] {
        if (!LeaveCell())
            return;
        const int max = verticalScrollBar()->maximum();
        if (target >= max && max > 0)
            GoLast();
        else if (target <= 0)
            GoFirst();
        else
            GoRecNo(qint64(target) + 1);
    });
    if (FThumbTarget == target)
        FThumbTarget = -1;
    UpdateScrollBars();
}

void TDBGrid::Report(const std::exception& E)
{
    Application->HandleException(E);
}

void TDBGrid::Guarded(const std::function<void()>& Action)
{
    Application->Guard(Action);
}

// ---- what shows ----

int TDBGrid::VisibleRowCount() const
{
    return std::max(1, (viewport()->height() - TitleHeight()) / RowHeight());
}

int TDBGrid::RowCount() const
{
    return FRows.Count();
}

int TDBGrid::Row() const
{
    return FRows.Active();
}

QStringList TDBGrid::RowTexts(int Row) const
{
    const TDataSet* ds = DataSet();
    // The record being edited shows what its fields hold now.
    if (Row == FRows.Active() && ds && (ds->State() == dsEdit || ds->State() == dsInsert))
        return TGridRows::TextsOf(FFields);
    if (Row < 0 || Row >= FRows.Count())
        return {};
    return FRows.Row(Row).Texts;
}

QString TDBGrid::CellText(int Row, int Column) const
{
    return RowTexts(Row).value(Column);
}

TField* TDBGrid::SelectedField() const
{
    return FFields.value(FSelected);
}

void TDBGrid::SetSelectedIndex(int Value)
{
    SelectColumn(Value);
}

void TDBGrid::SetOptions(TDBGridOptions Value)
{
    FOptions = Value;
    if (FOptions & dgRowSelect)
        HideEditor();
    UpdateLayout();
}

void TDBGrid::SetReadOnly(bool Value)
{
    FReadOnly = Value;
    if (Value)
        HideEditor();
    viewport()->update();
}

void TDBGrid::SetColor(const QColor& Value)
{
    FColor = Value;
    viewport()->update();
}
