// Vornapp, the order-entry program: starts, runs the event loop until the main window
// closes, and frees what the application owns.
#include "Main.h"

#include "application.h"

int main(int argc, char** argv)
{
    TGuiApplication app(argc, argv);
    // Closing the main window ends the program, whatever other window is still open.
    app.setQuitOnLastWindowClosed(false);

    int result = 1;
    if (StartOrderEntry()) {
        MainForm->OnClose = [](TObject*, TCloseAction&) { QCoreApplication::exit(0); };
        MainForm->show();
        result = app.exec();
    }
    FreeApplicationObjects();
    return result;
}
