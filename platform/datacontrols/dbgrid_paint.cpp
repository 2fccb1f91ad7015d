// The grid's layout and painting: columns measured once per change, cells drawn from
// the page the grid has read (the record being edited from its fields), titles, the
// indicator column and the cell button.
#include "platform/datacontrols/dbgrid.h"

#include "platform/data/datasource.h"
#include "platform/widgets/application.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTimer>

#include <algorithm>

// ---- layout ----

void TDBGrid::ColumnsChanged()
{
    UpdateLayout();
    // The texts on the page are per field.
    FRowsStale = true;
}

void TDBGrid::UpdateLayout()
{
    FVisible.clear();
    FFields.clear();
    for (int i = 0; i < FColumns->Count(); ++i) {
        TColumn* column = FColumns->Items(i);
        if (!column->Visible())
            continue;
        FVisible << column;
        FFields << column->Field();
    }
    FSelected = std::clamp(FSelected, 0, std::max(0, int(FVisible.size()) - 1));
    // Measured once here, not for every cell painted.
    const int lines = (FOptions & dgRowLines) ? 1 : 0;
    const QFontMetrics metrics(FFont->QtFont());
    FTitleHeight = (FOptions & dgTitles) ? metrics.height() + 4 + lines : 0;
    int height = metrics.height();
    FLefts.clear();
    FWidths.clear();
    int x = IndicatorWidth();
    for (const TColumn* column : FVisible) {
        height = std::max(height, QFontMetrics(column->Font()->QtFont()).height());
        FLefts << x;
        FWidths << column->Width();
        x += FWidths.last() + ((FOptions & dgColLines) ? 1 : 0);
    }
    FRowHeight = height + 3 + lines;
    UpdateScrollBars();
    PlaceEditor();
    viewport()->update();
}

int TDBGrid::TitleHeight() const
{
    return FTitleHeight;
}

int TDBGrid::RowHeight() const
{
    return FRowHeight;
}

int TDBGrid::IndicatorWidth() const
{
    return (FOptions & dgIndicator) ? 11 : 0;
}

int TDBGrid::ColumnLeft(int Column) const
{
    return FLefts.value(Column) - horizontalScrollBar()->value();
}

QRect TDBGrid::CellRect(int Row, int Column) const
{
    if (Column < 0 || Column >= FVisible.size())
        return {};
    const int lines = (FOptions & dgRowLines) ? 1 : 0;
    return QRect(ColumnLeft(Column), FTitleHeight + Row * FRowHeight, FWidths[Column], FRowHeight - lines);
}

bool TDBGrid::ShowsButton() const
{
    if (!(FOptions & dgEditing) || (FOptions & dgRowSelect) || FRows.Active() < 0)
        return false;
    const TColumn* column = FVisible.value(FSelected);
    return column && column->ButtonStyle() == TColumn::cbsEllipsis;
}

QRect TDBGrid::ButtonRect() const
{
    if (!ShowsButton())
        return {};
    const QRect cell = CellRect(FRows.Active(), FSelected);
    const int width = std::min(cell.height() + 2, cell.width() / 2);
    return QRect(cell.right() - width + 1, cell.top(), width, cell.height());
}

int TDBGrid::RowAt(int Y) const
{
    if (Y < TitleHeight())
        return -1;
    const int row = (Y - TitleHeight()) / RowHeight();
    return row < RowCount() ? row : -1;
}

int TDBGrid::ColumnAt(int X) const
{
    if (X < IndicatorWidth())
        return -1;
    for (int c = 0; c < FVisible.size(); ++c) {
        const QRect cell = CellRect(0, c);
        if (X >= cell.left() && X <= cell.right() + 1)
            return c;
    }
    return -1;
}

void TDBGrid::ScrollToColumn(int Column)
{
    const QRect cell = CellRect(0, Column);
    if (cell.isNull())
        return;
    QScrollBar* bar = horizontalScrollBar();
    const int room = viewport()->width();
    if (cell.left() < IndicatorWidth())
        bar->setValue(bar->value() - (IndicatorWidth() - cell.left()));
    else if (cell.right() >= room)
        bar->setValue(bar->value() + std::min(cell.right() - room + 1, cell.left() - IndicatorWidth()));
}

// ---- painting ----

namespace {

int TextFlags(TAlignment alignment)
{
    switch (alignment) {
    case taRightJustify:
        return Qt::AlignRight | Qt::AlignVCenter;
    case taCenter:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

// A raised cell of the fixed rows and columns.
void PaintFixedCell(QPainter& painter, const QRect& rect, const QPalette& palette)
{
    painter.fillRect(rect, palette.color(QPalette::Button));
    painter.setPen(palette.color(QPalette::Light));
    painter.drawLine(rect.topLeft(), rect.topRight());
    painter.drawLine(rect.topLeft(), rect.bottomLeft());
    painter.setPen(palette.color(QPalette::Dark));
    painter.drawLine(rect.bottomLeft(), rect.bottomRight());
    painter.drawLine(rect.topRight(), rect.bottomRight());
}

} // namespace

void TDBGrid::paintEvent(QPaintEvent*)
{
    try {
        EnsureRows();
    } catch (const std::exception& e) {
        // Reported once the painting is over: a box must not open inside a paint.
        const std::string message = e.what();
        QTimer::singleShot(0, this, [this, message] { Report(Exception(message)); });
    }
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), FColor);
    if (FOptions & dgTitles)
        PaintTitles(painter);
    for (int row = 0; row < FRows.Count(); ++row)
        PaintRow(painter, row, RowTexts(row));
    if (FCountStale && DataSet() && DataSet()->Active())
        CountLater();
}

void TDBGrid::PaintTitles(QPainter& Painter)
{
    const int height = TitleHeight();
    const QPalette& pal = palette();
    if (IndicatorWidth() > 0)
        PaintFixedCell(Painter, QRect(0, 0, IndicatorWidth(), height), pal);
    Painter.save();
    Painter.setClipRect(QRect(IndicatorWidth(), 0, viewport()->width(), height));
    Painter.setFont(FFont->QtFont());
    for (int c = 0; c < FVisible.size(); ++c) {
        QRect cell = CellRect(0, c);
        cell.setTop(0);
        cell.setHeight(height);
        if (FOptions & dgColLines)
            cell.setWidth(cell.width() + 1);
        PaintFixedCell(Painter, cell, pal);
        Painter.setPen(FFont->Color());
        const QRect text = cell.adjusted(3, 0, -3, 0);
        Painter.drawText(text, Qt::AlignLeft | Qt::AlignVCenter,
                         Painter.fontMetrics().elidedText(FVisible[c]->Title()->Caption(), Qt::ElideRight, text.width()));
    }
    Painter.restore();
}

void TDBGrid::PaintRow(QPainter& Painter, int Row, const QStringList& Texts)
{
    const int rowHeight = RowHeight();
    const int top = TitleHeight() + Row * rowHeight;
    const bool current = Row == FRows.Active();
    const bool showSelection = FFocused || (FOptions & dgAlwaysShowSelection);
    const QPalette& pal = palette();
    if (IndicatorWidth() > 0)
        PaintIndicator(Painter, QRect(0, top, IndicatorWidth(), rowHeight), Row);
    Painter.save();
    Painter.setClipRect(QRect(IndicatorWidth(), top, viewport()->width(), rowHeight));
    for (int c = 0; c < FVisible.size(); ++c) {
        const QRect cell = CellRect(Row, c);
        if (cell.right() < IndicatorWidth() || cell.left() > viewport()->width())
            continue;
        const TColumn* column = FVisible[c];
        const bool selected = current && showSelection && ((FOptions & dgRowSelect) || c == FSelected);
        Painter.fillRect(cell, selected ? pal.color(QPalette::Highlight) : column->Color());
        Painter.setFont(column->Font()->QtFont());
        Painter.setPen(selected ? pal.color(QPalette::HighlightedText) : column->Font()->Color());
        QRect text = cell.adjusted(2, 0, -2, 0);
        const bool button = current && c == FSelected && ShowsButton();
        if (button)
            text.setRight(ButtonRect().left() - 2);
        // Cut at the cell's edge, as a spreadsheet does: no second layout to elide.
        Painter.drawText(text, TextFlags(column->Alignment()) | Qt::TextSingleLine, Texts.value(c));
        if (FOptions & dgColLines) {
            Painter.setPen(pal.color(QPalette::Mid));
            Painter.drawLine(cell.right() + 1, top, cell.right() + 1, top + rowHeight - 1);
        }
        if (button) {
            QStyleOptionButton option;
            option.initFrom(this);
            option.rect = ButtonRect();
            option.text = "...";
            option.state |= QStyle::State_Raised;
            style()->drawControl(QStyle::CE_PushButton, &option, &Painter, this);
        }
    }
    if (FOptions & dgRowLines) {
        Painter.setPen(pal.color(QPalette::Mid));
        const int right = FVisible.isEmpty() ? 0 : CellRect(Row, int(FVisible.size()) - 1).right() + 1;
        Painter.drawLine(IndicatorWidth(), top + rowHeight - 1, right, top + rowHeight - 1);
    }
    Painter.restore();
}

void TDBGrid::PaintIndicator(QPainter& Painter, const QRect& Rect, int Row)
{
    PaintFixedCell(Painter, Rect, palette());
    const TDataSet* ds = DataSet();
    if (Row != FRows.Active() || !ds)
        return;
    Painter.save();
    Painter.setRenderHint(QPainter::Antialiasing, false);
    Painter.setPen(palette().color(QPalette::ButtonText));
    Painter.setBrush(palette().color(QPalette::ButtonText));
    const QPoint c = Rect.center();
    if (ds->State() == dsInsert) {
        // A new record: an asterisk.
        Painter.drawLine(c.x() - 3, c.y(), c.x() + 3, c.y());
        Painter.drawLine(c.x(), c.y() - 3, c.x(), c.y() + 3);
        Painter.drawLine(c.x() - 2, c.y() - 2, c.x() + 2, c.y() + 2);
        Painter.drawLine(c.x() - 2, c.y() + 2, c.x() + 2, c.y() - 2);
    } else if (ds->State() == dsEdit) {
        // A record being changed: an I-beam.
        Painter.drawLine(c.x(), c.y() - 4, c.x(), c.y() + 4);
        Painter.drawLine(c.x() - 2, c.y() - 4, c.x() + 2, c.y() - 4);
        Painter.drawLine(c.x() - 2, c.y() + 4, c.x() + 2, c.y() + 4);
    } else {
        // The current record: an arrow.
        Painter.drawPolygon(QPolygon({QPoint(c.x() - 2, c.y() - 4), QPoint(c.x() + 2, c.y()), QPoint(c.x() - 2, c.y() + 4)}));
    }
    Painter.restore();
}

// ---- window events ----

void TDBGrid::resizeEvent(QResizeEvent* Event)
{
    QAbstractScrollArea::resizeEvent(Event);
    FRowsStale = true;
    UpdateScrollBars();
    PlaceEditor();
}

void TDBGrid::changeEvent(QEvent* Event)
{
    QAbstractScrollArea::changeEvent(Event);
    if (Event->type() == QEvent::FontChange || Event->type() == QEvent::PaletteChange) {
        FColumns->FollowGridFont();
        UpdateLayout();
    }
}

void TDBGrid::scrollContentsBy(int Dx, int)
{
    // Rows are placed by the record under the cursor, not by pixels; columns by pixels.
    if (Dx != 0) {
        PlaceEditor();
        viewport()->update();
    }
}
