// The base of every window: created once and hidden, shown modally (ShowModal returns
// the modal result) or modelessly (Show). What must stay true: a form closes only when
// its close query allows it, and a modal form returns the result it closed with.
#pragma once

#include "platform/widgets/messages.h"
#include "platform/core/object.h"

#include <QDialog>

#include <functional>

class QAbstractButton;
class QEventLoop;

enum TFormStyle { fsNormal, fsStayOnTop };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

class TForm : public QDialog, public TObject {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(int HelpContext READ HelpContext WRITE SetHelpContext)

public:
    explicit TForm(QWidget* Parent = nullptr, Qt::WindowFlags Flags = {});
    ~TForm() override;

    // Alias of the window title, the name the language file uses.
    QString Caption() const { return windowTitle(); }
    void SetCaption(const QString& Value) { setWindowTitle(Value); }

    // Shows the form and waits until it closes; returns how it closed (mrCancel for
    // the close box). Throws Exception when the form is already visible.
    TModalResult ShowModal();
    // Shows the form without waiting and brings it to the front.
    void Show();
    // Asks the form to close (through OnCloseQuery and OnClose).
    void Close();
    // True while shown by ShowModal.
    bool Modal() const { return FLoop != nullptr; }

    TModalResult ModalResult() const { return FModalResult; }
    // A non-zero result closes a modal form when its close query allows; a refused
    // close resets it to mrNone.
    void SetModalResult(TModalResult Value);
    // Makes a click on Button set the modal result and close the form (an OK or
    // Cancel button); a modeless form closes as well.
    void SetButtonModalResult(QAbstractButton* Button, TModalResult Result);
    // The button that Escape clicks; without one Escape does nothing.
    QAbstractButton* CancelButton() const { return FCancelButton; }
    void SetCancelButton(QAbstractButton* Button) { FCancelButton = Button; }

    // Runs OnCloseQuery; true when the form may close.
    virtual bool CloseQuery();

    TFormStyle FormStyle() const { return FFormStyle; }
    // fsStayOnTop keeps the window above other programs' windows; a visible window
    // stays visible and in place.
    void SetFormStyle(TFormStyle Value);

    // The help topic of the window; F1 opens it.
    int HelpContext() const { return FHelpContext; }
    void SetHelpContext(int Value) { FHelpContext = Value; }

    // Prints the form's image on the current printer.
    void Print();

    // Moves the window to the centre of its screen.
    void CenterOnScreen();

    std::function<void(TObject* Sender, bool& CanClose)> OnCloseQuery;
    std::function<void(TObject* Sender, TCloseAction& Action)> OnClose;
    std::function<void(TObject* Sender)> OnShow;
    std::function<void(TObject* Sender)> OnHide;

public slots:
    // Qt's own ways of ending a dialog (button boxes) set the modal result and go
    // through the close query like every other close; Rejected gives mrCancel.
    void done(int Result) override;
    void accept() override;
    void reject() override;

protected:
    void closeEvent(QCloseEvent* Event) override;
    void showEvent(QShowEvent* Event) override;
    void hideEvent(QHideEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;

private:
    TModalResult FModalResult = mrNone;
    TFormStyle FFormStyle = fsNormal;
    int FHelpContext = 0;
    QAbstractButton* FCancelButton = nullptr;
    QEventLoop* FLoop = nullptr;
    bool FRestyling = false;
};
