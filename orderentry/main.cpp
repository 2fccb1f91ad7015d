// Vornapp, the order-entry program: runs from its start until the main window closes,
// then frees what the application owns.
#include "orderentry/Startup.h"

#include "platform/widgets/application.h"

int main(int argc, char** argv)
{
    TGuiApplication app(argc, argv);
    return RunOrderEntry();
}
