// The date-range dialog: a From and a To date typed or picked from the calendar. The
// customers' browser asks it for the range of last-invoice dates, the order-history
// report for a range of sale dates (it rewrites the label). It returns OK only for a
// range it can read: To empty, or both dates readable with From not after To.
// Dates read and write in the program's current short date format, which the main
// window may change while the dialog lives, so they are never kept as text of their own.
#pragma once

#include "platform/core/datetime.h"
#include "platform/widgets/forms.h"
#include "ui_querycust_dlg.h"

class TQueryCustDlg : public TForm, public Ui::TQueryCustDlg {
    Q_OBJECT

public:
    explicit TQueryCustDlg(QWidget* Parent = nullptr);
    ~TQueryCustDlg() override;

    // The edit's date; an empty edit reads as 0. Text that is not a date raises
    // EConvertError. Writing 0 empties the edit, so that it reads back as 0.
    TDateTime FromDate() const;
    void SetFromDate(TDateTime Value);
    TDateTime ToDate() const;
    void SetToDate(TDateTime Value);

    void FormCreate(TObject* Sender);
    void OkBtnClick(TObject* Sender);
    void PopupCalBtnFromClick(TObject* Sender);
    void PopupCalToBtnClick(TObject* Sender);

private:
    // Lets the user pick the edit's date in the calendar; the edit must hold a date.
    void PickInto(TEdit* Edit);
};

extern TQueryCustDlg* QueryCustDlg;
