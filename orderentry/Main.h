// The main window of Vornapp, its menus and tool bar. What must stay true: it is made
// after VornData (its creation registers VornData's database with the report
// writer's connection file), and a storage switch never runs while another window
// still holds the data (every other window closes first, or nothing happens). The
// program's start and run are in Startup.h.
#pragma once

#include "platform/widgets/forms.h"
#include "ui_Main.h"

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

    // The three reports to the printer, or first to the preview window (returning when
    // it closes): the customer list; the order history of a range asked in
    // QueryCustDlg; the invoice of an order chosen in PickOrderNoDlg. A dialog
    // closed without OK prints nothing. PrintInvoice hides the menu item of that name,
    // which is Ui::TMainForm::PrintInvoice.
    void PrintCustomerList(bool Preview);
    void PrintOrderHistory(bool Preview);
    void PrintInvoice(bool Preview);

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
