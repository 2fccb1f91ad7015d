// The report selection dialog of the Reports button: which report, and whether to
// print it at once (Print) or show it in the preview first (View). It keeps the last
// choice between uses.
#pragma once

#include "platform/widgets/forms.h"
#include "ui_pickrpt_dlg.h"

class TPickRpt : public TForm, public Ui::TPickRpt {
    Q_OBJECT

public:
    explicit TPickRpt(QWidget* Parent = nullptr);
    ~TPickRpt() override;

    // True when the dialog last closed through View.
    bool FPreview = false;

    void OKBtnClick(TObject* Sender);
    void ViewBtnClick(TObject* Sender);
};

extern TPickRpt* PickRpt;
