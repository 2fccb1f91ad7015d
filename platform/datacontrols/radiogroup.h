// A framed group of radio buttons made from Items, in Columns columns filled top to
// bottom. ItemIndex is the checked item or -1. New Items keep the checked index
// while it still exists, so translating the items does not lose the user's choice.
#pragma once

#include "platform/datacontrols/font.h"
#include "platform/core/object.h"

#include <QGroupBox>
#include <QStringList>

#include <functional>

class QButtonGroup;
class QRadioButton;

class TRadioGroup : public QGroupBox, public TObject {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ title WRITE setTitle)
    Q_PROPERTY(QString Hint READ toolTip WRITE setToolTip)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(TFont* Font READ Font)
    Q_PROPERTY(QStringList Items READ Items WRITE SetItems)
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE SetItemIndex)
    Q_PROPERTY(int Columns READ Columns WRITE SetColumns)

public:
    explicit TRadioGroup(QWidget* Parent = nullptr);

    bool Visible() const { return !isHidden(); }
    TFont* Font() const { return FFont; }
    QStringList Items() const { return FItems; }
    void SetItems(const QStringList& Value);
    int ItemIndex() const { return FItemIndex; }
    // Clamped to -1 .. the last item; while there are no items, the index is
    // chosen when they are set.
    void SetItemIndex(int Value);
    int Columns() const { return FColumns; }
    void SetColumns(int Value);

    // The radio button of an item, for focusing and clicking it.
    QRadioButton* Button(int Index) const;

    // When the user checks another item (ItemIndex already changed).
    std::function<void(TObject* Sender)> OnClick;

private:
    void RebuildButtons();
    void CheckButtons();

    TFont* FFont;
    QButtonGroup* FGroup;
    QStringList FItems;
    int FItemIndex = -1;
    // An index set while there were no items, chosen when they come.
    int FPendingIndex = -1;
    int FColumns = 1;
};
