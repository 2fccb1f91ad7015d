#include "platform/datacontrols/dbnavigator.h"

#include "platform/datacontrols/fielddatalink.h"
#include "platform/widgets/application.h"

#include <QToolButton>

const std::array<TDBNavigator::TNavigateBtn, TDBNavigator::ButtonCount> TDBNavigator::AllButtons = {
    nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbEdit, nbPost, nbCancel, nbRefresh};

namespace {

const char* const DefaultHints[TDBNavigator::ButtonCount] = {
    "First record", "Prior record", "Next record", "Last record", "Insert record",
    "Delete record", "Edit record", "Post edit", "Cancel edit", "Refresh data"};

} // namespace

class TDBNavigator::TNavDataLink : public TDataLink {
public:
    explicit TNavDataLink(TDBNavigator* Navigator) : FNavigator(Navigator) {}
    ~TNavDataLink() override
    {
        if (FSource)
            FSource->RemoveLink(this);
    }
    void SetSource(TDataSource* Value)
    {
        if (FSource)
            FSource->RemoveLink(this);
        FSource = Value;
        if (FSource)
            FSource->AddLink(this);
    }
    void DataEvent(int Event, TField*) override
    {
        if (Event == deCheckBrowseMode || Event == deFieldChange)
            return;
        if (FSource->DataSet() && FSource->DataSet()->ControlsDisabled())
            return;
        FNavigator->UpdateButtons();
    }
    void SourceDestroyed() override
    {
        FSource = nullptr;
        FNavigator->UpdateButtons();
    }
    TDataSource* FSource = nullptr;

private:
    TDBNavigator* FNavigator;
};

TDBNavigator::TDBNavigator(QWidget* Parent)
    : QWidget(Parent)
    , FDataLink(std::make_unique<TNavDataLink>(this))
{
    for (int i = 0; i < ButtonCount; ++i) {
        auto* button = new QToolButton(this);
        const TNavigateBtn which = AllButtons[i];
        button->setObjectName(QString("Nav%1").arg(i));
        button->setIcon(NavigatorGlyph(which));
        // The focus stays in the edit being typed in; Post writes its text first.
        button->setFocusPolicy(Qt::NoFocus);
        connect(button, &QToolButton::clicked, this, [this, which] {
            Application->Guard([this, which] { BtnClick(which); });
        });
        FButtons[i] = button;
    }
    SetVisibleButtons(TButtonSet(0x3ff));
    UpdateButtons();
}

TDBNavigator::~TDBNavigator() = default;

int TDBNavigator::IndexOf(TNavigateBtn Button)
{
    for (int i = 0; i < ButtonCount; ++i)
        if (AllButtons[i] == Button)
            return i;
    return 0;
}

TDataSource* TDBNavigator::DataSource() const
{
    return FDataLink->FSource;
}

void TDBNavigator::SetDataSource(TDataSource* Value)
{
    FDataLink->SetSource(Value);
    UpdateButtons();
}

void TDBNavigator::SetDataSourceObject(QObject* Value)
{
    SetDataSource(dynamic_cast<TDataSource*>(Value));
}

void TDBNavigator::SetVisibleButtons(TButtonSet Value)
{
    FVisibleButtons = Value;
    for (int i = 0; i < ButtonCount; ++i)
        FButtons[i]->setVisible(Value.testFlag(AllButtons[i]));
    LayoutButtons();
    updateGeometry();
}

void TDBNavigator::SetShowHint(bool Value)
{
    FShowHint = Value;
    UpdateHints();
}

void TDBNavigator::SetHints(const QStringList& Value)
{
    FHints = Value;
    UpdateHints();
}

void TDBNavigator::SetFlat(bool Value)
{
    FFlat = Value;
    for (QToolButton* button : FButtons)
        button->setAutoRaise(Value);
}

QToolButton* TDBNavigator::Button(TNavigateBtn Index) const
{
    return FButtons[IndexOf(Index)];
}

QString TDBNavigator::ButtonHint(TNavigateBtn Index) const
{
    const int i = IndexOf(Index);
    const QString own = FHints.value(i);
    return own.isEmpty() ? QString(DefaultHints[i]) : own;
}

void TDBNavigator::UpdateHints()
{
    for (int i = 0; i < ButtonCount; ++i)
        FButtons[i]->setToolTip(FShowHint ? ButtonHint(AllButtons[i]) : QString());
}

void TDBNavigator::BtnClick(TNavigateBtn Index)
{
    TDataSource* source = DataSource();
    if (!source || source->State() == dsInactive)
        return;
    TDataSet* ds = source->DataSet();
    if (BeforeAction)
        BeforeAction(this, Index);
    switch (Index) {
    case nbFirst: ds->First(); break;
    case nbPrior: ds->Prior(); break;
    case nbNext: ds->Next(); break;
    case nbLast: ds->Last(); break;
    case nbInsert: ds->Insert(); break;
    case nbDelete: ds->Delete(); break;
    case nbEdit: ds->Edit(); break;
    case nbPost: ds->Post(); break;
    case nbCancel: ds->Cancel(); break;
    case nbRefresh: ds->Refresh(); break;
    }
    if (OnClick)
        OnClick(this, Index);
}

void TDBNavigator::UpdateButtons()
{
    // A hidden navigator asks the dataset when it is shown again.
    if (!isVisible()) {
        FStale = true;
        return;
    }
    FStale = false;
    TDataSource* source = DataSource();
    const TDataSetState state = source ? source->State() : dsInactive;
    const bool active = state != dsInactive;
    TDataSet* ds = active ? source->DataSet() : nullptr;
    const bool editing = state == dsEdit || state == dsInsert;
    const bool bof = ds && ds->Bof(), eof = ds && ds->Eof();
    const bool canModify = ds && ds->CanModify();
    auto enable = [this](TNavigateBtn button, bool on) { Button(button)->setEnabled(on); };
    enable(nbFirst, active && !bof);
    enable(nbPrior, active && !bof);
    enable(nbNext, active && !eof);
    enable(nbLast, active && !eof);
    enable(nbInsert, canModify);
    enable(nbDelete, canModify && !(bof && eof));
    enable(nbEdit, canModify && !editing);
    enable(nbPost, canModify && editing);
    enable(nbCancel, canModify && editing);
    enable(nbRefresh, active && !editing);
}

void TDBNavigator::LayoutButtons()
{
    QList<QToolButton*> shown;
    for (QToolButton* button : FButtons)
        if (!button->isHidden())
            shown << button;
    if (shown.isEmpty())
        return;
    // The width is shared out evenly; the first buttons take the pixels left over.
    const int each = width() / shown.size();
    int extra = width() % shown.size();
    int x = 0;
    for (QToolButton* button : shown) {
        const int w = each + (extra > 0 ? 1 : 0);
        if (extra > 0)
            --extra;
        button->setGeometry(x, 0, w, height());
        x += w;
    }
}

QSize TDBNavigator::sizeHint() const
{
    int shown = 0;
    for (QToolButton* button : FButtons)
        shown += button->isHidden() ? 0 : 1;
    return QSize(25 * std::max(shown, 1), 25);
}

void TDBNavigator::resizeEvent(QResizeEvent* Event)
{
    QWidget::resizeEvent(Event);
    LayoutButtons();
}

void TDBNavigator::showEvent(QShowEvent* Event)
{
    QWidget::showEvent(Event);
    if (FStale)
        UpdateButtons();
}
