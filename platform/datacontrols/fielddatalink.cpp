// The field data link. Events reach a link even while the dataset's controls are
// disabled (detail links need them); a control ignores those, except the check before
// the record is posted or left, which must still write what the user typed.
#include "platform/datacontrols/fielddatalink.h"

#include "platform/core/formatsettings.h"
#include "platform/datacontrols/controlkeys.h"
#include "platform/datacontrols/keypress.h"
#include "platform/widgets/application.h"

#include <QApplication>
#include <QKeyEvent>

#include <algorithm>
#include <vector>

TFieldDataLink::TFieldDataLink() = default;

TFieldDataLink::~TFieldDataLink()
{
    if (FDataSource)
        FDataSource->RemoveLink(this);
}

void TFieldDataLink::SetDataSource(TDataSource* Value)
{
    if (FDataSource == Value)
        return;
    if (FDataSource)
        FDataSource->RemoveLink(this);
    FDataSource = Value;
    if (FDataSource)
        FDataSource->AddLink(this);
    FModified = false;
    ActiveChanged();
}

void TFieldDataLink::SetFieldName(const QString& Value)
{
    if (FFieldName == Value)
        return;
    FFieldName = Value;
    FModified = false;
    ActiveChanged();
}

TDataSet* TFieldDataLink::DataSet() const
{
    return FDataSource ? FDataSource->DataSet() : nullptr;
}

bool TFieldDataLink::Active() const
{
    return FDataSource && FDataSource->State() != dsInactive;
}

TField* TFieldDataLink::Field() const
{
    if (!Active() || FFieldName.isEmpty())
        return nullptr;
    return DataSet()->FindField(FFieldName);
}

bool TFieldDataLink::CanModify() const
{
    const TField* field = Field();
    return !ReadOnly && field && !field->ReadOnly && field->FieldKind() == fkData && DataSet()->CanModify();
}

bool TFieldDataLink::Editing() const
{
    const TDataSetState state = Active() ? FDataSource->State() : dsInactive;
    return (state == dsEdit || state == dsInsert) && CanModify();
}

bool TFieldDataLink::Edit()
{
    if (!CanModify())
        return false;
    if (FDataSource->State() == dsBrowse)
        DataSet()->Edit();
    return Editing();
}

void TFieldDataLink::Reset()
{
    RecordChanged();
}

void TFieldDataLink::UpdateRecord()
{
    if (!FModified || FUpdating)
        return;
    TField* field = Field();
    if (field && OnUpdateData) {
        FUpdating = true;
        try {
            OnUpdateData();
        } catch (EConvertError& e) {
            // The conversion knows only the text; the user needs to know which field.
            FUpdating = false;
            e.Message += " for field '" + field->DisplayName().toStdString() + "'";
            throw;
        } catch (...) {
            FUpdating = false;
            throw;
        }
        FUpdating = false;
    }
    FModified = false;
}

void TFieldDataLink::DataEvent(int Event, TField* Field)
{
    if (Event == deCheckBrowseMode || Event == deUpdateRecord) {
        UpdateRecord();
        return;
    }
    if (TDataSet* ds = DataSet(); ds && ds->ControlsDisabled())
        return;
    switch (Event) {
    case deStateChange:
        if (Active() != FActive)
            ActiveChanged();
        if (OnEditingChange)
            OnEditingChange();
        break;
    case deFieldChange: {
        // Calculated and looked-up values follow the data fields they come from.
        const TField* mine = this->Field();
        if (mine && (Field == mine || mine->FieldKind() != fkData))
            RecordChanged();
        break;
    }
    case deDataSetChange:
        // The dataset may have opened, closed or made its fields again.
        ActiveChanged();
        break;
    case deRecordChange:
    case deDataSetScroll:
        RecordChanged();
        break;
    default:
        break;
    }
}

void TFieldDataLink::SourceDestroyed()
{
    FDataSource = nullptr;
    FModified = false;
    ActiveChanged();
}

void TFieldDataLink::RecordChanged()
{
    FModified = false;
    if (OnDataChange)
        OnDataChange();
}

void TFieldDataLink::ActiveChanged()
{
    FActive = Active();
    if (OnActiveChange)
        OnActiveChange();
    RecordChanged();
}

bool IsValidFieldChar(const TField* Field, QChar Key)
{
    if (!Field)
        return true;
    const bool digitOrSign = Key.isDigit() || Key == '+' || Key == '-';
    switch (Field->DataType()) {
    case ftInteger:
        return digitOrSign;
    case ftFloat:
    case ftCurrency:
        return digitOrSign || Key == QChar(FormatSettings.DecimalSeparator) || Key == 'e' || Key == 'E';
    default:
        return true;
    }
}

Qt::Alignment FieldAlignment(const TField* Field)
{
    if (!Field)
        return Qt::AlignLeft;
    switch (Field->Alignment) {
    case taRightJustify: return Qt::AlignRight;
    case taCenter: return Qt::AlignHCenter;
    default: return Qt::AlignLeft;
    }
}

bool TFieldDataLink::TypedKey(const QKeyEvent* Key, const std::function<bool()>& WriteText)
{
    const QChar typed = KeyPressChar(Key);
    if ((typed == QChar(13) || typed == QChar(10)) && !WriteText())
        return false;
    if (!ChangesText(Key))
        return true;
    if (IsTypedChar(Key) && !IsValidFieldChar(Field(), typed)) {
        QApplication::beep();
        return false;
    }
    bool editing = false;
    return Application->Guard([&] { editing = Edit(); }) && editing;
}
