// The records a lookup control offers: the records of a list source, each known by its
// key field and shown by its list field, in the list dataset's own order (a dataset
// indexed by company offers the companies sorted). The list never reads the whole
// dataset: it reads the few records a control shows, around the current one, by moving
// the list dataset with its controls disabled and coming back. What must stay true: a
// record being edited is never moved away from, and a list's own reading never makes
// another list read again (each would wake the other for ever).
#pragma once

#include "platform/data/datasource.h"

#include <QString>
#include <QVariant>
#include <QVector>

#include <functional>

struct TLookupRow {
    QVariant Key;
    QString Text;
};

// Keys are equal as numbers when both are numbers (a float field holds 1001 as 1001.0);
// a null key equals nothing.
bool SameKey(const QVariant& A, const QVariant& B);

class TLookupList : public TDataLink {
public:
    TLookupList() = default;
    ~TLookupList() override;
    TLookupList(const TLookupList&) = delete;
    TLookupList& operator=(const TLookupList&) = delete;

    TDataSource* ListSource() const { return FListSource; }
    void SetListSource(TDataSource* Value);
    QString KeyField() const { return FKeyField; }
    void SetKeyField(const QString& Value);
    QString ListField() const { return FListField; }
    void SetListField(const QString& Value);

    TDataSet* DataSet() const;
    // The list dataset is open and has both fields.
    bool Active() const;
    TField* KeyFieldObject() const;
    TField* ListFieldObject() const;

    // Up to Count records, the current record of the list dataset at ActiveRow
    // (corrected when fewer records lie before or after it than asked). AtStart and
    // AtEnd tell whether the first and last rows are the ends of the dataset.
    QVector<TLookupRow> ReadRows(int& ActiveRow, int Count, bool* AtStart = nullptr, bool* AtEnd = nullptr);
    // The text shown for a key; empty when no record has it.
    QString TextOf(const QVariant& Key) const;
    // Makes the record with that key current; false when none has it.
    bool LocateKey(const QVariant& Key);
    // Makes the first record whose list text begins with Text (ignoring case) current.
    // Only for list fields stored as text; false when none matches.
    bool LocateText(const QString& Text);
    // The key of the current record, null when there is none.
    QVariant CurrentKey() const;

    // The list's records or its current record changed.
    std::function<void()> OnListChange;

    void DataEvent(int Event, TField* Field) override;
    void SourceDestroyed() override;

private:
    void Changed();

    TDataSource* FListSource = nullptr;
    QString FKeyField;
    QString FListField;
};
