#include "orderentry/edparts_form.h"

#include "orderentry/DataMod.h"

#include "platform/core/exceptions.h"
#include "platform/data/datasource.h"
#include "platform/widgets/application.h"

TEdPartsForm* EdPartsForm = nullptr;

TEdPartsForm::TEdPartsForm(QWidget* Parent)
    : TForm(Parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                        | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint)
{
    if (!VornData)
        throw Exception("The data module must exist before the part form");
    setupUi(this);
    setFixedSize(size());
    SetHelpContext(6);

    PartsSource1 = new TDataSource(this);
    PartsSource1->setObjectName("PartsSource1");
    PartsSource1->SetDataSet(VornData->Parts);
    Navigator->SetDataSource(PartsSource1);
    for (TDBEdit* edit : {DBEdPartNo, DBEdit2, DBEdit4, DBEdit5, DBEdit3, DBEdit7, DBEdit8})
        edit->SetDataSource(PartsSource1);
    DataComboBox1->SetDataSource(PartsSource1);
    DataComboBox1->SetListSource(VornData->VendorSource);

    PrintBtn->OnClick = [this](TObject* Sender) { PrintBtnClick(Sender); };
    SetButtonModalResult(OKButton, mrOk);
    SetButtonModalResult(CancelButton, mrCancel);
    SetCancelButton(CancelButton);
    OnCloseQuery = [this](TObject* Sender, bool& CanClose) { FormCloseQuery(Sender, CanClose); };
    OnShow = [this](TObject*) {
        CenterOnScreen();
        DBEdit2->setFocus();
    };
}

TEdPartsForm::~TEdPartsForm()
{
    if (EdPartsForm == this)
        EdPartsForm = nullptr;
}

void TEdPartsForm::EditPart(double PartNo)
{
    VornData->Parts->Open();
    VornData->Parts->Locate("PartNo", PartNo);
    ShowModal();
}

void TEdPartsForm::PrintBtnClick(TObject*)
{
    if (MessageDlg("   Print this form?", mtConfirmation, {mbYes, mbNo}) == mrYes)
        Print();
}

void TEdPartsForm::FormCloseQuery(TObject*, bool& CanClose)
{
    bool mayClose = false;
    // A write that fails keeps the form open with the changes; it is shown, not lost.
    Application->Guard([&] { mayClose = VornData->ResolvePendingEdits(VornData->Parts, ModalResult() == mrOk); });
    CanClose = mayClose;
}
