// The customer form: its bound controls, the close check and printing.
#include "orderentry/edcust_form.h"

#include "orderentry/DataMod.h"

#include "platform/core/exceptions.h"
#include "platform/widgets/application.h"

TEdCustForm* EdCustForm = nullptr;

TEdCustForm::TEdCustForm(QWidget* Parent)
    : TForm(Parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    if (!VornData)
        throw Exception("The data module must exist before the customer form");
    setupUi(this);
    setFixedSize(size());
    SetHelpContext(1);

    TDataSource* customers = VornData->CustSource;
    DBNavigator->SetDataSource(customers);
    for (TDBEdit* edit : {DBEdName, DBEdCustNo, DBEdit3, DBEdit4, DBEdit5, DBEdit6, DBEdit7, DBEdit8, DBEdit9,
                          DBEdit14, DBEdit12, DBEdInv, DBEdit11})
        edit->SetDataSource(customers);

    // Disabled, the number would be drawn in the style's grey, lost on the silver.
    QPalette number = DBEdCustNo->palette();
    number.setColor(QPalette::Disabled, QPalette::Text, number.color(QPalette::Active, QPalette::Text));
    DBEdCustNo->setPalette(number);

    PrintBtn->OnClick = [this](TObject* Sender) { PrintBtnClick(Sender); };
    SetButtonModalResult(OKButton, mrOk);
    SetButtonModalResult(CancelButton, mrCancel);
    SetCancelButton(CancelButton);
    OnCloseQuery = [this](TObject* Sender, bool& CanClose) { FormCloseQuery(Sender, CanClose); };
    OnShow = [this](TObject*) {
        CenterOnScreen();
        DBEdName->setFocus();
    };
}

TEdCustForm::~TEdCustForm()
{
    if (EdCustForm == this)
        EdCustForm = nullptr;
}

void TEdCustForm::EditCustomer(double CustNo)
{
    VornData->Cust->Open();
    VornData->Cust->Locate("CustNo", CustNo);
    ShowModal();
}

void TEdCustForm::PrintBtnClick(TObject*)
{
    if (MessageDlg("   Print this form?", mtConfirmation, mbYesNo) == mrYes)
        Print();
}

void TEdCustForm::FormCloseQuery(TObject*, bool& CanClose)
{
    bool mayClose = false;
    // A customer that cannot be written keeps the form open with its changes, shown.
    Application->Guard([&] { mayClose = VornData->ResolvePendingEdits(VornData->Cust, ModalResult() == mrOk); });
    CanClose = mayClose;
}
