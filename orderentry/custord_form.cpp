// The customers' browser: its grids, the range query with its fall-back, and the
// Edit button that opens the customer or the order of the grid last focused.
#include "orderentry/custord_form.h"

#include "orderentry/DataMod.h"
#include "orderentry/edcust_form.h"
#include "orderentry/order_form.h"
#include "orderentry/querycust_dlg.h"

#include "platform/core/datetime.h"
#include "platform/core/exceptions.h"
#include "platform/data/datasource.h"

#include <cmath>

TBrCustOrdForm* BrCustOrdForm = nullptr;

namespace {

const TDBGridOptions GridOptions = dgTitles | dgIndicator | dgColLines | dgRowLines | dgRowSelect;

} // namespace

TBrCustOrdForm::TBrCustOrdForm(QWidget* Parent)
    : TForm(Parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    if (!VornData)
        throw Exception("The data module must exist before the customers' browser");
    BrCustOrdForm = this;
    setupUi(this);
    setFixedSize(size());
    SetHelpContext(1);

    SetUpGrids();
    CurrentSource = VornData->CustMasterSrc;
    Navigator->SetDataSource(CurrentSource);

    DefineBtn->OnClick = [this](TObject* Sender) { SetQuery(Sender); };
    ActivateBtn->OnClick = [this](TObject* Sender) { ActivateQuery(Sender); };
    EditBtn->OnClick = [this](TObject* Sender) { EditBtnClick(Sender); };
    CloseBtn->OnClick = [this](TObject* Sender) { CloseBtnClick(Sender); };
    SetCancelButton(CloseBtn);
    CustGrid->OnEnter = [this](TObject* Sender) { CustGridEnter(Sender); };
    OrdersGrid->OnEnter = [this](TObject* Sender) { OrdersGridEnter(Sender); };
    CustGrid->OnDblClick = [this](TObject* Sender) { EditBtnClick(Sender); };
    OrdersGrid->OnDblClick = [this](TObject* Sender) { EditBtnClick(Sender); };
    OnShow = [this](TObject* Sender) { FormShow(Sender); };
}

TBrCustOrdForm::~TBrCustOrdForm()
{
    if (BrCustOrdForm == this)
        BrCustOrdForm = nullptr;
}

void TBrCustOrdForm::SetUpGrids()
{
    CustGrid->SetDataSource(VornData->CustMasterSrc);
    CustGrid->SetReadOnly(true);
    CustGrid->SetOptions(GridOptions | dgAlwaysShowSelection);
    // Cust and CustQuery both have these fields, so the columns survive the switch.
    for (const char* name : {"CustNo", "Company", "Phone", "LastInvoiceDate"})
        CustGrid->Columns()->Add()->SetFieldName(name);

    OrdersGrid->SetDataSource(VornData->OrdByCustSrc);
    OrdersGrid->SetOptions(GridOptions);
}

void TBrCustOrdForm::FormShow(TObject*)
{
    CenterOnScreen();
    VornData->Cust->Open();
    VornData->Cust->First();
    // A storage switch closed every dataset: the range is asked for again on the
    // storage now open, rather than showing a closed query.
    if (VornData->CustMasterSrc->DataSet() == VornData->CustQuery && !VornData->CustQuery->Active())
        ActivateQuery(this);
    CustGrid->setFocus();
}

void TBrCustOrdForm::PointCurrentSource(TDataSource* Source)
{
    CurrentSource = Source;
    Navigator->SetDataSource(Source);
}

void TBrCustOrdForm::CustGridEnter(TObject*)
{
    PointCurrentSource(VornData->CustMasterSrc);
    CustGrid->SetOptions(CustGrid->Options() | dgAlwaysShowSelection);
    OrdersGrid->SetOptions(OrdersGrid->Options() & ~TDBGridOptions(dgAlwaysShowSelection));
}

void TBrCustOrdForm::OrdersGridEnter(TObject*)
{
    PointCurrentSource(VornData->OrdByCustSrc);
    OrdersGrid->SetOptions(OrdersGrid->Options() | dgAlwaysShowSelection);
    CustGrid->SetOptions(CustGrid->Options() & ~TDBGridOptions(dgAlwaysShowSelection));
}

void TBrCustOrdForm::SetQuery(TObject* Sender)
{
    if (QueryCustDlg->ShowModal() == mrOk)
        ActivateQuery(Sender);
}

void TBrCustOrdForm::ActivateQuery(TObject*)
{
    TVornData* vd = VornData;
    if (!ActivateBtn->Down()) {
        vd->CustMasterSrc->SetDataSet(vd->Cust);
        return;
    }
    try {
        vd->CustQuery->Close();
        vd->CustQuery->Params(0)->SetAsDateTime(QueryCustDlg->FromDate());
        TDateTime to = QueryCustDlg->ToDate();
        // A To day without a time of day covers the whole day, so an invoice stamped
        // during it is in the range.
        if (to == std::floor(to))
            to += EncodeTime(23, 59, 59, 999);
        vd->CustQuery->Params(1)->SetAsDateTime(to);
        vd->CustQuery->Open();
        if (vd->CustQuery->IsEmpty())
            Abort();
        vd->CustMasterSrc->SetDataSet(vd->CustQuery);
    } catch (const std::exception&) {
        vd->CustMasterSrc->SetDataSet(vd->Cust);
        ActivateBtn->SetDown(false);
        MessageDlg("No matching records in the specified date range.", mtInformation, {mbOK});
    }
}

void TBrCustOrdForm::EditBtnClick(TObject*)
{
    TVornData* vd = VornData;
    TDataSet* dataSet = CurrentSource->DataSet();
    // Nothing selected: no customer or order to open (0 would leave either form on
    // whatever record it last showed).
    if (!dataSet || !dataSet->Active() || dataSet->IsEmpty())
        return;
    const double number = dataSet->Fields(0)->AsFloat();
    if (CurrentSource == vd->CustMasterSrc) {
        EdCustForm->EditCustomer(number);
        // The query reads the stored customers, which the form has just written.
        if (dataSet == vd->CustQuery)
            vd->CustQuery->Refresh();
    } else {
        EdOrderForm->EditOrder(number);
        vd->OrdByCust->Refresh();
    }
}

void TBrCustOrdForm::CloseBtnClick(TObject*)
{
    Close();
}
