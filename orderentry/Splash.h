// The splash window shown while the program starts: the logo and "Loading...".
#pragma once

#include "platform/widgets/forms.h"
#include "ui_Splash.h"

class TSplashForm : public TForm, public Ui::TSplashForm {
    Q_OBJECT

public:
    explicit TSplashForm(QWidget* Parent = nullptr);

    // True once the window has been painted; the start waits for that before the slow
    // work begins, so the user sees it at once.
    bool Painted() const { return FPainted; }

protected:
    void paintEvent(QPaintEvent* Event) override;

private:
    bool FPainted = false;
};
