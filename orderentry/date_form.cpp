#include "orderentry/date_form.h"

TBrDateForm* BrDateForm = nullptr;

TBrDateForm::TBrDateForm(QWidget* Parent)
    : TForm(Parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowCloseButtonHint)
{
    setupUi(this);
    setFixedSize(size());
    SetButtonModalResult(OKBtn, mrOk);
    SetButtonModalResult(CancelBtn, mrCancel);
    SetCancelButton(CancelBtn);
    // The calendar keeps Enter for itself, so the default button never sees it there.
    Calendar1->OnDblClick = [this](TObject*) { SetModalResult(mrOk); };
    OnShow = [this](TObject*) {
        CenterOnScreen();
        Calendar1->setFocus();
    };
}

TBrDateForm::~TBrDateForm()
{
    if (BrDateForm == this)
        BrDateForm = nullptr;
}
