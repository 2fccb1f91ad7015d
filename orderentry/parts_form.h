// The parts browser: every part of the inventory or, with Backorders down, only the
// parts with more on order than on hand, in a grid on VornData's PartsSource. It is
// shown without waiting. Edit opens the part form on the selected part; the
// back-order list is read again afterwards, so a part that is no longer back-ordered
// drops out of it. What must stay true: PartsSource points at PartsQuery only while
// that query is open, so the grid never stands on a list that failed to open.
#pragma once

#include "platform/widgets/forms.h"
#include "ui_parts_form.h"

class TBrPartsForm : public TForm, public Ui::TBrPartsForm {
    Q_OBJECT

public:
    // VornData must exist: the grid and the navigator bind to its PartsSource here.
    explicit TBrPartsForm(QWidget* Parent = nullptr);
    ~TBrPartsForm() override;

    void FormShow(TObject* Sender);
    void ActivateQuery(TObject* Sender);
    void EditBtnClick(TObject* Sender);
    void CloseBtnClick(TObject* Sender);

private:
    // Closes and reopens the back-order list and shows it; on failure shows all parts
    // and raises the error.
    void OpenBackorders();
};

extern TBrPartsForm* BrPartsForm;
