#include "orderentry/pickrpt_dlg.h"

#include <QRadioButton>

TPickRpt* PickRpt = nullptr;

TPickRpt::TPickRpt(QWidget* Parent)
    : TForm(Parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowCloseButtonHint)
{
    setupUi(this);
    setFixedSize(238, 106);
    QPalette black = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive})
        for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText, QPalette::Text})
            black.setColor(group, role, Qt::black);
    setPalette(black);
    SetHelpContext(5);

    // The flag is set before the click closes the dialog, so the caller reads it as
    // soon as ShowModal returns.
    OKBtn->OnClick = [this](TObject* Sender) { OKBtnClick(Sender); };
    ViewBtn->OnClick = [this](TObject* Sender) { ViewBtnClick(Sender); };
    SetButtonModalResult(OKBtn, mrOk);
    SetButtonModalResult(ViewBtn, mrOk);
    SetButtonModalResult(CloseBtn, mrCancel);
    SetCancelButton(CloseBtn);
    OnShow = [this](TObject*) {
        CenterOnScreen();
        ReportType->Button(qMax(0, ReportType->ItemIndex()))->setFocus();
    };
}

TPickRpt::~TPickRpt()
{
    if (PickRpt == this)
        PickRpt = nullptr;
}

void TPickRpt::OKBtnClick(TObject*)
{
    FPreview = false;
}

void TPickRpt::ViewBtnClick(TObject*)
{
    FPreview = true;
}
