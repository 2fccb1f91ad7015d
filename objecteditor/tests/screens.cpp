// Takes pictures of quillpad's window for review: a selected row, an open drop-down
// and a check-box row. Run under an X server: screens <output folder>.
#include "objecteditor/object_editor_window.h"

#include "platform/widgets/application.h"
#include "inspector/inplace_controls.h"

#include <QDir>
#include <QScreen>
#include <QTemporaryDir>
#include <QtTest>

namespace {

void Shoot(QWidget* Window, const QString& File)
{
    QCoreApplication::processEvents();
    QTest::qWait(200);
    const QRect Frame = Window->frameGeometry();
    QScreen* Screen = Window->screen();
    // The whole screen area around the window, so that the drop-down list shows too.
    Screen->grabWindow(0, Frame.x(), Frame.y(), Frame.width(), Frame.height() + 120).save(File);
}

int RowNamed(TNodescope* Ins, const std::string& Name)
{
    for (int I = 0; I < Ins->RowCount(); ++I)
        if (Ins->Rows(I)->Editor->GetName() == Name)
            return I;
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    TGuiApplication App(argc, argv);
    const QString Out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath();
    QTemporaryDir Folder;
    QFile::copy(QUILLPAD_SCHEME, Folder.filePath("scheme.xsd"));
    TForm1::SetDataFolder(Folder.path().toStdString());
    auto* Form = new TForm1;
    Form->move(40, 40);
    Form->show();
    Form->activateWindow();
    if (!QTest::qWaitForWindowActive(Form))
        qWarning("the window did not become active");
    TNodescope* Ins = Form->Nodescope1();

    Ins->SelectRow(RowNamed(Ins, "Registered address"));
    Ins->ToggleExpand();
    Ins->SelectRow(RowNamed(Ins, "Company name"));
    Ins->setFocus();
    Shoot(Form, Out + "/quillpad_selected.png");

    Ins->SelectRow(RowNamed(Ins, "Legal form"));
    QTest::keyClick(Ins->InplaceEdit(), Qt::Key_Down, Qt::AltModifier);
    Shoot(Form, Out + "/quillpad_dropdown.png");
    QTest::keyClick(Ins->InplaceEdit()->FButton, Qt::Key_Escape);

    Ins->SelectRow(RowNamed(Ins, "Tax exempt"));
    Shoot(Form, Out + "/quillpad_checkbox.png");
    delete Form;
    return 0;
}
