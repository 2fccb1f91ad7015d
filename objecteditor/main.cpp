// quillpad: edits one XML object against its schema. It takes no arguments.
#include "objecteditor/object_editor_window.h"

#include "platform/widgets/application.h"

#include <QScreen>

int main(int argc, char** argv)
{
    TGuiApplication App(argc, argv);
    Application->Title = "quillpad";
    Form1 = new TForm1;
    if (QScreen* Screen = Form1->screen()) {
        QRect Frame = Form1->frameGeometry();
        Frame.moveCenter(Screen->availableGeometry().center());
        Form1->move(Frame.topLeft());
    }
    Form1->show();
    // A session that ends (logout, shutdown) closes the window as its user would, so
    // the object is saved.
    CatchTerminationSignals([](int) {
        if (Form1)
            Form1->close();
    });
    const int Result = App.exec();
    delete Form1;
    Form1 = nullptr;
    return Result;
}
