// The inspector's in-place controls: the edit over the selected row's value cell,
// its drop-down or ellipsis button and the drop-down list. One of each per
// inspector, re-decided at every placement so that they match the selected row.
#pragma once

#include "inspector/nodescope.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>

#include <cstdint>
#include <string>

class TZListButton;

class TZPopupList : public QListWidget {
    Q_OBJECT
public:
    explicit TZPopupList(TZListButton* AButton);

    // The list's character handling: the incremental search.
    void SearchChar(QChar Char);

    std::string FSearchText;
    uint64_t FSearchTickCount = 0;
    TZListButton* FButton;

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void keyboardSearch(const QString&) override {}
};

class TZListButton : public QWidget {
    Q_OBJECT
public:
    TZListButton(TZInplaceEdit* AEdit, TNodescope* AInspector, QWidget* Parent);

    void DropDown();
    void CloseUp(bool Accept);
    void HideList();
    void HideButton();
    void TrackButton(int X, int Y);
    void StopTracking();
    void FontChanged();
    void ListMouseUp(Qt::MouseButton Button, const QPoint& ListPos);
    void ListMeasureItem(int Index, int& Height);

    TZInplaceEdit* FEdit;
    TNodescope* FInspector;
    int FButtonWidth;
    int FItemHeight = 0;
    bool FPressed = false;
    bool FTracking = false;
    bool FListVisible = false;
    bool FDropDownStyle = false;
    // The list took over a drag that began on the button.
    bool FListDrag = false;
    TZPopupList* FList;

protected:
    void paintEvent(QPaintEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void changeEvent(QEvent* Event) override;
};

class TZInplaceEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TZInplaceEdit(TNodescope* AInspector);

    void MoveEdit(const QRect& Rect) { SetEditBounds(Rect, false); }
    void ShowEdit(const QRect& Rect) { SetEditBounds(Rect, true); }
    void SetEditBounds(const QRect& Rect, bool ForceRedraw);
    // Gives the edit the focus only when it is visible.
    void SetFocus();
    // The value as it is committed: the edited text in the bytes it came from, and
    // after it the hidden tail of a long value. Under the date mask unfilled
    // positions become leading blanks of their group and the separators stay; a
    // mask without any digit is the empty value.
    std::string GetEditText() const;
    // Takes the text by value: a long one's tail is kept without another copy.
    void SetEditText(std::string Text);
    // The character level of typing; false when the character is refused.
    bool HandleChar(int Char);
    void AutoComplete(const QString& Typed);
    void DblClick();
    void CheckBoxClick();

    TNodescope* FInspector;
    TZListButton* FButton;
    QCheckBox* FCheckBox;
    uint64_t FClickTime = 0;
    TEditKind FEditKind = ekText;
    bool FAutoCommit = false;
    bool FNoAutoComplete = false;
    std::string FAllowedChars;
    // How the text came from the stored bytes, and so goes back (BytesToText).
    bool FByteWise = false;
    // The bytes of a long value past the head shown in the edit; they follow the
    // edited head when the value is committed.
    std::string FHiddenTail;

protected:
    void keyPressEvent(QKeyEvent* Event) override;
    void keyReleaseEvent(QKeyEvent* Event) override;
    void focusInEvent(QFocusEvent* Event) override;
    void focusOutEvent(QFocusEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void contextMenuEvent(QContextMenuEvent* Event) override;

private:
    void UserChanged();
    bool FPressWasDouble = false;
};
