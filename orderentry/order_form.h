// The order entry form: one order with its lines, entered or changed in a modal
// window bound to VornData's Orders and Items. The form holds no rules of its own:
// numbering, totals, validation, questions and writing belong to the data module. It
// binds its controls, points its navigators and mode label at the order or at its
// lines (whichever the focus is on), follows the order's state in its buttons, and
// offers a calendar, the part search and printing of its own image.
//
// It is the one localizable window: its creation loads "lang.xml" from the program's
// folder into LangDocument, and every close it allows writes that document back. What
// must stay true: a translation file never stops a clerk from entering orders (a
// missing one starts the form untranslated, an unreadable one is reported and kept
// for mending), and the file on disk is always whole.
#pragma once

#include "localization/lnframe.h"
#include "ui_order_form.h"

#include <QString>

#include <array>
#include <functional>

class TDataSet;
class TDataSource;

class TEdOrderForm : public TLnForm, public Ui::TEdOrderForm {
    Q_OBJECT

public:
    // VornData must exist: the controls bind to its data sources here.
    explicit TEdOrderForm(QWidget* Parent = nullptr);
    ~TEdOrderForm() override;

    // The navigators' and the mode label's source: the order, or its lines while the
    // grid has the focus.
    TDataSource* ActiveSource;

    // The texts of the dataset states, in the data layer's order.
    static const std::array<QString, 13> StateNames;

    // A new order, modal. Whatever fails, the form stops following the order's state.
    void EnterNewOrder();
    // The order with that number, modal, in browse; another number leaves the current
    // order where it was.
    void EditOrder(double OrderNo);

    void FormCreate(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void ActiveSourceStateChange(TDataSource* Sender);
    void OrdersSourceStateChange(TDataSource* Sender);
    void ItemsGridEnter(TObject* Sender);
    void ItemsGridExit(TObject* Sender);
    void PickDate(TObject* Sender);
    void SaleDateEditKeyPress(TObject* Sender, QChar& Key);
    void PickPartNo(TObject* Sender);
    void SoldByComboKeyPress(TObject* Sender, QChar& Key);
    void PostBtnClick(TObject* Sender);
    void CancelBtnClick(TObject* Sender);
    void PrintBtnClick(TObject* Sender);

    // The language file's full path: the program's folder and LangFileName.
    static QString LangFilePath();

private:
    void BindControls();
    void SetUpColumns();
    // Narrows the columns after Description until every column is in sight.
    void FitColumns();
    // Shows the form modally on the order Prepare chose, following its state meanwhile.
    void RunEntry(const std::function<void()>& Prepare);
    // Points ActiveSource at DataSet through "no dataset", as the label expects.
    void PointActiveSource(TDataSet* DataSet);
    // Gives VornData.OrdersSource back the state-change handler it had before.
    void StopFollowingOrders();
    // Loads the language file into LangDocument (order_form_lang.cpp).
    void LoadLanguageFile();
    void SaveLanguageFile();

    std::function<void(TDataSource*)> FPreviousOrdersStateChange;
    bool FFollowingOrders = false;
    // The file on disk could not be read: it is not overwritten on close.
    bool FKeepLanguageFile = false;
};

extern TEdOrderForm* EdOrderForm;
