// The order-number picker of the invoice. Its list runs over VornData's Orders itself,
// so choosing a number makes that order current (and its lines follow): the invoice
// prints whatever order is current when the picker closes with OK.
#pragma once

#include "platform/widgets/forms.h"
#include "ui_pickorderno_dlg.h"

class TPickOrderNoDlg : public TForm, public Ui::TPickOrderNoDlg {
    Q_OBJECT

public:
    // VornData must exist: the list binds to its orders here.
    explicit TPickOrderNoDlg(QWidget* Parent = nullptr);
    ~TPickOrderNoDlg() override;

    void FormShow(TObject* Sender);
};

extern TPickOrderNoDlg* PickOrderNoDlg;
