#include "orderentry/parts_form.h"

#include "orderentry/DataMod.h"
#include "orderentry/edparts_form.h"

#include "platform/core/exceptions.h"
#include "platform/widgets/application.h"

TBrPartsForm* BrPartsForm = nullptr;

TBrPartsForm::TBrPartsForm(QWidget* Parent)
    : TForm(Parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                        | Qt::WindowCloseButtonHint)
{
    if (!VornData)
        throw Exception("The data module must exist before the parts browser");
    setupUi(this);
    setFixedSize(size());
    SetHelpContext(4);

    Navigator->SetDataSource(VornData->PartsSource);
    PartsGrid->SetDataSource(VornData->PartsSource);
    // The selected row stays marked while a button has the focus: there is no indicator.
    PartsGrid->SetOptions(dgTitles | dgColLines | dgRowLines | dgRowSelect | dgAlwaysShowSelection);
    // A grid's columns are a collection, which a form definition cannot hold.
    for (const char* name : {"PartNo", "Description", "OnHand", "OnOrder", "BackOrd"})
        PartsGrid->Columns()->Add()->SetFieldName(name);

    EditBtn->OnClick = [this](TObject* Sender) { EditBtnClick(Sender); };
    PartsGrid->OnDblClick = [this](TObject* Sender) { EditBtnClick(Sender); };
    ActivateBtn->OnClick = [this](TObject* Sender) { ActivateQuery(Sender); };
    CloseBtn->OnClick = [this](TObject* Sender) { CloseBtnClick(Sender); };
    SetCancelButton(CloseBtn);
    OnShow = [this](TObject* Sender) {
        CenterOnScreen();
        Application->Guard([&] { FormShow(Sender); });
        PartsGrid->setFocus();
    };
}

TBrPartsForm::~TBrPartsForm()
{
    if (BrPartsForm == this)
        BrPartsForm = nullptr;
}

void TBrPartsForm::FormShow(TObject*)
{
    VornData->Parts->Open();
    // Backorders stays down between showings; the list is read anew, as it may have
    // changed meanwhile, or been closed by a switch of the storage.
    if (ActivateBtn->Down())
        OpenBackorders();
}

void TBrPartsForm::ActivateQuery(TObject*)
{
    if (ActivateBtn->Down()) {
        OpenBackorders();
        return;
    }
    VornData->Parts->Open();
    VornData->PartsSource->SetDataSet(VornData->Parts);
}

void TBrPartsForm::OpenBackorders()
{
    TDataSource* source = VornData->PartsSource;
    try {
        VornData->PartsQuery->Close();
        VornData->PartsQuery->Open();
        source->SetDataSet(VornData->PartsQuery);
    } catch (...) {
        source->SetDataSet(VornData->Parts);
        throw;
    }
}

void TBrPartsForm::EditBtnClick(TObject*)
{
    // Decided by what the grid shows: after a failed reopen the button is down over
    // the whole inventory, and Edit must edit the part the clerk sees.
    if (VornData->PartsSource->DataSet() != VornData->PartsQuery) {
        EdPartsForm->EditPart(VornData->PartsPartNo->AsFloat());
        return;
    }
    // An empty list has no part to edit; the part form would open on any part.
    if (VornData->PartsQuery->IsEmpty())
        return;
    const double partNo = VornData->PartsQueryPartNo->AsFloat();
    EdPartsForm->EditPart(partNo);
    OpenBackorders();
    // Back on the part just edited, while it is still back-ordered.
    VornData->PartsQuery->Locate("PartNo", partNo);
}

void TBrPartsForm::CloseBtnClick(TObject*)
{
    Close();
}
