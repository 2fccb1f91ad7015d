// The customer form: one customer of VornData's Cust, edited in a modal window through
// bound edits and a full navigator (which also inserts and deletes). The numbering and
// required fields are the data module's rules. What must stay true: OK writes the
// pending customer edits and stays open if they cannot be written; every other way
// of closing with pending edits asks before they are dropped.
#pragma once

#include "platform/widgets/forms.h"
#include "ui_edcust_form.h"

class TEdCustForm : public TForm, public Ui::TEdCustForm {
    Q_OBJECT

public:
    // VornData must exist: the controls bind to its data sources here.
    explicit TEdCustForm(QWidget* Parent = nullptr);
    // The form's Cancel button, not the form's CancelButton() that Escape clicks.
    using Ui::TEdCustForm::CancelButton;
    ~TEdCustForm() override;

    // Shows the customer with that number, modal; another number leaves Cust where it was.
    void EditCustomer(double CustNo);

    void PrintBtnClick(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
};

extern TEdCustForm* EdCustForm;
