// The inspector's in-place controls: the masked edit over the selected row's value
// cell, its drop-down or ellipsis button, the drop-down list, and the check box of
// boolean rows. They are single instances per inspector, re-decided at every
// placement so that they always match the selected row. An error inside a Qt event
// handler is shown in the error box and never leaves the handler. Stored bytes
// become text and text becomes bytes only through BytesToText and TextToBytes, so
// a value the user does not touch is written back byte for byte; a long value is
// edited in its head, never laid out whole.
#include "inspector/inplace_controls.h"

#include "inspector/text_bytes.h"

#include "platform/core/exceptions.h"
#include "platform/core/formatsettings.h"
#include "xmllib/strs.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QMenu>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyledItemDelegate>
#include <QTimer>

#include <algorithm>
#include <climits>

namespace {

const TColor EditColor = 0x00FFDDBB;
const int SearchPause = 2000;
const size_t MaxSearchText = 32;
const int MaxDropDownRows = 8;

template <typename F> void ShowErrors(F&& Action)
{
    try {
        Action();
    } catch (const std::exception& E) {
        ShowInspectorError(E);
    }
}

// A value longer than this is edited in its head only: laying out a line of
// megabytes takes seconds and hundreds of megabytes, and no cell shows more.
const size_t LongValueChars = 4096;

// The stored bytes of a drop-down item: its text is only their picture.
std::string ItemBytes(const QListWidgetItem* Item)
{
    return Item->data(Qt::UserRole).toByteArray().toStdString();
}

bool StartsWithText(const std::string& Value, const std::string& Prefix)
{
    return Value.size() >= Prefix.size() && EqualText(Value.substr(0, Prefix.size()), Prefix);
}

// The date mask "!99/99/0000;1;_" in Qt's mask language, where the digit letters
// are the other way round: '0' is an optional digit there and '9' a required one.
QString DateInputMask()
{
    const QString Sep(QLatin1Char(FormatSettings.DateSeparator));
    return "00" + Sep + "00" + Sep + "9999;_";
}

const int DateGroups[3] = {2, 2, 4};

// Paints the drop-down items with the row editor's own item drawing.
class TPopupDelegate : public QStyledItemDelegate {
public:
    explicit TPopupDelegate(TZListButton* AButton) : QStyledItemDelegate(AButton), FButton(AButton) {}

    QSize sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const override
    {
        int Height = FButton->FItemHeight;
        FButton->ListMeasureItem(Index.row(), Height);
        return QSize(Option.rect.width(), Height);
    }

    void paint(QPainter* Canvas, const QStyleOptionViewItem& Option, const QModelIndex& Index) const override
    {
        TXMLPropEditor* E = FButton->FInspector->SelectedEditor();
        const bool Selected = Option.state & QStyle::State_Selected;
        const QPalette& P = Option.palette;
        Canvas->save();
        Canvas->setFont(FButton->FInspector->font());
        Canvas->setBrush(Selected ? P.color(QPalette::Highlight) : P.color(QPalette::Base));
        Canvas->setPen(Selected ? P.color(QPalette::HighlightedText) : P.color(QPalette::Text));
        const std::string Text = Index.data(Qt::UserRole).toByteArray().toStdString();
        try {
            if (E)
                E->DrawListValue(Text, Canvas, Option.rect, Selected);
        } catch (const std::exception&) {
            // A list item that cannot be drawn stays blank; the list stays usable.
        }
        Canvas->restore();
        if (Selected) {
            QStyleOptionFocusRect Focus;
            Focus.rect = Option.rect;
            Focus.state = QStyle::State_HasFocus;
            Focus.palette = P;
            QApplication::style()->drawPrimitive(QStyle::PE_FrameFocusRect, &Focus, Canvas);
        }
    }

private:
    TZListButton* FButton;
};

} // namespace

// ---------------------------------------------------------------------------

TZInplaceEdit::TZInplaceEdit(TNodescope* AInspector) : QLineEdit(AInspector->viewport()), FInspector(AInspector)
{
    setFrame(false);
    setFocusPolicy(Qt::ClickFocus);
    setAutoFillBackground(true);
    QPalette P = palette();
    P.setColor(QPalette::Base, ColorToQColor(EditColor));
    P.setColor(QPalette::Window, ColorToQColor(EditColor));
    setPalette(P);
    // Qt's own 2-pixel margin is the formatting rectangle's: the text starts where
    // the painted value of an unselected row does.
    setTextMargins(0, 0, 0, 0);
    hide();
    FButton = new TZListButton(this, AInspector, AInspector->viewport());
    FCheckBox = new QCheckBox(AInspector->viewport());
    FCheckBox->setFocusPolicy(Qt::NoFocus);
    FCheckBox->setStyleSheet(QStringLiteral("QCheckBox { background-color: %1; }").arg(ColorToQColor(EditColor).name()));
    FCheckBox->setGeometry(-1000, 0, 20, 16);
    FCheckBox->hide();
    connect(FCheckBox, &QCheckBox::clicked, this, [this] { CheckBoxClick(); });
    connect(this, &QLineEdit::textEdited, this, [this] { UserChanged(); });
}

void TZInplaceEdit::SetFocus()
{
    if (isVisible())
        setFocus(Qt::OtherFocusReason);
}

void TZInplaceEdit::SetEditBounds(const QRect& Rect, bool ForceRedraw)
{
    if (Rect.isEmpty())
        return;
    try {
        const bool Redraw = ForceRedraw || !isVisible();
        FEditKind = FInspector->EditKind();
        TXMLPropEditor* E = FInspector->SelectedEditor();
        const TEditorFlags Flags = E ? E->GetFlags() : 0;
        const bool ShowButton = FEditKind != ekText && FEditKind != ekDate && !FInspector->ReadOnly() &&
                                ((Flags & efButton) || FEditKind == ekList);
        const int Width = Rect.width() - (ShowButton ? FButton->FButtonWidth : 0);
        setGeometry(Rect.left(), Rect.top(), std::max(Width, 0), Rect.height());
        show();
        if (ShowButton) {
            FButton->FDropDownStyle = FEditKind == ekList || FEditKind == ekBoolean;
            FButton->setGeometry(Rect.left() + Width, Rect.top(), FButton->FButtonWidth, Rect.height());
            FButton->show();
            FButton->raise();
        } else {
            FButton->HideButton();
        }
        if (FEditKind == ekBoolean) {
            FCheckBox->setEnabled(!FInspector->ReadOnly());
            FCheckBox->setChecked(E && E->GetValue() == "true");
            FCheckBox->setGeometry(Rect.left() + 3, Rect.top(), 20, Rect.height());
            FCheckBox->show();
            FCheckBox->raise();
        } else {
            FCheckBox->move(-1000, Rect.top());
        }
        const QString Mask = FEditKind == ekDate ? DateInputMask() : QString();
        // Setting the same mask again would re-parse the text being typed.
        if (inputMask() != Mask)
            setInputMask(Mask);
        if (Redraw) {
            update();
            FButton->update();
            FCheckBox->update();
        }
        if (FInspector->hasFocus())
            setFocus(Qt::OtherFocusReason);
    } catch (const std::exception&) {
        // A placement that fails leaves the controls where they got to.
    }
}

std::string TZInplaceEdit::GetEditText() const
{
    if (inputMask().isEmpty())
        return TextToBytes(text(), FByteWise) + FHiddenTail;
    // Qt keeps unfilled positions as the blank character; the stored form has them
    // as leading blanks of each group, separators included. A mask without a digit
    // is no date at all: the row is cleared, whatever the separator.
    const QString Shown = displayText();
    if (std::none_of(Shown.begin(), Shown.end(), [](QChar C) { return C.isDigit(); }))
        return std::string();
    std::string Result;
    int Pos = 0;
    for (int G = 0; G < 3; ++G) {
        std::string Digits;
        for (int I = 0; I < DateGroups[G] && Pos < Shown.size(); ++I, ++Pos)
            if (Shown[Pos].isDigit())
                Digits += static_cast<char>(Shown[Pos].unicode());
        Result += std::string(DateGroups[G] - Digits.size(), ' ') + Digits;
        if (G < 2) {
            Result += FormatSettings.DateSeparator;
            ++Pos;
        }
    }
    return Result;
}

void TZInplaceEdit::SetEditText(std::string Text)
{
    FHiddenTail.clear();
    FByteWise = false;
    if (inputMask().isEmpty()) {
        FByteWise = !IsLocalText(Text);
        // Only the head of a long value goes into the edit; the rest is kept aside
        // and comes back after the head, edited or not.
        const size_t Head = TextHeadSize(Text, FByteWise, LongValueChars);
        const QString Shown = BytesToText(std::string_view(Text).substr(0, Head), FByteWise);
        Text.erase(0, Head);
        FHiddenTail = std::move(Text);
        // A stored value is shown whole, never cut to the typing limit.
        if (maxLength() < Shown.size())
            setMaxLength(static_cast<int>(Shown.size()));
        setText(Shown);
        return;
    }
    // Digits of each group, whatever separator the stored value used.
    std::vector<std::string> Groups(1);
    for (char C : Text) {
        if (C >= '0' && C <= '9')
            Groups.back() += C;
        else if (C != ' ')
            Groups.emplace_back();
    }
    QString Shown;
    for (int G = 0; G < 3; ++G) {
        std::string Digits = G < static_cast<int>(Groups.size()) ? Groups[G] : std::string();
        if (static_cast<int>(Digits.size()) > DateGroups[G])
            Digits.resize(DateGroups[G]);
        Shown += BytesToText(Digits) + QString(DateGroups[G] - static_cast<int>(Digits.size()), QLatin1Char('_'));
        if (G < 2)
            Shown += QLatin1Char(FormatSettings.DateSeparator);
    }
    setText(Shown);
}

bool TZInplaceEdit::HandleChar(int Char)
{
    FNoAutoComplete = Char == 8 || hasSelectedText();
    FEditKind = FInspector->EditKind();
    switch (Char) {
    case 10:
        DblClick();
        return false;
    case 13:
        if (isModified())
            FInspector->PostEdit(true);
        else
            selectAll();
        return false;
    case 27: {
        TXMLPropEditor* E = FInspector->SelectedEditor();
        if (E && (E->GetFlags() & efRevertable))
            FInspector->LoadEdit(false);
        return false;
    }
    case 32:
        if (FEditKind == ekBoolean) {
            DblClick();
            return false;
        }
        break;
    default:
        break;
    }
    if (Char != 8 && !FAllowedChars.empty() && FAllowedChars.find(static_cast<char>(Char)) == std::string::npos)
        return false;
    if (FEditKind == ekBoolean)
        return false;
    return true;
}

void TZInplaceEdit::keyPressEvent(QKeyEvent* Event)
{
    const int Key = Event->key();
    const Qt::KeyboardModifiers Mods = Event->modifiers();
    Event->accept();
    if (Key == Qt::Key_Down && (Mods & Qt::AltModifier)) {
        if (FEditKind == ekList && !FButton->FListVisible)
            ShowErrors([&] { FButton->DropDown(); });
        return;
    }
    // Insert, and Delete where nothing can be typed (a read-only value), are the
    // row's own: they add and remove elements when the inspector allows it.
    const bool Plain = !(Mods & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier | Qt::MetaModifier));
    if (FInspector->AllowStructureEdits() && Plain && (Key == Qt::Key_Insert || (Key == Qt::Key_Delete && isReadOnly()))) {
        ShowErrors([&] { FInspector->KeyDown(Key, Mods); });
        return;
    }
    FNoAutoComplete = Key == Qt::Key_Delete;
    const bool Enter = Key == Qt::Key_Return || Key == Qt::Key_Enter;
    if (Enter && (Mods & Qt::ControlModifier)) {
        // Ctrl+Enter is the line-feed character: it steps this row's value and
        // does not move to the next row first.
        ShowErrors([&] { HandleChar(10); });
        return;
    }
    // Ctrl+Left/Right open and close the row, as on the control: the focus is
    // always here, so the control would never see them otherwise.
    const bool CtrlArrow = (Key == Qt::Key_Left || Key == Qt::Key_Right) &&
                           (Mods & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier)) == Qt::ControlModifier;
    if (CtrlArrow) {
        ShowErrors([&] { FInspector->KeyDown(Key, Mods); });
        return;
    }
    if (Enter || Key == Qt::Key_PageUp || Key == Qt::Key_PageDown || Key == Qt::Key_Up || Key == Qt::Key_Down) {
        ShowErrors([&] {
            FInspector->KeyDown(Key, Mods);
            if (Enter)
                HandleChar(13);
        });
        return;
    }
    // The character level: what the key types, if anything.
    int Char = -1;
    if (Key == Qt::Key_Backspace)
        Char = 8;
    else if (Key == Qt::Key_Escape)
        Char = 27;
    else if ((Mods & Qt::ControlModifier) && !(Mods & Qt::AltModifier) && Key >= Qt::Key_A && Key <= Qt::Key_Z)
        Char = Key - Qt::Key_A + 1;
    else if (Key != Qt::Key_Delete && !Event->text().isEmpty() && Event->text()[0].unicode() >= 32 &&
             Event->text()[0].unicode() != 127) {
        const std::string Bytes = TextToBytes(Event->text().left(1), FByteWise);
        Char = Bytes.empty() ? -1 : static_cast<unsigned char>(Bytes[0]);
    }
    bool Pass = true;
    if (Char >= 0)
        ShowErrors([&] { Pass = HandleChar(Char); });
    if (Pass && Char != 27)
        QLineEdit::keyPressEvent(Event);
    Event->accept();
}

void TZInplaceEdit::keyReleaseEvent(QKeyEvent* Event)
{
    FInspector->KeyUp(Event->key(), Event->modifiers());
    QLineEdit::keyReleaseEvent(Event);
}

void TZInplaceEdit::focusInEvent(QFocusEvent* Event)
{
    QLineEdit::focusInEvent(Event);
}

void TZInplaceEdit::focusOutEvent(QFocusEvent* Event)
{
    QLineEdit::focusOutEvent(Event);
    if (!FInspector || FInspector->FDestroying || Event->reason() == Qt::PopupFocusReason)
        return;
    QWidget* Next = QApplication::focusWidget();
    if (Next == FInspector || Next == FInspector->viewport() || Next == FButton)
        return;
    bool Accepted = true;
    ShowErrors([&] { Accepted = FInspector->PostEdit(true); });
    if (!Accepted && Next) {
        // A refused value cannot be left by clicking elsewhere in the program.
        QTimer::singleShot(0, this, [this] { SetFocus(); });
    }
}

void TZInplaceEdit::contextMenuEvent(QContextMenuEvent* Event)
{
    if (!FInspector->AllowStructureEdits()) {
        QLineEdit::contextMenuEvent(Event);
        return;
    }
    // The edit's own items, then the row's.
    Event->accept();
    ShowErrors([&] { FInspector->ShowStructureMenu(FInspector->SelectedRow(), Event->globalPos(), createStandardContextMenu()); });
}

void TZInplaceEdit::mousePressEvent(QMouseEvent* Event)
{
    if (Event->button() != Qt::LeftButton) {
        QLineEdit::mousePressEvent(Event);
        return;
    }
    const uint64_t Now = FInspector->TickCount();
    const bool Double =
        FClickTime != 0 && Now - FClickTime < static_cast<uint64_t>(QApplication::doubleClickInterval());
    FClickTime = 0;
    FPressWasDouble = Double;
    QLineEdit::mousePressEvent(Event);
    if (Double)
        DblClick();
}

void TZInplaceEdit::mouseDoubleClickEvent(QMouseEvent* Event)
{
    // A press that already counted as the double click is not counted twice.
    if (FPressWasDouble) {
        FPressWasDouble = false;
        return;
    }
    QLineEdit::mouseDoubleClickEvent(Event);
    if (Event->button() == Qt::LeftButton)
        DblClick();
}

void TZInplaceEdit::DblClick()
{
    ShowErrors([&] { FInspector->RowDoubleClick(); });
}

void TZInplaceEdit::UserChanged()
{
    if (!isModified())
        return;
    ShowErrors([&] {
        if (FEditKind == ekList && !FNoAutoComplete)
            AutoComplete(text());
        FNoAutoComplete = false;
        if (FAutoCommit)
            FInspector->PostEdit(false);
    });
}

void TZInplaceEdit::AutoComplete(const QString& Typed)
{
    TXMLPropEditor* E = FInspector->SelectedEditor();
    if (!E)
        return;
    std::vector<std::string> Values;
    E->GetValueList([&Values](void*, const std::string& S) { Values.push_back(S); }, nullptr);
    // Compared as the user sees them; the value goes in as stored, however it decodes.
    for (const std::string& Value : Values) {
        const QString Whole = BytesToText(Value);
        if (!Whole.startsWith(Typed, Qt::CaseInsensitive))
            continue;
        SetEditText(Value);
        setSelection(static_cast<int>(Typed.size()), static_cast<int>(text().size() - Typed.size()));
        setModified(true);
        return;
    }
}

void TZInplaceEdit::CheckBoxClick()
{
    ShowErrors([&] {
        if (TXMLPropEditor* E = FInspector->SelectedEditor())
            E->SetValue(FCheckBox->isChecked() ? "true" : "false");
    });
}

// ---------------------------------------------------------------------------

TZPopupList::TZPopupList(TZListButton* AButton)
    : QListWidget(AButton), FButton(AButton)
{
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setItemDelegate(new TPopupDelegate(AButton));
    setMouseTracking(false);
    move(-200, 0);
    hide();
}

void TZPopupList::SearchChar(QChar Char)
{
    const uint64_t Now = FButton->FInspector->TickCount();
    if (Now - FSearchTickCount > static_cast<uint64_t>(SearchPause))
        FSearchText.clear();
    FSearchTickCount = Now;
    if (FSearchText.size() < MaxSearchText)
        FSearchText += TextToBytes(QString(Char), false);
    const QString Search = BytesToText(FSearchText);
    for (int I = 0; I < count(); ++I)
        if (item(I)->text().startsWith(Search, Qt::CaseInsensitive)) {
            setCurrentRow(I);
            break;
        }
}

void TZPopupList::keyPressEvent(QKeyEvent* Event)
{
    const QString Text = Event->text();
    if (Event->key() == Qt::Key_Backspace || Event->key() == Qt::Key_Escape) {
        FSearchText.clear();
    } else if (!Text.isEmpty() && Text[0].unicode() >= 32 && Text[0].unicode() != 127 &&
               !(Event->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
        SearchChar(Text[0]);
        Event->accept();
        return;
    }
    QListWidget::keyPressEvent(Event);
}

void TZPopupList::mousePressEvent(QMouseEvent* Event)
{
    QListWidget::mousePressEvent(Event);
}

void TZPopupList::mouseMoveEvent(QMouseEvent* Event)
{
    if (Event->buttons() & Qt::LeftButton) {
        const int Row = indexAt(Event->position().toPoint()).row();
        if (Row >= 0)
            setCurrentRow(Row);
        return;
    }
    QListWidget::mouseMoveEvent(Event);
}

void TZPopupList::mouseReleaseEvent(QMouseEvent* Event)
{
    QListWidget::mouseReleaseEvent(Event);
    FButton->ListMouseUp(Event->button(), Event->position().toPoint());
}

// ---------------------------------------------------------------------------

TZListButton::TZListButton(TZInplaceEdit* AEdit, TNodescope* AInspector, QWidget* Parent)
    : QWidget(Parent), FEdit(AEdit), FInspector(AInspector)
{
    FButtonWidth = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    setFocusPolicy(Qt::NoFocus);
    FList = new TZPopupList(this);
    FontChanged();
    hide();
}

void TZListButton::FontChanged()
{
    FItemHeight = QFontMetrics(FInspector->font()).height() + 2;
}

void TZListButton::changeEvent(QEvent* Event)
{
    QWidget::changeEvent(Event);
    if (Event->type() == QEvent::FontChange)
        FontChanged();
}

void TZListButton::paintEvent(QPaintEvent*)
{
    QPainter Canvas(this);
    const QRect R = rect().adjusted(-1, -1, 1, 1);
    QStyleOptionButton Option;
    Option.initFrom(this);
    Option.rect = R;
    Option.state |= FPressed ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonCommand, &Option, &Canvas, this);
    if (FDropDownStyle) {
        QStyleOption Arrow;
        Arrow.initFrom(this);
        Arrow.rect = R.adjusted(3, 3, -3, -3).translated(FPressed ? 1 : 0, FPressed ? 1 : 0);
        style()->drawPrimitive(QStyle::PE_IndicatorArrowDown, &Arrow, &Canvas, this);
        return;
    }
    const int W = std::max(FButtonWidth / 8, 1);
    int X0 = R.left() + (R.right() + 1 - R.left()) / 2 - 1;
    int Y0 = R.top() + (R.bottom() + 1 - R.top()) / 2 - 1;
    if (FPressed) {
        ++X0;
        ++Y0;
    }
    const QColor Dots = isEnabled() ? Qt::black : palette().color(QPalette::Disabled, QPalette::ButtonText);
    for (int X : {X0 - 2 * W, X0, X0 + 2 * W})
        Canvas.fillRect(QRect(X, Y0, W, W), Dots);
}

void TZListButton::TrackButton(int X, int Y)
{
    const bool NewPressed = rect().contains(X, Y);
    if (NewPressed == FPressed)
        return;
    if (FPressed && !FDropDownStyle && FInspector->OnButton)
        FInspector->OnButton(FInspector);
    FPressed = NewPressed;
    update();
}

void TZListButton::StopTracking()
{
    if (FTracking) {
        TrackButton(-1, -1);
        FTracking = false;
    }
}

void TZListButton::mousePressEvent(QMouseEvent* Event)
{
    if (Event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(Event);
        return;
    }
    ShowErrors([&] {
        if (FListVisible) {
            CloseUp(false);
        } else {
            FTracking = true;
            const QPoint P = Event->position().toPoint();
            TrackButton(P.x(), P.y());
            if (FDropDownStyle)
                DropDown();
        }
    });
}

void TZListButton::mouseMoveEvent(QMouseEvent* Event)
{
    const QPoint P = Event->position().toPoint();
    if (FListDrag) {
        const QPoint InList = FList->viewport()->mapFromGlobal(mapToGlobal(P));
        const int Row = FList->indexAt(InList).row();
        if (Row >= 0)
            FList->setCurrentRow(Row);
        return;
    }
    if (FTracking) {
        ShowErrors([&] { TrackButton(P.x(), P.y()); });
        if (FListVisible) {
            const QPoint InList = FList->viewport()->mapFromGlobal(mapToGlobal(P));
            if (FList->viewport()->rect().contains(InList)) {
                // The list takes over the drag that began on the button.
                StopTracking();
                FListDrag = true;
                const int Row = FList->indexAt(InList).row();
                if (Row >= 0)
                    FList->setCurrentRow(Row);
                return;
            }
        }
    }
    QWidget::mouseMoveEvent(Event);
}

void TZListButton::mouseReleaseEvent(QMouseEvent* Event)
{
    if (FListDrag) {
        FListDrag = false;
        ListMouseUp(Event->button(), FList->viewport()->mapFromGlobal(mapToGlobal(Event->position().toPoint())));
        return;
    }
    if (Event->button() == Qt::LeftButton) {
        const bool WasPressed = FPressed;
        ShowErrors([&] {
            StopTracking();
            if (!FDropDownStyle && WasPressed)
                FEdit->DblClick();
        });
    }
    QWidget::mouseReleaseEvent(Event);
}

void TZListButton::keyPressEvent(QKeyEvent* Event)
{
    if (!FListVisible) {
        QWidget::keyPressEvent(Event);
        return;
    }
    const int Key = Event->key();
    const bool Enter = Key == Qt::Key_Return || Key == Qt::Key_Enter;
    if ((Enter || Key == Qt::Key_Escape) && !(Event->modifiers() & Qt::AltModifier)) {
        ShowErrors([&] { CloseUp(Enter); });
        Event->accept();
        return;
    }
    QApplication::sendEvent(FList, Event);
    Event->accept();
}

void TZListButton::focusOutEvent(QFocusEvent* Event)
{
    QWidget::focusOutEvent(Event);
    ShowErrors([&] { CloseUp(false); });
}

void TZListButton::ListMeasureItem(int, int& Height)
{
    Height = FItemHeight;
    if (TXMLPropEditor* E = FInspector->SelectedEditor()) {
        QImage Image(1, 1, QImage::Format_RGB32);
        QPainter Canvas(&Image);
        Canvas.setFont(FInspector->font());
        E->MeasureListHeight(E->GetName(), &Canvas, Height);
    }
}

void TZListButton::DropDown()
{
    if (FListVisible)
        return;
    TXMLPropEditor* E = FInspector->SelectedEditor();
    if (!E)
        return;
    const TEditorFlags Flags = E->GetFlags();
    FList->clear();
    std::vector<std::string> Values;
    E->GetValueList([&Values](void*, const std::string& S) { Values.push_back(S); }, nullptr);
    if (Flags & efSortList)
        std::stable_sort(Values.begin(), Values.end(),
                         [](const std::string& A, const std::string& B) {
                             return std::lexicographical_compare(A.begin(), A.end(), B.begin(), B.end(),
                                                                 [](char X, char Y) {
                                                                     return UpperCaseTable[static_cast<unsigned char>(X)] <
                                                                            UpperCaseTable[static_cast<unsigned char>(Y)];
                                                                 });
                         });
    for (const std::string& Value : Values) {
        auto* Item = new QListWidgetItem(VisibleText(Value, FInspector->ClientWidth()));
        Item->setData(Qt::UserRole, QByteArray(Value.data(), static_cast<qsizetype>(Value.size())));
        FList->addItem(Item);
    }
    const std::string Current = E->GetValue();
    for (int I = 0; I < FList->count(); ++I)
        if (StartsWithText(Values[I], Current)) {
            FList->setCurrentRow(I);
            break;
        }

    QImage Image(1, 1, QImage::Format_RGB32);
    QPainter Canvas(&Image);
    Canvas.setFont(FInspector->font());
    const std::string Name = E->GetName();
    const int Rows = std::max(1, std::min(FList->count(), MaxDropDownRows));
    int H = FItemHeight;
    E->MeasureListHeight(Name, &Canvas, H);
    const int ListHeight = Rows * H + 2;

    const int ScrollWidth = FList->count() > Rows ? FList->style()->pixelMetric(QStyle::PM_ScrollBarExtent) : 0;
    int W = FEdit->width() + FButtonWidth + 1 - 2 - ScrollWidth;
    const QFontMetrics Metrics(FInspector->font());
    for (int I = 0; I < FList->count(); ++I) {
        int ItemWidth = Metrics.horizontalAdvance(FList->item(I)->text()) + 4;
        E->MeasureListWidth(Name, &Canvas, ItemWidth);
        W = std::max(W, ItemWidth);
    }
    int ListWidth = W + 2 + ScrollWidth;
    if (ListWidth > FInspector->ClientWidth())
        ListWidth = FInspector->ClientWidth();

    QPoint P = mapToGlobal(QPoint(width(), height()));
    const QScreen* Screen = screen() ? screen() : QGuiApplication::primaryScreen();
    const int ScreenHeight = Screen ? Screen->geometry().bottom() + 1 : INT_MAX;
    if (P.y() + ListHeight > ScreenHeight)
        P.setY(P.y() - height() - ListHeight);
    FList->setGeometry(P.x() - ListWidth, P.y(), ListWidth, ListHeight);
    FList->show();
    FList->raise();
    if (FList->currentItem())
        FList->scrollToItem(FList->currentItem());
    setFocus(Qt::OtherFocusReason);
    FListVisible = true;
}

void TZListButton::CloseUp(bool Accept)
{
    if (!FListVisible)
        return;
    const int Index = FList->currentRow();
    std::string Value;
    if (Index < 0 || Index >= FList->count())
        Accept = false;
    else
        Value = ItemBytes(FList->item(Index));
    HideList();
    FEdit->HandleChar(27);
    FListVisible = false;
    if (Accept) {
        FEdit->SetEditText(Value);
        FEdit->setModified(true);
        FEdit->HandleChar(13);
    }
    if (hasFocus())
        FEdit->setFocus(Qt::OtherFocusReason);
}

void TZListButton::ListMouseUp(Qt::MouseButton Button, const QPoint& ListPos)
{
    if (Button != Qt::LeftButton)
        return;
    ShowErrors([&] { CloseUp(FList->viewport()->rect().contains(ListPos)); });
}

void TZListButton::HideList()
{
    if (FList->isVisible())
        FList->hide();
}

void TZListButton::HideButton()
{
    if (isVisible())
        hide();
}
