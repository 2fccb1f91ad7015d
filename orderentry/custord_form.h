// The customers' browser: customers above the orders of the selected one, not modal.
// The customers are all of Cust, or, while ActivateBtn is down, those of CustQuery whose
// last invoice lies in the range of QueryCustDlg. What must stay true: the browser
// never shows an empty or stale query; a range that cannot be read or matches nobody
// falls back to all customers, pops the button up and says so. The navigator and the
// Edit button act on the grid that last had the focus (CurrentSource).
#pragma once

#include "platform/widgets/forms.h"
#include "ui_custord_form.h"

class TDataSource;

class TBrCustOrdForm : public TForm, public Ui::TBrCustOrdForm {
    Q_OBJECT

public:
    // VornData must exist: the grids bind to its data sources here.
    explicit TBrCustOrdForm(QWidget* Parent = nullptr);
    ~TBrCustOrdForm() override;

    // The source of the grid that last received the focus; the navigator's source.
    TDataSource* CurrentSource;

    void FormShow(TObject* Sender);
    void CustGridEnter(TObject* Sender);
    void OrdersGridEnter(TObject* Sender);
    void SetQuery(TObject* Sender);
    void ActivateQuery(TObject* Sender);
    void EditBtnClick(TObject* Sender);
    void CloseBtnClick(TObject* Sender);

private:
    void SetUpGrids();
    void PointCurrentSource(TDataSource* Source);
};

extern TBrCustOrdForm* BrCustOrdForm;
