// The inspector's presentation: row geometry, the column split, painting of the
// rows, the vertical scroll bar, reactions to font, size and visibility changes,
// and value hints. Only the rows inside the clip area are painted, and of a value
// only what its cell can show; the background is never erased separately, and a
// scroll shorter than a page moves the pixels already on screen. Layout does
// nothing while the row height is still 0.
#include "inspector/nodescope.h"

#include "inspector/inplace_controls.h"
#include "inspector/text_bytes.h"

#include <QApplication>
#include <QHelpEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QScrollBar>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QToolTip>

#include <algorithm>
#include <climits>

namespace {

const int MinSplitGap = 32;
const int Indent = 10;
const TColor SelectedColor = 0x00FFDDBB;

void DrawEtchedLeft(QPainter& Canvas, int X, int Top, int Bottom, const QPalette& Palette)
{
    if (Bottom < Top)
        return;
    Canvas.fillRect(QRect(X, Top, 1, Bottom - Top + 1), Palette.color(QPalette::Dark));
    Canvas.fillRect(QRect(X + 1, Top, 1, Bottom - Top + 1), Palette.color(QPalette::Light));
}

} // namespace

// Until the control is first shown Qt has not laid out the viewport; the area
// inside the frame is what the client area will be.
int TNodescope::ClientWidth() const
{
    if (isVisible())
        return viewport()->width();
    const QScrollBar* Bar = verticalScrollBar();
    return contentsRect().width() - (Bar->isVisibleTo(this) ? Bar->sizeHint().width() : 0);
}

int TNodescope::ClientHeight() const
{
    return isVisible() ? viewport()->height() : contentsRect().height();
}

int TNodescope::RowAt(int Y) const
{
    if (FRowHeight <= 0)
        return FTopRow;
    // Rounds towards minus infinity so that a point above the view is no row of it.
    return (Y >= 0 ? Y / FRowHeight : -((-Y + FRowHeight - 1) / FRowHeight)) + FTopRow;
}

int TNodescope::VisibleRowCount() const
{
    if (FRowHeight <= 0)
        return FRowCount;
    return std::min(ClientHeight() / FRowHeight, FRowCount);
}

QRect TNodescope::ValueRect(int Index) const
{
    const int Y = (Index - FTopRow) * FRowHeight;
    return QRect(QPoint(FMiddle + 1, Y), QPoint(ClientWidth() - 1, Y + FRowHeight - 2));
}

void TNodescope::InvalidateRow()
{
    if (FRow < 0 || FRowHeight <= 0)
        return;
    const int Y = (FRow - FTopRow) * FRowHeight;
    viewport()->update(QRect(0, Y - 2, ClientWidth(), FRowHeight + 4));
}

bool TNodescope::NearSplit(int X) const
{
    return std::abs(X - FMiddle) < 3;
}

bool TNodescope::InExpandButton(int X) const
{
    if (FRow < 0 || FRow >= FRowCount)
        return false;
    const int D = X - FRows->Rows(FRow)->Level * Indent;
    return D > 0 && D < 12;
}

bool TNodescope::SetSplit(int X)
{
    X = std::min(X, ClientWidth() - MinSplitGap);
    X = std::max(MinSplitGap, X);
    const bool Changed = X != FMiddle;
    FMiddle = X;
    return Changed;
}

void TNodescope::MoveSplit(int X)
{
    if (SetSplit(X)) {
        viewport()->update();
        if (FInplaceEdit)
            FInplaceEdit->MoveEdit(EditRect());
    }
}

void TNodescope::AdjustMiddle()
{
    // Half the width caps the split: before the control is shown it still has its
    // construction size, so the fit is made again once it has its shown one.
    if (!isVisible())
        FSplitPending = true;
    const QFontMetrics Metrics(font());
    int W = 0;
    for (int I = 0; I < FRows->Count(); ++I) {
        TEditorRow* Row = FRows->Rows(I);
        const int Need = Metrics.horizontalAdvance(VisibleText(Row->Editor->GetName(), width())) +
                         Row->Level * Indent + 20;
        W = std::max(W, Need);
    }
    if (FMiddle < W)
        MoveSplit(std::min(W, width() / 2));
    else if (FMiddle - W > 20)
        MoveSplit(W);
}

TColor TNodescope::DarkenColor(TColor C)
{
    if (C & 0x80000000) {
        const QColor Q = ColorToQColor(C);
        C = static_cast<TColor>(Q.red()) | static_cast<TColor>(Q.green()) << 8 | static_cast<TColor>(Q.blue()) << 16;
    }
    TColor Result = C & 0xFF000000;
    for (int Shift = 0; Shift < 24; Shift += 8) {
        const int Byte = static_cast<int>((C >> Shift) & 0xFF);
        Result |= static_cast<TColor>(std::max(Byte - 16, 0)) << Shift;
    }
    return Result;
}

std::string TNodescope::GetRowCaption(int Index) const
{
    TEditorRow* Row = FRows->Rows(Index);
    std::string Name = Row->Editor->GetName();
    if (Row->HasChildren)
        Name = (Row->Expanded ? "- " : "+") + Name;
    Name = std::string(2 * Row->Level, ' ') + Name;
    if (!Row->HasChildren)
        Name = "  " + Name;
    return Name;
}

void TNodescope::DrawRowName(QPainter& Canvas, int Index, const QRect& Rect, int Dx, const QColor& Background)
{
    if (Index >= FRows->Count())
        return;
    TEditorRow* Row = FRows->Rows(Index);
    const QFontMetrics Metrics(Canvas.font());
    // The editor is asked before the painter's state is saved: an error leaves no
    // clip or colour of this row behind.
    const std::string Caption = FNewButtons ? Row->Editor->GetName() : GetRowCaption(Index);
    const TColor C = FNewButtons ? Row->Editor->GetNameColor() : clNone;
    Canvas.save();
    Canvas.setClipRect(Rect, Qt::IntersectClip);
    Canvas.fillRect(Rect, Background);
    if (FNewButtons) {
        if (C != clNone)
            Canvas.setPen(ColorToQColor(C));
        const int X = Rect.left() + Dx + Row->Level * Indent;
        Canvas.drawText(QPoint(X + 11, Rect.top() + 1 + Metrics.ascent()), VisibleText(Caption, Rect.width()));
        if (Row->HasChildren) {
            const QColor FontColor = Canvas.pen().color();
            const int Y = Rect.top() + (FRowHeight - 9) / 2;
            Canvas.fillRect(QRect(X, Y, 9, 9), QApplication::palette().color(QPalette::Base));
            Canvas.setPen(FontColor);
            Canvas.setBrush(Qt::NoBrush);
            Canvas.drawRect(X, Y, 8, 8);
            Canvas.drawLine(X + 2, Y + 4, X + 6, Y + 4);
            if (!Row->Expanded)
                Canvas.drawLine(X + 4, Y + 2, X + 4, Y + 6);
        }
    } else {
        Canvas.drawText(QPoint(Rect.left() + Dx, Rect.top() + 1 + Metrics.ascent()), VisibleText(Caption, Rect.width()));
    }
    Canvas.restore();
}

void TNodescope::paintEvent(QPaintEvent* Event)
{
    QPainter Canvas(viewport());
    const QRect Clip = Event->rect();
    const QColor Face = ColorToQColor(FColor);
    const int H = FRowHeight;
    if (H < 1) {
        Canvas.fillRect(Clip, Face);
        return;
    }
    // The top of what is not painted yet: after an error the rest is filled, or
    // it would keep whatever the window held (black on a new one).
    int Unpainted = Clip.top();
    try {
        const int W = ClientWidth();
        const int First = std::max(Clip.top(), 0) / H;
        int Last = std::min(FRowCount - FTopRow - 1, (Clip.bottom()) / H);
        // The selected row's band starts 2 pixels above its top.
        if (FTopRow + Last == FRow - 1)
            ++Last;
        Last = std::min(Last, FRowCount - FTopRow - 1);
        QRect NameRect(0, First * H, FMiddle, H - 1);
        QRect ValueCell(QPoint(FMiddle + 2, First * H), QPoint(W - 1, First * H + H - 2));
        const QPen GridPen(ColorToQColor(DarkenColor(FColor)));
        const QColor FontColor = palette().color(QPalette::WindowText);
        QRect SelBand;
        bool SelPainted = false;
        int End = First * H;
        for (int I = First; I <= Last; ++I) {
            const int R = FTopRow + I;
            QFont RowFont = font();
            TColor Background = R == FRow ? SelectedColor : FColor;
            if (OnDrawProperty)
                OnDrawProperty(this, R, dynamic_cast<TXSDSchemaEditor*>(FRows->Rows(R)->Editor.get()), RowFont,
                               Background);
            const QColor Back = ColorToQColor(Background);
            Canvas.setFont(RowFont);
            Canvas.setPen(FontColor);
            Canvas.setBrush(Back);
            if (R == FRow) {
                SelBand = QRect(QPoint(0, NameRect.top() - 2), QPoint(W - 1, NameRect.bottom() + 1));
                Canvas.fillRect(QRect(0, NameRect.top(), W, H), Back);
                DrawRowName(Canvas, R, NameRect.adjusted(1, 0, 0, 0), 1, Back);
                SelPainted = true;
            } else {
                Canvas.fillRect(QRect(0, NameRect.top(), W, H), Back);
                Canvas.setPen(GridPen);
                Canvas.drawLine(0, NameRect.top() + H - 1, W, NameRect.top() + H - 1);
                Canvas.setPen(FontColor);
                DrawRowName(Canvas, R, NameRect, 2, Back);
                Canvas.setPen(ColorToQColor(FPropColor));
                Canvas.setBrush(Back);
                FRows->Rows(R)->Editor->DrawValue(&Canvas, ValueCell, false);
            }
            NameRect.translate(0, H);
            ValueCell.translate(0, H);
            End = NameRect.top();
            Unpainted = std::max(Unpainted, End);
        }
        if (End > Clip.top())
            DrawEtchedLeft(Canvas, FMiddle, Clip.top(), End - 1, palette());
        if (SelPainted) {
            Canvas.fillRect(QRect(SelBand.left(), SelBand.top(), SelBand.width(), 1), palette().color(QPalette::Dark));
            Canvas.fillRect(QRect(SelBand.left(), SelBand.bottom(), SelBand.width(), 1),
                            palette().color(QPalette::Light));
        }
        if (End <= Clip.bottom())
            Canvas.fillRect(QRect(QPoint(Clip.left(), End), Clip.bottomRight()), Face);
    } catch (const std::exception& E) {
        // A fresh painter: the failing row may have left any state on the old one.
        Canvas.end();
        if (Unpainted <= Clip.bottom()) {
            QPainter Fill(viewport());
            Fill.fillRect(QRect(QPoint(Clip.left(), Unpainted), Clip.bottomRight()), Face);
        }
        if (!FPaintErrorShown) {
            FPaintErrorShown = true;
            ShowInspectorError(E);
        }
    }
}

void TNodescope::UpdateScrollBar()
{
    if (!FScrollReady || !isVisible())
        return;
    FScrollReady = false;
    struct Restore {
        bool& Flag;
        ~Restore() { Flag = true; }
    } RestoreReady{FScrollReady};
    const int Visible = VisibleRowCount();
    int Top = FTopRow;
    QScrollBar* Bar = verticalScrollBar();
    if (Visible < FRowCount) {
        Bar->setRange(0, FRowCount - Visible);
        Bar->setPageStep(std::max(Visible, 1));
    } else {
        Bar->setRange(0, 0);
        Bar->setPageStep(0);
    }
    if (FRowCount < Visible + Top)
        Top = std::max(0, FRowCount - Visible);
    ScrollTo(Top);
    Bar->setValue(FTopRow);
}

void TNodescope::ScrollTo(int P)
{
    P = std::max(P, 0);
    const int Visible = VisibleRowCount();
    if (P + Visible > FRowCount)
        P = std::max(FRowCount - Visible, 0);
    if (P == FTopRow)
        return;
    const int Dy = (FTopRow - P) * FRowHeight;
    FTopRow = P;
    HideHint();
    if (verticalScrollBar()->maximum() >= P)
        verticalScrollBar()->setValue(P);
    if (std::abs(Dy) < Visible * FRowHeight)
        viewport()->scroll(0, Dy, viewport()->rect());
    else
        viewport()->update();
    if (FInplaceEdit)
        FInplaceEdit->ShowEdit(EditRect());
}

void TNodescope::DoScroll(int Code)
{
    QScrollBar* Bar = verticalScrollBar();
    const int Page = Bar->pageStep();
    int Top;
    switch (Code) {
    case 0: Top = FTopRow - 1; break;
    case 1: Top = FTopRow + 1; break;
    case 2: Top = FTopRow - Page; break;
    case 3: Top = FTopRow + Page; break;
    case 4:
    case 5: Top = Bar->sliderPosition(); break;
    case 6: Top = Bar->minimum(); break;
    case 7: Top = Bar->maximum(); break;
    default: return;
    }
    ScrollTo(Top);
}

void TNodescope::scrollContentsBy(int, int)
{
    // The bar moved by the user: the view follows, the selection stays.
    const int Value = verticalScrollBar()->value();
    if (Value != FTopRow)
        ScrollTo(Value);
}

void TNodescope::FontChanged()
{
    FRowHeight = QFontMetrics(font()).height() + 3;
    viewport()->update();
    UpdateScrollBar();
    if (FInplaceEdit)
        FInplaceEdit->ShowEdit(EditRect());
}

void TNodescope::changeEvent(QEvent* Event)
{
    QAbstractScrollArea::changeEvent(Event);
    if (Event->type() == QEvent::FontChange && FRowHeight > 0)
        FontChanged();
    else if (Event->type() == QEvent::ActivationChange && !isActiveWindow()) {
        FSplitDrag = false;
        FTracking = false;
    }
}

void TNodescope::showEvent(QShowEvent* Event)
{
    QAbstractScrollArea::showEvent(Event);
    FScrollReady = true;
    FontChanged();
    if (FInplaceEdit)
        FInplaceEdit->FButton->FontChanged();
    if (FSplitPending) {
        FSplitPending = false;
        AdjustMiddle();
    }
}

void TNodescope::hideEvent(QHideEvent* Event)
{
    HideHint();
    QAbstractScrollArea::hideEvent(Event);
}

void TNodescope::resizeEvent(QResizeEvent* Event)
{
    QAbstractScrollArea::resizeEvent(Event);
    if (FIntegralHeight && FRowHeight > 0 && !FSizing && !(parentWidget() && parentWidget()->layout())) {
        const int Wanted = IntegralHeightFor(height());
        if (Wanted != height()) {
            FSizing = true;
            resize(width(), Wanted);
            FSizing = false;
        }
    }
    if (FRowHeight > 0) {
        SetSplit(FMiddle);
        viewport()->update();
        if (FInplaceEdit)
            FInplaceEdit->MoveEdit(EditRect());
        UpdateScrollBar();
    }
}

int TNodescope::IntegralHeightFor(int Requested) const
{
    if (!FIntegralHeight || FRowHeight <= 0)
        return Requested;
    const int Frame = height() - ClientHeight();
    return Frame + FRowHeight * std::max((Requested - Frame) / FRowHeight, 0);
}

void TNodescope::SetIntegralHeight(bool Value)
{
    if (Value == FIntegralHeight)
        return;
    FIntegralHeight = Value;
    if (Value && FRowHeight > 0 && !(parentWidget() && parentWidget()->layout()))
        resize(width(), IntegralHeightFor(height()));
}

void TNodescope::SetScrollBarStyle(int Value)
{
    const auto Style = static_cast<TScrollBarStyle>(std::clamp(Value, 0, 2));
    if (Style == FScrollBarStyle)
        return;
    FScrollBarStyle = Style;
    ApplyScrollBarStyle();
}

void TNodescope::ApplyScrollBarStyle()
{
    QScrollBar* Bar = verticalScrollBar();
    switch (FScrollBarStyle) {
    case ssRegular:
        Bar->setStyleSheet(QString());
        break;
    case ssFlat:
    case ssHotTrack: {
        QString Sheet = "QScrollBar:vertical { background: palette(button); border: none; width: %1px; margin: %1px 0 "
                        "%1px 0; }"
                        "QScrollBar::handle:vertical { background: palette(mid); min-height: 12px; }"
                        "QScrollBar::add-line:vertical { background: palette(mid); height: %2px; "
                        "subcontrol-position: bottom; subcontrol-origin: margin; }"
                        "QScrollBar::sub-line:vertical { background: palette(mid); height: %2px; "
                        "subcontrol-position: top; subcontrol-origin: margin; }";
        if (FScrollBarStyle == ssHotTrack)
            Sheet += "QScrollBar::handle:vertical:hover, QScrollBar::add-line:vertical:hover, "
                     "QScrollBar::sub-line:vertical:hover { background: palette(highlight); }";
        const int Extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
        Bar->setStyleSheet(Sheet.arg(Extent).arg(Extent - 1));
        break;
    }
    }
}

void TNodescope::SetBorderStyle(int Value)
{
    FBorderStyle = Value == bsNone ? bsNone : bsSingle;
    setFrameStyle(FBorderStyle == bsSingle ? QFrame::StyledPanel | QFrame::Sunken : QFrame::NoFrame);
}

bool TNodescope::GetValueHint(const QPoint& Pos, THintInfo& HintInfo)
{
    const int Row = RowAt(Pos.y());
    if (Pos.x() <= FMiddle || Row < 0 || Row >= FRowCount || FRowHeight <= 0)
        return false;
    const std::string Text = GetRowValue(Row);
    HintInfo.CursorRect = ValueRect(Row);
    int W;
    if (Text.find('\n') == std::string::npos) {
        // A value longer than the cell has pixels needs no more measuring than that.
        W = QFontMetrics(font()).horizontalAdvance(VisibleText(Text, HintInfo.CursorRect.width()));
        const int Measured = W;
        QPainter* NoCanvas = nullptr;
        FRows->Rows(Row)->Editor->MeasureListWidth(Text, NoCanvas, W);
        if (W != Measured)
            W += 4;
    } else {
        W = INT_MAX;
    }
    if (W < HintInfo.CursorRect.width() - 1)
        return false;
    HintInfo.CursorRect.setBottom(HintInfo.CursorRect.bottom() + 1);
    HintInfo.HintPos = viewport()->mapToGlobal(QPoint(HintInfo.CursorRect.left() - 1, HintInfo.CursorRect.top() - 2));
    // As much as a screen can show: a hint is no place to lay out megabytes.
    const QScreen* Screen = screen() ? screen() : QGuiApplication::primaryScreen();
    const int ScreenWidth = Screen ? Screen->geometry().width() : 4096;
    const bool ByteWise = !IsLocalText(Text);
    const size_t Head = TextHeadSize(Text, ByteWise, static_cast<size_t>(ScreenWidth) + 1);
    HintInfo.HintStr = BytesToText(std::string_view(Text).substr(0, Head), ByteWise);
    if (Head < Text.size())
        HintInfo.HintStr += QChar(0x2026);
    if (OnHint)
        OnHint(this, FRows->Rows(Row)->Editor.get(), &HintInfo);
    return true;
}

void TNodescope::ShowHint(const THintInfo& HintInfo)
{
    if (!FHintWindow) {
        FHintWindow = new QLabel(this, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                                           Qt::WindowTransparentForInput);
        FHintWindow->setObjectName("ValueHint");
        FHintWindow->setAttribute(Qt::WA_ShowWithoutActivating);
        FHintWindow->setAttribute(Qt::WA_TransparentForMouseEvents);
        // A value is text, never markup a tool tip would guess at.
        FHintWindow->setTextFormat(Qt::PlainText);
        FHintWindow->setPalette(QToolTip::palette());
        FHintWindow->setForegroundRole(QPalette::ToolTipText);
        FHintWindow->setBackgroundRole(QPalette::ToolTipBase);
        FHintWindow->setAutoFillBackground(true);
        FHintWindow->setFrameStyle(QFrame::Box | QFrame::Plain);
        FHintWindow->setLineWidth(1);
        // The text stands where the cell's own text stands: the window's left edge
        // is the split (one left of the cell), the cell's text is 3 pixels further.
        FHintWindow->setContentsMargins(2, 2, 3, 1);
        FHintWindow->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        auto* Timer = new QTimer(FHintWindow);
        Timer->setObjectName("HideTimer");
        Timer->setSingleShot(true);
        connect(Timer, &QTimer::timeout, this, [this] { HideHint(); });
    }
    FHintWindow->setFont(font());
    FHintWindow->setText(HintInfo.HintStr);
    FHintWindow->adjustSize();
    FHintWindow->resize(std::max(FHintWindow->width(), HintInfo.CursorRect.width() + 2), FHintWindow->height());
    FHintWindow->move(HintInfo.HintPos);
    FHintRect = HintInfo.CursorRect;
    FHintWindow->show();
    // Gone after a while, as a tool tip is; longer texts stay longer.
    FHintWindow->findChild<QTimer*>("HideTimer")->start(10000 + 40 * std::min<int>(HintInfo.HintStr.size(), 500));
}

void TNodescope::HideHint()
{
    if (FHintWindow && FHintWindow->isVisible())
        FHintWindow->hide();
}

bool TNodescope::viewportEvent(QEvent* Event)
{
    switch (Event->type()) {
    case QEvent::ToolTip: {
        auto* Help = static_cast<QHelpEvent*>(Event);
        THintInfo Info;
        bool Show = false;
        Guarded([&] { Show = GetValueHint(Help->pos(), Info); });
        if (Show)
            ShowHint(Info);
        else
            HideHint();
        return true;
    }
    case QEvent::MouseMove:
        if (!FHintRect.contains(static_cast<QMouseEvent*>(Event)->position().toPoint()))
            HideHint();
        break;
    case QEvent::Leave:
        // The hint window laid over the pointer is reported as leaving the cell;
        // it takes no input, so the pointer has not left.
        if (FHintRect.contains(viewport()->mapFromGlobal(QCursor::pos())))
            break;
        HideHint();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        HideHint();
        break;
    default:
        break;
    }
    return QAbstractScrollArea::viewportEvent(Event);
}
