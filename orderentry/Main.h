// The main window of Vornapp, its menus and tool bar, and the program's start: the
// objects the application owns, created once in a fixed order and freed together at
// the end. What must stay true: VornData exists before any window, the main window is
// the first window created, and a storage switch never runs while another window
// still holds the data (every other window closes first, or nothing happens).
#pragma once

#include "forms.h"
#include "ui_Main.h"

#include <QList>
#include <QString>

#include <functional>

class QActionGroup;
class TPrinterSetupDialog;

class TMainForm : public TForm, public Ui::TMainForm {
    Q_OBJECT

public:
    explicit TMainForm(QWidget* Parent = nullptr);
    ~TMainForm() override;

    // The printer set-up dialog of the File menu.
    TPrinterSetupDialog* PrinterSetup;

    void FormCreate(TObject* Sender);
    void FormDestroy(TObject* Sender);

    void NewOrder(TObject* Sender);
    void BrowseCustOrd(TObject* Sender);
    void BrowseParts(TObject* Sender);
    void ReportBtnClick(TObject* Sender);
    void CustomerReport(TObject* Sender);
    void OrderReport(TObject* Sender);
    void InvoiceReport(TObject* Sender);
    void PrinterSetupClick(TObject* Sender);
    void HelpBtnClick(TObject* Sender);
    void AboutClick(TObject* Sender);
    void CloseApp(TObject* Sender);
    void ToggleStayonTop(TObject* Sender);
    void ViewMenuClick(TObject* Sender);
    void ViewLocalClick(TObject* Sender);
    void ViewRemoteClick(TObject* Sender);

    // 0 when the date format puts the month first, 1 the day, 2 the year (the first of
    // the letters D, M, Y in any case decides; none gives 0).
    static int DateOrder(const QString& DateFormat);

    // Closes every other visible window of the application. A window that refuses to
    // close stops the caller silently (EAbort): its pending edits must not lose their
    // connection underneath it.
    void CloseOtherForms();

    // Registers the current database with the report writer's connection file.
    void UpdateReportConnection();
    void WriteReportConnection(const QString& Value);
    // "RPTSMITH.CON" in the user's settings folder.
    static QString ReportConnectionFileName();

protected:
    bool event(QEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;

private:
    // The button whose accelerator the key is; buttons come before the menu bar, whose
    // "&Help" shares Alt+H with the Help button.
    QAbstractButton* AcceleratedButton(const QKeyEvent* Event) const;

    // The storage item whose tick stands for the open storage.
    QAction* FStorageItem = nullptr;
    QActionGroup* FStorageGroup = nullptr;

    void SwitchStorage(QAction* Item, const QString& Suffix, const std::function<void()>& Open);
    void Wire(QAction* Item, void (TMainForm::*Handler)(TObject*));
    void Wire(QAbstractButton* Button, void (TMainForm::*Handler)(TObject*));
};

extern TMainForm* MainForm;

// The objects the application owns (data module, windows, reports), in creation
// order. CloseOtherForms walks this list; the end of the run frees it backwards.
QList<QObject*>& ApplicationComponents();

// Start-up step 4: creates VornData and every window of the program once, in the
// fixed order, hidden. Throws whatever a creation throws; what was created stays
// registered so FreeApplicationObjects can free it.
void CreateApplicationObjects();
// Frees the application's objects, last created first, and clears their instances.
void FreeApplicationObjects();

// The program's start before the event loop: the user's date, number and currency
// formats taken from the system locale, splash shown and painted, title and help file,
// the application's objects, splash destroyed. False when a failure was reported to
// the user; the program must then end without showing the main window. A failure that
// need not stop the start (the report writer's connection file) is reported once the
// splash has gone, and the start goes on.
bool StartOrderEntry();

// The program's whole run once the application object exists: the start, the main
// window and the event loop until it closes, then the application's objects freed
// (the connection closes and its scratch files go). The end of the session, SIGTERM
// (shutdown) or SIGHUP (logout), closes the main window as the user would; one that
// comes during the start ends the program as soon as the start is over. Returns the
// program's exit code.
int RunOrderEntry();

// Told each step of StartOrderEntry by name ("Splash", "VornData", "MainForm",
// "AboutBox", ..., "SplashGone"), so the order can be followed from outside.
extern std::function<void(const QString& Step)> OnStartupStep;
