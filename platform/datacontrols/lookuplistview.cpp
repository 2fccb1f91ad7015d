#include "platform/datacontrols/lookuplistview.h"

#include "platform/datacontrols/controlkeys.h"
#include "platform/datacontrols/fielddatalink.h"
#include "platform/datacontrols/keypress.h"
#include "platform/widgets/application.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

TLookupListView::TLookupListView(TLookupList* List, QWidget* Parent)
    : QAbstractScrollArea(Parent)
    , FList(List)
{
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    viewport()->setBackgroundRole(QPalette::Base);
    verticalScrollBar()->setRange(0, 4);
    verticalScrollBar()->setPageStep(1);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &TLookupListView::ScrollAction);
}

void TLookupListView::SetSelectedKey(const QVariant& Value)
{
    FSelectedKey = Value;
    viewport()->update();
}

int TLookupListView::RowHeight() const
{
    return fontMetrics().height() + 2;
}

int TLookupListView::RowCount() const
{
    return std::max(1, viewport()->height() / RowHeight());
}

void TLookupListView::ListChanged()
{
    FStale = true;
    viewport()->update();
}

const QVector<TLookupRow>& TLookupListView::Rows()
{
    if (FStale) {
        FStale = false;
        FRows.clear();
        // A list that cannot be read shows nothing rather than failing every painting.
        try {
            FRows = FList->ReadRows(FActiveRow, RowCount(), &FAtStart, &FAtEnd);
        } catch (const std::exception&) {
            FRows.clear();
        }
        ShowEnds();
    }
    return FRows;
}

int TLookupListView::RowAt(const QPoint& Point)
{
    const int row = Point.y() / RowHeight();
    return Point.y() >= 0 && row < Rows().size() ? row : -1;
}

void TLookupListView::ShowEnds()
{
    QScrollBar* bar = verticalScrollBar();
    const QSignalBlocker block(bar);
    bar->setEnabled(!(FAtStart && FAtEnd));
    bar->setSliderPosition(FAtStart ? 0 : FAtEnd ? 4 : 2);
}

void TLookupListView::paintEvent(QPaintEvent*)
{
    const QVector<TLookupRow>& rows = Rows();
    QPainter painter(viewport());
    const QPalette& pal = palette();
    const int h = RowHeight();
    const Qt::Alignment align = FieldAlignment(FList->ListFieldObject()) | Qt::AlignVCenter;
    for (int i = 0; i < rows.size(); ++i) {
        const QRect r(0, i * h, viewport()->width(), h);
        const bool selected = HotTrack && FHotRow >= 0 ? i == FHotRow : SameKey(rows[i].Key, FSelectedKey);
        if (selected) {
            painter.fillRect(r, pal.brush(QPalette::Highlight));
            painter.setPen(pal.color(QPalette::HighlightedText));
        } else {
            painter.setPen(pal.color(QPalette::Text));
        }
        painter.drawText(r.adjusted(2, 0, -2, 0), align, rows[i].Text);
        if (selected && hasFocus() && !HotTrack) {
            QPen dotted(pal.color(QPalette::HighlightedText), 1, Qt::DotLine);
            painter.setPen(dotted);
            painter.drawRect(r.adjusted(0, 0, -1, -1));
        }
    }
}

void TLookupListView::Move(int Delta)
{
    FSearchText.clear();
    TDataSet* ds = FList->DataSet();
    if (!ds || ds->State() != dsBrowse)
        return;
    Application->Guard([&] {
        if (Delta == kToFirst) {
            ds->First();
            FActiveRow = 0;
        } else if (Delta == kToLast) {
            ds->Last();
            FActiveRow = RowCount() - 1;
        } else {
            FActiveRow += ds->MoveBy(Delta);
        }
        ListChanged();
        FSelectedKey = FList->CurrentKey();
        if (OnSelect)
            OnSelect(FSelectedKey);
    });
}

void TLookupListView::ScrollAction(int Action)
{
    const int page = std::max(1, RowCount() - 1);
    switch (Action) {
    case QAbstractSlider::SliderSingleStepAdd: Move(1); break;
    case QAbstractSlider::SliderSingleStepSub: Move(-1); break;
    case QAbstractSlider::SliderPageStepAdd: Move(page); break;
    case QAbstractSlider::SliderPageStepSub: Move(-page); break;
    case QAbstractSlider::SliderToMinimum: Move(kToFirst); break;
    case QAbstractSlider::SliderToMaximum: Move(kToLast); break;
    case QAbstractSlider::SliderMove: {
        const int pos = verticalScrollBar()->sliderPosition();
        if (pos == 0)
            Move(kToFirst);
        else if (pos == 4)
            Move(kToLast);
        break;
    }
    default: break;
    }
    Rows();
    ShowEnds();
}

void TLookupListView::mousePressEvent(QMouseEvent* Event)
{
    if (Event->button() != Qt::LeftButton) {
        QAbstractScrollArea::mousePressEvent(Event);
        return;
    }
    setFocus(Qt::MouseFocusReason);
    const int row = RowAt(Event->position().toPoint());
    if (row >= 0)
        Move(row - FActiveRow);
}

void TLookupListView::mouseReleaseEvent(QMouseEvent* Event)
{
    if (Event->button() == Qt::LeftButton && RowAt(Event->position().toPoint()) >= 0 && OnChoose)
        Application->Guard([this] { OnChoose(); });
    QAbstractScrollArea::mouseReleaseEvent(Event);
}

void TLookupListView::mouseMoveEvent(QMouseEvent* Event)
{
    if (HotTrack) {
        const int row = RowAt(Event->position().toPoint());
        if (row != FHotRow) {
            FHotRow = row;
            viewport()->update();
        }
    }
    QAbstractScrollArea::mouseMoveEvent(Event);
}

void TLookupListView::keyPressEvent(QKeyEvent* Event)
{
    const int page = std::max(1, RowCount() - 1);
    FHotRow = -1;
    switch (Event->key()) {
    case Qt::Key_Up: Move(-1); break;
    case Qt::Key_Down: Move(1); break;
    case Qt::Key_PageUp: Move(-page); break;
    case Qt::Key_PageDown: Move(page); break;
    case Qt::Key_Home: Move(kToFirst); break;
    case Qt::Key_End: Move(kToLast); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!OnChoose) {
            // A list box leaves Enter to the window's default button.
            Event->ignore();
            return;
        }
        Application->Guard([this] { OnChoose(); });
        break;
    case Qt::Key_Backspace:
        FSearchText.clear();
        break;
    case Qt::Key_Escape:
        FSearchText.clear();
        Event->ignore();
        return;
    default:
        if (IsTypedChar(Event)) {
            Search(KeyPressChar(Event));
            break;
        }
        QAbstractScrollArea::keyPressEvent(Event);
        return;
    }
    Event->accept();
}

void TLookupListView::Search(QChar Key)
{
    const QString text = FSearchText + Key;
    Application->Guard([&] {
        if (!FList->LocateText(text))
            return;
        FSearchText = text;
        ListChanged();
        FSelectedKey = FList->CurrentKey();
        if (OnSelect)
            OnSelect(FSelectedKey);
    });
}

void TLookupListView::wheelEvent(QWheelEvent* Event)
{
    const int steps = Event->angleDelta().y() / 120;
    if (steps != 0)
        Move(-steps);
    Event->accept();
}
