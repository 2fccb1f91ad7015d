// Shows the language wizard over the sample form for a picture of the screen: the
// form is shown, left Alt+L opens the wizard on it with a grid column's title
// selected, and the wizard stays open for the given seconds (default 5) before it
// closes. Run under an X server: langwiz_screens [seconds]
#include "localization/tests/sampleform.h"
#include "localization/tests/wizarddriver.h"

#include "platform/widgets/application.h"

#include <QTimer>

int main(int argc, char** argv)
{
    TGuiApplication App(argc, argv);
    const int Seconds = argc > 1 ? QString::fromLocal8Bit(argv[1]).toInt() : 5;
    InstallLanguageWizard();
    TSampleForm Form;
    Form.move(20, 20);
    Form.show();
    Form.activateWindow();
    if (!QTest::qWaitForWindowActive(&Form))
        qWarning("the form did not become active");
    Form.CompanyEdit->setFocus();
    const bool Opened = wizard::WithWizard([&](TLWizard& Wizard) {
        Wizard.Props->SelectRow(wizard::RowOf(Wizard.Props, "ItemsGrid.Columns.0.Title.Caption"));
        Wizard.Props->InplaceEdit()->setFocus();
        QTest::qWait(Seconds * 1000);
    });
    if (!Opened)
        qWarning("the wizard did not open");
    return Opened ? 0 : 1;
}
