// quillpad: edits one XML object against its schema.
//   quillpad [--schema FILE] [--root ELEMENT] [OBJECT]
#include "objecteditor/object_editor_window.h"

#include "platform/core/exceptions.h"
#include "platform/widgets/application.h"

#include <QScreen>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    // Help needs no display: it is answered before the application is made.
    for (int I = 1; I < argc; ++I)
        if (std::strcmp(argv[I], "--help") == 0 || std::strcmp(argv[I], "-h") == 0) {
            std::fputs(QuillpadUsage().toLocal8Bit().constData(), stdout);
            return 0;
        }
    TGuiApplication App(argc, argv);
    Application->Title = "quillpad";
    // The application has taken its own options (-platform, ...) out of the list.
    TQuillpadOptions Options;
    try {
        Options = ParseQuillpadArguments(App.arguments().mid(1));
    } catch (const Exception& E) {
        std::fprintf(stderr, "quillpad: %s\n\n%s", E.Message.c_str(), QuillpadUsage().toLocal8Bit().constData());
        return 2;
    }
    Form1 = new TForm1(Options);
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
