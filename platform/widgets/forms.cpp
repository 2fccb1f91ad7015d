// The base form. ShowModal runs its own event loop rather than QDialog::exec, so that
// a result set before the loop starts (from OnShow) still ends it, and every way of
// closing passes the close query.
#include "platform/widgets/forms.h"

#include "platform/widgets/application.h"
#include "platform/core/exceptions.h"
#include "platform/widgets/printers.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPointer>
#include <QScreen>

TForm::TForm(QWidget* Parent, Qt::WindowFlags Flags)
    : QDialog(Parent, Flags)
{
}

TForm::~TForm()
{
    if (FLoop)
        FLoop->exit();
}

TModalResult TForm::ShowModal()
{
    if (isVisible())
        throw Exception("Cannot make a visible window modal");
    Qt::WindowModality previous = windowModality();
    setWindowModality(Qt::ApplicationModal);
    FModalResult = mrNone;
    QEventLoop loop;
    FLoop = &loop;
    QPointer<TForm> self(this);
    show();
    if (self && isVisible())
        loop.exec(QEventLoop::DialogExec);
    if (!self)
        return mrCancel;
    FLoop = nullptr;
    if (isVisible())
        hide();
    setWindowModality(previous);
    if (FModalResult == mrNone)
        FModalResult = mrCancel;
    return FModalResult;
}

void TForm::Show()
{
    if (isMinimized())
        showNormal();
    else
        show();
    raise();
    activateWindow();
}

void TForm::Close()
{
    close();
}

void TForm::SetModalResult(TModalResult Value)
{
    FModalResult = Value;
    if (Modal() && Value != mrNone && isVisible())
        close();
}

void TForm::SetButtonModalResult(QAbstractButton* Button, TModalResult Result)
{
    connect(Button, &QAbstractButton::clicked, this, [this, Result] { done(Result); });
}

bool TForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    return canClose;
}

void TForm::done(int Result)
{
    SetModalResult(Result == QDialog::Rejected ? mrCancel : Result);
    if (!Modal())
        close();
}

void TForm::accept()
{
    done(mrOk);
}

void TForm::reject()
{
    done(mrCancel);
}

void TForm::closeEvent(QCloseEvent* Event)
{
    // The close box of a modal form answers Cancel.
    if (Modal() && FModalResult == mrNone)
        FModalResult = mrCancel;
    TCloseAction action = caHide;
    if (CloseQuery()) {
        if (OnClose)
            OnClose(this, action);
    } else {
        action = caNone;
    }
    if (action == caNone) {
        FModalResult = mrNone;
        Event->ignore();
        return;
    }
    if (action == caMinimize) {
        Event->ignore();
        showMinimized();
        return;
    }
    Event->accept();
    if (action == caFree)
        deleteLater();
}

void TForm::showEvent(QShowEvent* Event)
{
    QDialog::showEvent(Event);
    if (!Event->spontaneous() && !FRestyling && OnShow)
        OnShow(this);
}

void TForm::hideEvent(QHideEvent* Event)
{
    QDialog::hideEvent(Event);
    if (Event->spontaneous() || FRestyling)
        return;
    if (OnHide)
        OnHide(this);
    if (FLoop)
        FLoop->exit();
}

void TForm::keyPressEvent(QKeyEvent* Event)
{
    if (Event->key() == Qt::Key_Escape && Event->modifiers() == Qt::NoModifier) {
        if (FCancelButton && FCancelButton->isVisible() && FCancelButton->isEnabled())
            FCancelButton->click();
        Event->accept();
        return;
    }
    if (Event->key() == Qt::Key_F1 && Event->modifiers() == Qt::NoModifier && FHelpContext != 0) {
        Event->accept();
        Application->HelpContext(FHelpContext);
        return;
    }
    QDialog::keyPressEvent(Event);
}

void TForm::SetFormStyle(TFormStyle Value)
{
    if (Value == FFormStyle)
        return;
    FFormStyle = Value;
    bool visible = isVisible();
    QPoint position = pos();
    // Changing window flags re-creates the native window, hiding it.
    FRestyling = true;
    setWindowFlag(Qt::WindowStaysOnTopHint, Value == fsStayOnTop);
    if (visible) {
        move(position);
        show();
    }
    FRestyling = false;
}

void TForm::Print()
{
    PrintWidgetImage(this, *::Printer());
}

void TForm::CenterOnScreen()
{
    QScreen* screen = this->screen();
    if (!screen)
        return;
    QRect area = screen->availableGeometry();
    QSize frame = frameGeometry().size();
    move(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2);
}
