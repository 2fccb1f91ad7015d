// The date-range dialog: the two dates, the check of OK and the calendar buttons.
#include "orderentry/querycust_dlg.h"

#include "orderentry/date_form.h"

#include "platform/core/exceptions.h"
#include "platform/core/formatsettings.h"
#include "platform/data/field.h"

TQueryCustDlg* QueryCustDlg = nullptr;

namespace {

TDateTime ReadDate(const TEdit* Edit)
{
    const QString text = Edit->text().trimmed();
    return text.isEmpty() ? 0 : StrToDateTime(text);
}

void WriteDate(TEdit* Edit, TDateTime Value)
{
    Edit->setText(Value == 0 ? QString()
                             : FormatDateTime(QString::fromStdString(FormatSettings.ShortDateFormat), Value));
}

} // namespace

TQueryCustDlg::TQueryCustDlg(QWidget* Parent)
    : TForm(Parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                        Qt::WindowCloseButtonHint)
{
    setupUi(this);
    setFixedSize(size());
    // OK closes only once OkBtnClick has accepted the range.
    OkBtn->OnClick = [this](TObject* Sender) { OkBtnClick(Sender); };
    SetButtonModalResult(CancelBtn, mrCancel);
    SetCancelButton(CancelBtn);
    PopupCalBtnFrom->OnClick = [this](TObject* Sender) { PopupCalBtnFromClick(Sender); };
    PopupCalToBtn->OnClick = [this](TObject* Sender) { PopupCalToBtnClick(Sender); };
    OnShow = [this](TObject*) {
        CenterOnScreen();
        FromEdit->setFocus();
        FromEdit->selectAll();
    };
    FormCreate(this);
}

TQueryCustDlg::~TQueryCustDlg()
{
    if (QueryCustDlg == this)
        QueryCustDlg = nullptr;
}

void TQueryCustDlg::FormCreate(TObject*)
{
    Msglab->SetCaption("Customers with LastInvoiceDate ranging:");
    SetFromDate(EncodeDate(1995, 1, 1));
    SetToDate(Date());
}

TDateTime TQueryCustDlg::FromDate() const
{
    return ReadDate(FromEdit);
}

void TQueryCustDlg::SetFromDate(TDateTime Value)
{
    WriteDate(FromEdit, Value);
}

TDateTime TQueryCustDlg::ToDate() const
{
    return ReadDate(ToEdit);
}

void TQueryCustDlg::SetToDate(TDateTime Value)
{
    WriteDate(ToEdit, Value);
}

void TQueryCustDlg::OkBtnClick(TObject*)
{
    try {
        // No end to the range: nothing to compare.
        if (ToDate() != 0 && FromDate() > ToDate()) {
            MessageDlg("\"TO\" date cannot be less than \"FROM\" date", mtWarning, {mbOK});
            return;
        }
    } catch (const EConvertError&) {
        MessageDlg("  Invalid date specified", mtWarning, {mbOK});
        return;
    }
    SetModalResult(mrOk);
}

void TQueryCustDlg::PickInto(TEdit* Edit)
{
    // Parsed without a guard: an empty or mistyped edit is reported and no calendar opens.
    BrDateForm->SetDate(StrToDateTime(Edit->text()));
    if (BrDateForm->ShowModal() == mrOk)
        WriteDate(Edit, BrDateForm->Date());
}

void TQueryCustDlg::PopupCalBtnFromClick(TObject*)
{
    PickInto(FromEdit);
}

void TQueryCustDlg::PopupCalToBtnClick(TObject*)
{
    PickInto(ToEdit);
}
