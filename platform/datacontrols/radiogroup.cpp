#include "platform/datacontrols/radiogroup.h"

#include "platform/core/exceptions.h"
#include "platform/widgets/application.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QRadioButton>

TRadioGroup::TRadioGroup(QWidget* Parent)
    : QGroupBox(Parent)
    , FFont(new TFont(this))
    , FGroup(new QButtonGroup(this))
{
    // Narrow margins, as the group's fixed pixel width was laid out for: the style's
    // own would cut the items' captions short.
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(6, 2, 2, 2);
    connect(FGroup, &QButtonGroup::idClicked, this, [this](int Index) {
        if (Index == FItemIndex)
            return;
        FItemIndex = Index;
        FPendingIndex = -1;
        if (OnClick)
            Application->Guard([this] { OnClick(this); });
    });
}

void TRadioGroup::SetItems(const QStringList& Value)
{
    FItems = Value;
    FItemIndex = qMin(qMax(FItemIndex, FPendingIndex), int(FItems.size()) - 1);
    FPendingIndex = -1;
    RebuildButtons();
}

void TRadioGroup::SetItemIndex(int Value)
{
    // uic sets the index before the items, which are translatable text.
    FPendingIndex = FItems.isEmpty() ? Value : -1;
    FItemIndex = qBound(-1, Value, int(FItems.size()) - 1);
    CheckButtons();
}

void TRadioGroup::CheckButtons()
{
    if (FItemIndex >= 0) {
        FGroup->button(FItemIndex)->setChecked(true);
        return;
    }
    // An exclusive group cannot uncheck its last checked button itself.
    FGroup->setExclusive(false);
    for (QAbstractButton* button : FGroup->buttons())
        button->setChecked(false);
    FGroup->setExclusive(true);
}

void TRadioGroup::SetColumns(int Value)
{
    FColumns = qBound(1, Value, 16);
    RebuildButtons();
}

QRadioButton* TRadioGroup::Button(int Index) const
{
    if (Index < 0 || Index >= FItems.size())
        throw EListError::IndexError(Index);
    return static_cast<QRadioButton*>(FGroup->button(Index));
}

void TRadioGroup::RebuildButtons()
{
    auto* grid = static_cast<QGridLayout*>(layout());
    for (QAbstractButton* button : FGroup->buttons()) {
        FGroup->removeButton(button);
        delete button;
    }
    const int rows = (int(FItems.size()) + FColumns - 1) / FColumns;
    for (int i = 0; i < FItems.size(); ++i) {
        auto* button = new QRadioButton(FItems[i], this);
        FGroup->addButton(button, i);
        grid->addWidget(button, i % rows, i / rows);
    }
    CheckButtons();
}
