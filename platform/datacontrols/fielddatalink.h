// The link between a control and one field of a data source. The control shows the
// field's value and, once the user changes it, holds the changed text until the link
// writes it through the field's rules (type, range, OnValidate). What must stay true:
// text a user typed is never dropped silently. It is written when the control is
// left, when the record is about to be posted or left (the dataset's check before it
// moves), or when UpdateRecord is called for the dataset; a write the field refuses
// raises, so the post or the move stops and the text stays in the control.
#pragma once

#include "platform/data/datasource.h"

#include <QString>

class QKeyEvent;

#include <functional>

class TFieldDataLink : public TDataLink {
public:
    TFieldDataLink();
    ~TFieldDataLink() override;
    TFieldDataLink(const TFieldDataLink&) = delete;
    TFieldDataLink& operator=(const TFieldDataLink&) = delete;

    TDataSource* DataSource() const { return FDataSource; }
    void SetDataSource(TDataSource* Value);
    QString FieldName() const { return FFieldName; }
    void SetFieldName(const QString& Value);

    // The field while the source's dataset is open and has one of that name. Looked up
    // each time: a dataset's default fields are made again when it reopens.
    TField* Field() const;
    TDataSet* DataSet() const;
    // The source has an open dataset.
    bool Active() const;
    // The control's own read-only flag.
    bool ReadOnly = false;
    // The field may be changed through this link: not read-only here nor in the field,
    // a data field of a dataset that can be modified.
    bool CanModify() const;
    // The dataset is in edit or insert and the field may be changed.
    bool Editing() const;
    // Starts editing the dataset's record if it is not being edited; true when the
    // field may now be changed. Errors of the dataset's rules are raised.
    bool Edit();

    // The field's part of a bound control's keys: Enter writes what was typed
    // (through WriteText, false when refused), a key that changes the text puts the
    // record in edit, and a character the field cannot hold beeps. False when the key
    // is used up here and the control must not take it.
    bool TypedKey(const QKeyEvent* Key, const std::function<bool()>& WriteText);

    // The user changed the control; the text waits for UpdateRecord.
    void Modified() { FModified = true; }
    bool IsModified() const { return FModified; }
    // Forgets the user's change and shows the field again.
    void Reset();
    // Writes the control's change through OnUpdateData when there is one.
    void UpdateRecord();

    // Show the field's value (the record or the field changed, or the link was reset).
    std::function<void()> OnDataChange;
    // Editing() may have changed.
    std::function<void()> OnEditingChange;
    // Active() may have changed (dataset opened, closed, another source or field).
    std::function<void()> OnActiveChange;
    // Write the control's value into Field().
    std::function<void()> OnUpdateData;

    void DataEvent(int Event, TField* Field) override;
    void SourceDestroyed() override;

private:
    void RecordChanged();
    void ActiveChanged();

    TDataSource* FDataSource = nullptr;
    QString FFieldName;
    bool FActive = false;
    bool FModified = false;
    bool FUpdating = false;
};

// Where a control puts the field's text; left without a field.
Qt::Alignment FieldAlignment(const TField* Field);

// Whether Key may be typed into a control showing Field: numbers take digits, signs,
// the decimal separator and an exponent; other fields take any character.
bool IsValidFieldChar(const TField* Field, QChar Key);
