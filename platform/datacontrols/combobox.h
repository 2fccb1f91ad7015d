// A combo box of fixed entries: csDropDown lets the user type any text as well,
// csDropDownList only choose an entry. OnChange runs when the user changes the
// choice or the text; the program's own changes do not raise it.
#pragma once

#include "platform/datacontrols/font.h"
#include "platform/core/object.h"

#include <QComboBox>
#include <QStringList>

#include <functional>

class TComboBox : public QComboBox, public TObject {
    Q_OBJECT
    Q_PROPERTY(QString Text READ currentText WRITE SetText)
    Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(TFont* Font READ Font)
    Q_PROPERTY(QStringList Items READ Items WRITE SetItems)
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE SetItemIndex)
    Q_PROPERTY(TComboBoxStyle Style READ Style WRITE SetStyle)
    Q_PROPERTY(int DropDownCount READ maxVisibleItems WRITE setMaxVisibleItems)

public:
    enum TComboBoxStyle { csDropDown, csDropDownList };
    Q_ENUM(TComboBoxStyle)

    explicit TComboBox(QWidget* Parent = nullptr);

    // Typed text in csDropDown; in csDropDownList the entry of that text is chosen,
    // or none.
    void SetText(const QString& Value);
    bool Visible() const { return !isHidden(); }
    TFont* Font() const { return FFont; }
    QStringList Items() const;
    // Keeps the chosen index while it still exists, and typed text.
    void SetItems(const QStringList& Value);
    // The chosen entry, or -1; typed text is no entry.
    int ItemIndex() const;
    // -1 chooses none (and empties the text); an index past the end as well. While
    // there are no items, the index is chosen when they are set.
    void SetItemIndex(int Value);
    TComboBoxStyle Style() const { return isEditable() ? csDropDown : csDropDownList; }
    void SetStyle(TComboBoxStyle Value);

    std::function<void(TObject* Sender)> OnChange;

private:
    void Changed();
    void ConnectEdit();

    TFont* FFont;
    // An index set while there were no items, chosen when they come.
    int FPendingIndex = -1;
};
