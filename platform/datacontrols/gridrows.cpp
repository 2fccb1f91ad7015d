#include "platform/datacontrols/gridrows.h"

#include "platform/data/datasource.h"

#include <algorithm>

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

void TGridRows::Read(TDataSet* DataSet, const QVector<TField*>& Fields, int Count, int Active)
{
    Clear();
    if (!DataSet || !DataSet->Active() || Count <= 0 || DataSet->State() != dsBrowse)
        return;
    if (DataSet->IsEmpty()) {
        FAtStart = FAtEnd = true;
        return;
    }
    Active = std::clamp(Active, 0, Count - 1);
    // Enough on either side to fill the page from above near the end and from below
    // near the start, and one more each way to tell whether a page edge is an end.
    const int reach = Count + 1;
    QVector<TGridRow> rows;
    int first = 0; // offset of rows[0] from the current record
    DataSet->VisitRecords(-reach, 2 * reach + 1, [&](int offset) {
        if (rows.isEmpty())
            first = offset;
        rows.append(TGridRow{DataSet->GetBookmark(), TextsOf(Fields)});
    });
    const int last = first + int(rows.size()) - 1;
    int top = std::max(first, -Active);
    int bottom = std::min(last, top + Count - 1);
    top = std::max(first, bottom - Count + 1);
    FAtStart = top == first && first > -reach;
    FAtEnd = bottom == last && last < reach;
    FRows = rows.mid(top - first, bottom - top + 1);
    FActive = -top;
}
