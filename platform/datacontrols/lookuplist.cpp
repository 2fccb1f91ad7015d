#include "platform/datacontrols/lookuplist.h"

#include "platform/core/convert.h"

#include <algorithm>

namespace {

// Lists reading at this moment. What any list hears meanwhile is the reading itself.
int QuietReads = 0;

// Moves through a dataset without its controls following, and lets them catch up once.
class TQuietRead {
public:
    explicit TQuietRead(TDataSet* DataSet)
        : FDataSet(DataSet)
    {
        ++QuietReads;
        FDataSet->DisableControls();
    }
    ~TQuietRead()
    {
        try {
            FDataSet->EnableControls();
        } catch (...) {
            // The controls' own handlers report their errors; none may end the reading.
        }
        --QuietReads;
    }
    TQuietRead(const TQuietRead&) = delete;
    TQuietRead& operator=(const TQuietRead&) = delete;

private:
    TDataSet* FDataSet;
};

QString ValueText(const QVariant& Value)
{
    if (Value.isNull())
        return QString();
    if (Value.typeId() == QMetaType::Double)
        return QString::fromStdString(FloatToStr(Value.toDouble()));
    return Value.toString();
}

} // namespace

bool SameKey(const QVariant& A, const QVariant& B)
{
    if (A.isNull() || B.isNull())
        return false;
    bool numA = false, numB = false;
    const double a = A.toDouble(&numA), b = B.toDouble(&numB);
    return numA && numB ? a == b : A.toString() == B.toString();
}

TLookupList::~TLookupList()
{
    if (FListSource)
        FListSource->RemoveLink(this);
}

void TLookupList::SetListSource(TDataSource* Value)
{
    if (FListSource == Value)
        return;
    if (FListSource)
        FListSource->RemoveLink(this);
    FListSource = Value;
    if (FListSource)
        FListSource->AddLink(this);
    Changed();
}

void TLookupList::SetKeyField(const QString& Value)
{
    FKeyField = Value;
    Changed();
}

void TLookupList::SetListField(const QString& Value)
{
    FListField = Value;
    Changed();
}

TDataSet* TLookupList::DataSet() const
{
    return FListSource && FListSource->State() != dsInactive ? FListSource->DataSet() : nullptr;
}

TField* TLookupList::KeyFieldObject() const
{
    TDataSet* ds = DataSet();
    return ds && !FKeyField.isEmpty() ? ds->FindField(FKeyField) : nullptr;
}

TField* TLookupList::ListFieldObject() const
{
    TDataSet* ds = DataSet();
    if (!ds)
        return nullptr;
    // Without a list field the key is what the list shows.
    return ds->FindField(FListField.isEmpty() ? FKeyField : FListField);
}

bool TLookupList::Active() const
{
    return KeyFieldObject() && ListFieldObject();
}

QVector<TLookupRow> TLookupList::ReadRows(int& ActiveRow, int Count, bool* AtStart, bool* AtEnd)
{
    QVector<TLookupRow> rows;
    bool atStart = true, atEnd = true;
    TDataSet* ds = DataSet();
    TField* key = KeyFieldObject();
    TField* list = ListFieldObject();
    if (!key || !list || Count <= 0 || ds->IsEmpty()) {
        ActiveRow = 0;
    } else {
        auto current = [&] { return TLookupRow{key->Value(), list->DisplayText()}; };
        if (ds->State() != dsBrowse) {
            // Moving would post or cancel the record being edited: it stands alone.
            ActiveRow = 0;
            rows << current();
        } else {
            const bool bof = ds->Bof(), eof = ds->Eof();
            TQuietRead quiet(ds);
            ActiveRow = std::clamp(ActiveRow, 0, Count - 1);
            // To the last row shown, then back to the first, so the rows fill the list
            // whenever the dataset has enough of them.
            const int down = ds->MoveBy(Count - 1 - ActiveRow);
            const int up = -ds->MoveBy(-(Count - 1));
            atStart = ds->MoveBy(-1) == 0;
            if (!atStart)
                ds->MoveBy(1);
            rows << current();
            for (int i = 0; i < up; ++i) {
                ds->MoveBy(1);
                rows << current();
            }
            atEnd = ds->MoveBy(1) == 0;
            if (!atEnd)
                ds->MoveBy(-1);
            ds->MoveBy(-down);
            ActiveRow = up - down;
            // Where it stood at an end, the dataset says so again (a navigator's
            // First and Prior stay disabled on the first record).
            if (bof)
                ds->First();
            else if (eof)
                ds->Last();
        }
    }
    if (AtStart)
        *AtStart = atStart;
    if (AtEnd)
        *AtEnd = atEnd;
    return rows;
}

QString TLookupList::TextOf(const QVariant& Key) const
{
    if (!Active() || Key.isNull())
        return QString();
    TField* key = KeyFieldObject();
    TField* list = ListFieldObject();
    if (!DataSet()->IsEmpty() && SameKey(key->Value(), Key))
        return list->DisplayText();
    try {
        return ValueText(DataSet()->Lookup(key->FieldName, Key, list->FieldName));
    } catch (const std::exception&) {
        // A key the list cannot even compare (text for a number) has no text.
        return QString();
    }
}

bool TLookupList::LocateKey(const QVariant& Key)
{
    if (!Active() || Key.isNull() || DataSet()->State() != dsBrowse)
        return false;
    return DataSet()->Locate(KeyFieldObject()->FieldName, Key);
}

bool TLookupList::LocateText(const QString& Text)
{
    TField* list = ListFieldObject();
    if (!Active() || list->FieldKind() != fkData || list->DataType() != ftString || DataSet()->State() != dsBrowse)
        return false;
    return DataSet()->Locate(list->FieldName, Text, loCaseInsensitive | loPartialKey);
}

QVariant TLookupList::CurrentKey() const
{
    if (!Active() || DataSet()->IsEmpty())
        return QVariant();
    return KeyFieldObject()->Value();
}

void TLookupList::DataEvent(int Event, TField*)
{
    if (QuietReads > 0 || Event == deCheckBrowseMode)
        return;
    if (FListSource && FListSource->DataSet() && FListSource->DataSet()->ControlsDisabled())
        return;
    Changed();
}

void TLookupList::SourceDestroyed()
{
    FListSource = nullptr;
    Changed();
}

void TLookupList::Changed()
{
    if (OnListChange)
        OnListChange();
}
