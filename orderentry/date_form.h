// The calendar dialog: the caller presets Date, shows the dialog modally and reads
// Date back when it closed with OK. A double-click on a day (or Enter on it) picks it
// as OK does; Escape and Cancel leave the caller's date alone.
#pragma once

#include "platform/core/datetime.h"
#include "platform/widgets/forms.h"
#include "ui_date_form.h"

class TBrDateForm : public TForm, public Ui::TBrDateForm {
    Q_OBJECT

public:
    explicit TBrDateForm(QWidget* Parent = nullptr);
    ~TBrDateForm() override;

    // The calendar's selected day. Setting a date outside the years 1 to 9999 raises
    // EConvertError and leaves the calendar as it was.
    TDateTime Date() const { return Calendar1->Date(); }
    void SetDate(TDateTime Value) { Calendar1->SetDate(Value); }
};

extern TBrDateForm* BrDateForm;
