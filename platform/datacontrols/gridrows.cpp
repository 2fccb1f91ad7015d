#include "platform/datacontrols/gridrows.h"

#include "platform/data/datasource.h"

#include <algorithm>
#include <set>

namespace {

std::multiset<const TDataSet*>& WalkedDataSets()
{
    static std::multiset<const TDataSet*> walked;
    return walked;
}

// Keeps a walk over the dataset to the walker: see the file's opening comment.
class TQuietWalk {
public:
    TQuietWalk(TDataSet* dataSet, TDataSource* source)
        : FDataSet(dataSet)
        , FSource(source)
        , FBeforeScroll(dataSet->BeforeScroll)
        , FAfterScroll(dataSet->AfterScroll)
    {
        dataSet->BeforeScroll = nullptr;
        dataSet->AfterScroll = nullptr;
        if (source) {
            FEnabled = source->Enabled;
            source->Enabled = false;
        }
        WalkedDataSets().insert(dataSet);
    }
    ~TQuietWalk()
    {
        WalkedDataSets().erase(WalkedDataSets().find(FDataSet));
        if (FSource)
            FSource->Enabled = FEnabled;
        FDataSet->BeforeScroll = std::move(FBeforeScroll);
        FDataSet->AfterScroll = std::move(FAfterScroll);
    }
    TQuietWalk(const TQuietWalk&) = delete;
    TQuietWalk& operator=(const TQuietWalk&) = delete;

private:
    TDataSet* FDataSet;
    TDataSource* FSource;
    TDataSetNotifyEvent FBeforeScroll, FAfterScroll;
    bool FEnabled = true;
};

} // namespace

bool TGridRows::Walking(const TDataSet* DataSet)
{
    return WalkedDataSets().count(DataSet) > 0;
}

QStringList TGridRows::TextsOf(const QVector<TField*>& Fields)
{
    QStringList texts;
    texts.reserve(Fields.size());
    for (const TField* field : Fields)
        texts << (field ? field->DisplayText() : QString());
    return texts;
}

void TGridRows::Clear()
{
    FRows.clear();
    FActive = -1;
    FAtStart = FAtEnd = false;
}

int TGridRows::Find(const TBookmark& Mark) const
{
    if (!Mark.IsValid())
        return -1;
    for (int i = 0; i < FRows.size(); ++i)
        if (FRows[i].Mark.Key == Mark.Key)
            return i;
    return -1;
}

void TGridRows::InsertBlank(int Row, int Limit)
{
    Row = std::clamp(Row, 0, int(FRows.size()));
    FRows.insert(Row, TGridRow());
    FActive = Row;
    if (FRows.size() > Limit && Limit > 0) {
        if (Row < FRows.size() - 1) {
            FRows.removeLast();
            FAtEnd = false;
        } else {
            FRows.removeFirst();
            --FActive;
            FAtStart = false;
        }
    }
}

void TGridRows::Read(TDataSet* DataSet, TDataSource* Source, const QVector<TField*>& Fields, int Count, int Active)
{
    Clear();
    if (!DataSet || !DataSet->Active() || Count <= 0 || DataSet->State() != dsBrowse)
        return;
    if (DataSet->IsEmpty()) {
        FAtStart = FAtEnd = true;
        return;
    }
    Active = std::clamp(Active, 0, Count - 1);
    const bool wasBof = DataSet->Bof(), wasEof = DataSet->Eof();
    const TBookmark start = DataSet->GetBookmark();
    TQuietWalk quiet(DataSet, Source);
    auto take = [&](bool atFront) {
        TGridRow row{DataSet->GetBookmark(), TextsOf(Fields)};
        if (atFront)
            FRows.prepend(std::move(row));
        else
            FRows.append(std::move(row));
    };
    try {
        // Up to the page's top row, then down through the page.
        int above = -DataSet->MoveBy(-Active);
        FAtStart = above < Active;
        int at = 0; // the row the cursor stands on
        take(false);
        while (this->Count() < Count) {
            if (DataSet->MoveBy(1) != 1) {
                FAtEnd = true;
                break;
            }
            take(false);
            at = this->Count() - 1;
        }
        // A page that ends early is filled from above.
        if (this->Count() < Count && !FAtStart) {
            DataSet->MoveBy(-at);
            at = 0;
            while (this->Count() < Count) {
                if (DataSet->MoveBy(-1) != -1) {
                    FAtStart = true;
                    break;
                }
                take(true);
                ++above;
            }
        }
        // One step beyond each edge tells whether it is the dataset's end.
        if (!FAtEnd) {
            DataSet->MoveBy(this->Count() - 1 - at);
            at = this->Count() - 1;
            if (DataSet->MoveBy(1) == 1)
                DataSet->MoveBy(-1);
            else
                FAtEnd = true;
        }
        if (!FAtStart) {
            DataSet->MoveBy(-at);
            at = 0;
            if (DataSet->MoveBy(-1) == -1)
                DataSet->MoveBy(1);
            else
                FAtStart = true;
        }
        FActive = above;
        DataSet->MoveBy(FActive - at);
        // Bof and Eof set again where they were set: a step past the edge moves nowhere.
        if (wasEof && FAtEnd && FActive == this->Count() - 1)
            DataSet->MoveBy(1);
        if (wasBof && FAtStart && FActive == 0)
            DataSet->MoveBy(-1);
    } catch (...) {
        Clear();
        try {
            DataSet->GotoBookmark(start);
        } catch (...) {
        }
        throw;
    }
}
