// The part form: one part of the inventory, edited modally through its own data
// source on VornData's Parts. Edits are held in the parts cache; OK writes them and
// Cancel (or the close box) asks before dropping them, both through the data module's
// ResolvePendingEdits, so a failed write keeps the form open with its changes.
#pragma once

#include "platform/widgets/forms.h"
#include "ui_edparts_form.h"

class TDataSource;

class TEdPartsForm : public TForm, public Ui::TEdPartsForm {
    Q_OBJECT

public:
    // VornData must exist: PartsSource1 points at its Parts here.
    explicit TEdPartsForm(QWidget* Parent = nullptr);
    ~TEdPartsForm() override;

    // The form definition's button, not TForm's CancelButton().
    using Ui::TEdPartsForm::CancelButton;

    TDataSource* PartsSource1;

    // Shows the part with that number, modal; another number leaves Parts where it was.
    void EditPart(double PartNo);

    void PrintBtnClick(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
};

extern TEdPartsForm* EdPartsForm;
