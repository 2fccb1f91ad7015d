// Columns of a data grid. What must stay true: a value the program gave a column is
// never overwritten by a default, and every change reaches the grid, which lays out
// and paints again.
#include "platform/datacontrols/gridcolumns.h"

#include "platform/datacontrols/dbgrid.h"
#include "platform/core/exceptions.h"
#include "platform/data/datasource.h"

#include <QFontMetrics>

#include <algorithm>

// ---- title ----

TColumnTitle::TColumnTitle(TColumn* Column)
    : QObject(Column)
    , FColumn(Column)
{
}

QString TColumnTitle::Caption() const
{
    if (FCaptionSet)
        return FCaption;
    if (const TField* field = FColumn->Field())
        return field->DisplayName();
    return FColumn->FieldName();
}

void TColumnTitle::SetCaption(const QString& Value)
{
    FCaption = Value;
    FCaptionSet = true;
    FColumn->Changed();
}

void TColumnTitle::RestoreDefaults()
{
    FCaption.clear();
    FCaptionSet = false;
    FColumn->Changed();
}

// ---- column ----

TColumn::TColumn(TDBGridColumns* Collection)
    : QObject(Collection)
    , FCollection(Collection)
    , FFont(new TFont(static_cast<QObject*>(this)))
    , FTitle(new TColumnTitle(this))
{
    FollowGridFont();
    FFont->OnChange = [this](TObject*) {
        if (FFollowing)
            return;
        FFontSet = true;
        Changed();
    };
}

TDBGrid* TColumn::Grid() const
{
    return FCollection->Grid();
}

int TColumn::Index() const
{
    const auto& items = FCollection->FItems;
    return int(std::find(items.begin(), items.end(), this) - items.begin());
}

void TColumn::SetFieldName(const QString& Value)
{
    FFieldName = Value;
    Changed();
}

TField* TColumn::Field() const
{
    const TDBGrid* grid = Grid();
    const TDataSource* source = grid ? grid->DataSource() : nullptr;
    const TDataSet* dataSet = source ? source->DataSet() : nullptr;
    if (!dataSet || FFieldName.isEmpty())
        return nullptr;
    return dataSet->FindField(FFieldName);
}

int TColumn::Width() const
{
    if (FWidthSet)
        return FWidth;
    const TField* field = Field();
    if (!field)
        return 64;
    // As wide as the field's characters, and never narrower than the title.
    const QFontMetrics metrics(FFont->QtFont());
    const int text = field->DisplayWidth() * metrics.horizontalAdvance('0');
    return std::max(text, metrics.horizontalAdvance(FTitle->Caption())) + 4;
}

void TColumn::SetWidth(int Value)
{
    FWidth = std::max(Value, 0);
    FWidthSet = true;
    Changed();
}

TAlignment TColumn::Alignment() const
{
    if (FAlignmentSet)
        return FAlignment;
    const TField* field = Field();
    return field ? field->Alignment : taLeftJustify;
}

void TColumn::SetAlignment(TAlignment Value)
{
    FAlignment = Value;
    FAlignmentSet = true;
    Changed();
}

QColor TColumn::Color() const
{
    if (FColor.isValid())
        return FColor;
    return Grid() ? Grid()->Color() : QColor(Qt::white);
}

void TColumn::SetColor(const QColor& Value)
{
    FColor = Value;
    Changed();
}

void TColumn::SetReadOnly(bool Value)
{
    FReadOnly = Value;
    Changed();
}

void TColumn::SetVisible(bool Value)
{
    FVisible = Value;
    Changed();
}

void TColumn::SetButtonStyle(TButtonStyle Value)
{
    FButtonStyle = Value;
    Changed();
}

void TColumn::RestoreDefaults()
{
    FWidthSet = FAlignmentSet = FFontSet = false;
    FColor = QColor();
    FReadOnly = false;
    FButtonStyle = cbsAuto;
    FollowGridFont();
    FTitle->RestoreDefaults();
}

void TColumn::Changed()
{
    // A default column the program changes makes the columns the program's own.
    if (!FCollection->FRebuilding)
        FCollection->FState = TDBGridColumns::csCustomized;
    FCollection->Changed();
}

void TColumn::FollowGridFont()
{
    if (FFontSet || !Grid())
        return;
    FFollowing = true;
    FFont->Assign(*Grid()->Font());
    FFollowing = false;
}

// ---- collection ----

TDBGridColumns::TDBGridColumns(TDBGrid* Grid)
    : TCollection(Grid)
    , FGrid(Grid)
{
}

TDBGridColumns::~TDBGridColumns()
{
    // The items are QObject children; only the list must not outlive them.
    FItems.clear();
}

TColumn* TDBGridColumns::Items(int Index) const
{
    if (Index < 0 || Index >= Count())
        throw EListError::IndexError(Index);
    return FItems[size_t(Index)];
}

TColumn* TDBGridColumns::Add()
{
    if (FState == csDefault && !FRebuilding) {
        for (TColumn* column : FItems)
            delete column;
        FItems.clear();
        FState = csCustomized;
    }
    auto* column = new TColumn(this);
    FItems.push_back(column);
    Changed();
    return column;
}

void TDBGridColumns::Clear()
{
    for (TColumn* column : FItems)
        delete column;
    FItems.clear();
    // Without columns of its own the grid shows the dataset's fields again.
    FState = csDefault;
    RebuildColumns();
    Changed();
}

void TDBGridColumns::RebuildColumns()
{
    if (FState != csDefault)
        return;
    const TDataSource* source = FGrid ? FGrid->DataSource() : nullptr;
    const TDataSet* dataSet = source ? source->DataSet() : nullptr;
    QStringList names;
    if (dataSet && dataSet->Active())
        for (int i = 0; i < dataSet->FieldCount(); ++i)
            if (dataSet->Fields(i)->Visible)
                names << dataSet->Fields(i)->FieldName;
    // The same fields keep their columns, so a post or a master's move lays out nothing.
    QStringList current;
    for (const TColumn* column : FItems)
        current << column->FieldName();
    if (current == names)
        return;
    FRebuilding = true;
    for (TColumn* column : FItems)
        delete column;
    FItems.clear();
    for (const QString& name : names)
        Add()->SetFieldName(name);
    FRebuilding = false;
    Changed();
}

void TDBGridColumns::Changed()
{
    if (FGrid && !FRebuilding)
        FGrid->ColumnsChanged();
}

void TDBGridColumns::FollowGridFont()
{
    for (TColumn* column : FItems)
        column->FollowGridFont();
}
