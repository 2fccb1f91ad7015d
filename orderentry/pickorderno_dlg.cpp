#include "orderentry/pickorderno_dlg.h"

#include "orderentry/DataMod.h"

#include "platform/core/exceptions.h"
#include "platform/widgets/application.h"

TPickOrderNoDlg* PickOrderNoDlg = nullptr;

TPickOrderNoDlg::TPickOrderNoDlg(QWidget* Parent)
    : TForm(Parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowCloseButtonHint)
{
    if (!VornData)
        throw Exception("The data module must exist before the order-number picker");
    setupUi(this);
    DBLookupListBox1->SetListSource(VornData->OrdersSource);
    SetButtonModalResult(OKBtn, mrOk);
    SetButtonModalResult(CancelBtn, mrCancel);
    SetCancelButton(CancelBtn);
    OnShow = [this](TObject* Sender) { FormShow(Sender); };
}

TPickOrderNoDlg::~TPickOrderNoDlg()
{
    if (PickOrderNoDlg == this)
        PickOrderNoDlg = nullptr;
}

void TPickOrderNoDlg::FormShow(TObject*)
{
    CenterOnScreen();
    // Orders that cannot be opened (a server gone since the switch) are reported, and
    // the picker closes as Cancel would: there is nothing to pick from.
    if (!Application->Guard([] { VornData->Orders->Open(); })) {
        SetModalResult(mrCancel);
        return;
    }
    // The list shows the current order chosen, so OK at once takes the order the
    // clerk sees.
    DBLookupListBox1->SetKeyValue(VornData->OrdersOrderNo->Value());
    DBLookupListBox1->setFocus();
}
