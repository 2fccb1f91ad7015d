// The order entry form on local sample data, used through its controls as a clerk
// uses it: a new order entered and saved ends in the database with the rules' totals;
// the mode label, help context and buttons follow the order and its lines; Cancel
// Edits drops a new order with its lines without a question; the close box asks only
// about changes that were never written; the date edit's keys, the calendar, the
// sales-person combo's refusal of typing, and printing the form's image.
#include "orderentry/Main.h"
#include "orderentry/tests/order_fixture.h"

#include "platform/core/datetime.h"
#include "platform/datacontrols/dbgrid.h"
#include "platform/widgets/application.h"
#include "platform/widgets/printers.h"

#include <QPrinter>
#include <QTemporaryDir>

class OrderFormTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TScratchStore> FStore;
    std::unique_ptr<TMessageRecorder> FUser;

    static TEdOrderForm* Form() { return EdOrderForm; }

    // Focuses the grid as a click on its title row does.
    static void ClickGrid()
    {
        QTest::mouseClick(Form()->ItemsGrid->viewport(), Qt::LeftButton, {}, QPoint(3, 3));
    }

    // Types a line into the grid's current (new) row: part, quantity and discount.
    static void TypeLine(const QString& PartNo, const QString& Qty, const QString& Discount)
    {
        Press(Qt::Key_Home);
        Type(PartNo);
        Press(Qt::Key_Tab); // Description, looked up
        Press(Qt::Key_Tab); // SellPrice, looked up
        Press(Qt::Key_Tab); // Qty
        Type(Qty);
        Press(Qt::Key_Tab);
        Type(Discount);
    }

    // Replaces an edit's whole text, as a user selecting it and typing.
    static void Retype(QLineEdit* Edit, const QString& Text)
    {
        Edit->setFocus();
        Edit->selectAll();
        Type(Text);
    }

    // Picks the customer and the sales person of a new order.
    static void FillHeader()
    {
        Form()->CompanyCombo->setFocus();
        Type("Tax");
        Form()->SoldByCombo->setFocus();
        Press(Qt::Key_Down);
    }

    QStringList Asked() const
    {
        return FUser->Texts();
    }

    double NextOrderNo() const { return FStore->Number("SELECT NewKey FROM NEXTORD"); }

private slots:
    void init()
    {
        try {
            FStore = OrderFormStore();
        } catch (const std::exception& e) {
            QFAIL(qPrintable(QString("the sample data could not be built: ") + e.what()));
        }
        FUser = std::make_unique<TMessageRecorder>(std::vector<TModalResult>{}, mrCancel);
        CreateApplicationObjects();
        QVERIFY(EdOrderForm && BrDateForm);
    }

    void cleanup()
    {
        FreeApplicationObjects();
        QVERIFY(!EdOrderForm && !BrDateForm);
        FUser.reset();
        FStore.reset();
    }

    void formStartsUntranslatedWithEveryColumnInSight()
    {
        TEdOrderForm* f = Form();
        QCOMPARE(f->windowTitle(), QString("9"));
        QCOMPARE(f->HelpContext(), 3);
        QCOMPARE(f->ModeIndicator->text(), QString("[Mode]"));
        QCOMPARE(f->ActiveSource->DataSet(), static_cast<TDataSet*>(VornData->Orders));
        QVERIFY(!f->PostBtn->isEnabled() && !f->CancelBtn->isEnabled());
        // Shown, every column is in sight, whatever the screen font's width; PartNo and
        // Description keep their widths.
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f));
        QCOMPARE(f->size(), QSize(478, 415));
        QCOMPARE(f->ItemsGrid->CellRect(0, 0).width(), 63);
        QCOMPARE(f->ItemsGrid->CellRect(0, 1).width(), 161);
        QVERIFY(f->ItemsGrid->CellRect(0, 5).right() < f->ItemsGrid->viewport()->width());
        // Text is black, but a disabled button still looks disabled.
        QCOMPARE(f->CloseBtn->palette().color(QPalette::Active, QPalette::ButtonText), QColor(Qt::black));
        QVERIFY(f->PostBtn->palette().color(QPalette::Disabled, QPalette::ButtonText) != QColor(Qt::black));
        f->close();
        QVERIFY(!f->isVisible());
    }

    void clerkEntersANewOrder()
    {
        const double orderNo = NextOrderNo();
        bool calendarShown = false;
        const bool shown = WhileModal(Form(), [] { Form()->EnterNewOrder(); }, [&] {
            TEdOrderForm* f = Form();
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f->CompanyCombo));
            // The customer by the first letters of its company.
            Type("Tax");
            QCOMPARE(VornData->OrdersCustNo->AsFloat(), kCustTaxed);
            QCOMPARE(f->CustNoEdit->text(), QString("9001"));
            QCOMPARE(VornData->OrdersTaxRate->AsFloat(), 8.25);
            // The sale date through the calendar: the day before today.
            f->SaleDateEdit->setFocus();
            calendarShown = WhileModal(BrDateForm, [] { Press(Qt::Key_Return, Qt::ControlModifier); }, [] {
                QCOMPARE(BrDateForm->Date(), Date());
                Press(Qt::Key_Left);
                Press(Qt::Key_Return);
            });
            QCOMPARE(VornData->OrdersSaleDate->AsDateTime(), Date() - 1);
            // The sales person from the list.
            f->SoldByCombo->setFocus();
            Press(Qt::Key_Down);
            QVERIFY(!VornData->OrdersEmpNo->IsNull());
            // A line: part, quantity and discount typed into the grid.
            ClickGrid();
            Press(Qt::Key_Insert);
            TypeLine("9001", "3", "10");
            Retype(f->FreightEdit, "5");
            QTest::mouseClick(f->PostBtn, Qt::LeftButton);

            QCOMPARE(VornData->Orders->State(), dsBrowse);
            QVERIFY(!f->PostBtn->isEnabled() && !f->CancelBtn->isEnabled() && f->CloseBtn->isEnabled());
            QCOMPARE(VornData->OrdersItemsTotal->AsFloat(), 27.0);
            QCOMPARE(VornData->OrdersTaxTotal->AsFloat(), 2.2275);
            QCOMPARE(VornData->OrdersAmountDue->AsFloat(), 34.2275);
            QTest::mouseClick(f->CloseBtn, Qt::LeftButton);
            QVERIFY(!f->isVisible());
        });
        QVERIFY(shown);
        QVERIFY(calendarShown);
        QCOMPARE(Asked(), QStringList());
        QCOMPARE(Form()->ModalResult(), mrOk);

        // Stored with the next order number, the rules' total and the line.
        QCOMPARE(NextOrderNo(), orderNo + 1);
        QCOMPARE(FStore->Number("SELECT CustNo FROM ORDERS WHERE OrderNo = ?", {orderNo}), kCustTaxed);
        QCOMPARE(FStore->Number("SELECT ItemsTotal FROM ORDERS WHERE OrderNo = ?", {orderNo}), 27.0);
        QCOMPARE(FStore->Number("SELECT TaxRate FROM ORDERS WHERE OrderNo = ?", {orderNo}), 8.25);
        QCOMPARE(FStore->Number("SELECT Freight FROM ORDERS WHERE OrderNo = ?", {orderNo}), 5.0);
        QCOMPARE(FStore->Value("SELECT SaleDate FROM ORDERS WHERE OrderNo = ?", {orderNo}), FStore->Date(Date() - 1));
        QVERIFY(!FStore->Value("SELECT EmpNo FROM ORDERS WHERE OrderNo = ?", {orderNo}).isNull());
        const auto lines = FStore->Rows("SELECT ItemNo, PartNo, Qty, Discount FROM ITEMS WHERE OrderNo = ?", {orderNo});
        QCOMPARE(lines.size(), 1);
        QCOMPARE(lines[0][0].toDouble(), 1.0);
        QCOMPARE(lines[0][1].toDouble(), kPartA);
        QCOMPARE(lines[0][2].toInt(), 3);
        QCOMPARE(lines[0][3].toDouble(), 10.0);
        QCOMPARE(FStore->Number("SELECT OnOrder FROM PARTS WHERE PartNo = 9001"), 3.0);
    }

    void newOrderButtonAndMenuItemOpenTheForm()
    {
        MainForm->show();
        MainForm->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(MainForm));
        const double orderNo = NextOrderNo();
        auto cancelled = [] {
            QCOMPARE(VornData->Orders->State(), dsInsert);
            Form()->CancelBtn->click();
            Form()->Close();
        };
        QVERIFY(WhileModal(Form(), [] { QTest::mouseClick(MainForm->OrderBtn, Qt::LeftButton); }, cancelled));
        QVERIFY(WhileModal(Form(), [] { MainForm->FileNewOrder->trigger(); }, cancelled));
        // Each took a number of its own; neither order was kept.
        QCOMPARE(NextOrderNo(), orderNo + 2);
        QCOMPARE(FStore->Number("SELECT count(*) FROM ORDERS WHERE OrderNo >= ?", {orderNo}), 0.0);
        QCOMPARE(Asked(), QStringList());
        MainForm->hide();
    }

    void labelHelpAndButtonsFollowTheState()
    {
        int changes = 0;
        auto handler = Form()->ActiveSource->OnStateChange;
        Form()->ActiveSource->OnStateChange = [&](TDataSource* s) {
            ++changes;
            handler(s);
        };
        const bool shown = WhileModal(Form(), [] { Form()->EnterNewOrder(); }, [&] {
            TEdOrderForm* f = Form();
            QLabel* mode = f->ModeIndicator;
            QCOMPARE(mode->text(), QString("[Orders: Inserting]"));
            QCOMPARE(f->ModeIndicator->Font()->Color(), QColor(Qt::red));
            QCOMPARE(f->HelpContext(), 2);
            QVERIFY(f->PostBtn->isEnabled() && f->CancelBtn->isEnabled() && !f->CloseBtn->isEnabled());

            // Into the grid: through "no dataset" to the lines, so the handler runs twice.
            changes = 0;
            ClickGrid();
            QCOMPARE(changes, 2);
            QCOMPARE(f->ActiveSource->DataSet(), static_cast<TDataSet*>(VornData->Items));
            QCOMPARE(mode->text(), QString("[Items: Browsing]"));
            QCOMPARE(f->ModeIndicator->Font()->Color(), QColor(Qt::blue));
            QCOMPARE(f->HelpContext(), 3);
            // Out again, back to the order.
            changes = 0;
            f->ShipToCityEdit->setFocus();
            QCOMPARE(changes, 2);
            QCOMPARE(mode->text(), QString("[Orders: Inserting]"));
            QCOMPARE(f->ModeIndicator->Font()->Color(), QColor(Qt::red));
            QCOMPARE(f->HelpContext(), 2);

            // Cancelled: browse, only Close.
            QTest::mouseClick(f->CancelBtn, Qt::LeftButton);
            QCOMPARE(mode->text(), QString("[Orders: Browsing]"));
            QCOMPARE(f->HelpContext(), 3);
            QVERIFY(!f->PostBtn->isEnabled() && !f->CancelBtn->isEnabled() && f->CloseBtn->isEnabled());
            // A change to the order puts it in edit.
            Retype(f->ShipToCityEdit, "Kestrel Bay");
            QCOMPARE(mode->text(), QString("[Orders: Editing]"));
            QCOMPARE(f->ModeIndicator->Font()->Color(), QColor(Qt::red));
            QCOMPARE(f->HelpContext(), 2);
            QVERIFY(f->PostBtn->isEnabled() && f->CancelBtn->isEnabled() && !f->CloseBtn->isEnabled());
            // Escape is Close, which waits for the order to be saved or cancelled.
            f->PostBtn->setFocus();
            Press(Qt::Key_Escape);
            QVERIFY(f->isVisible());
            QTest::mouseClick(f->CancelBtn, Qt::LeftButton);
            Press(Qt::Key_Escape);
            QVERIFY(!f->isVisible());
        });
        QVERIFY(shown);
        QCOMPARE(Asked(), QStringList());
        // Shown no more: the order's state changes reach the buttons no more.
        VornData->Orders->Edit();
        QVERIFY(!Form()->PostBtn->isEnabled());
        VornData->Orders->Cancel();
    }

    void editOrderShowsTheStoredOrderInBrowse()
    {
        VornData->Orders->Open();
        VornData->Orders->Last();
        const double last = VornData->OrdersOrderNo->AsFloat();
        VornData->Orders->First();
        const bool shown = WhileModal(Form(), [last] { Form()->EditOrder(last); }, [&] {
            QCOMPARE(VornData->OrdersOrderNo->AsFloat(), last);
            QCOMPARE(VornData->Orders->State(), dsBrowse);
            QCOMPARE(Form()->DBText1->text(), QString::number(qlonglong(last)));
            QVERIFY(!Form()->PostBtn->isEnabled() && Form()->CloseBtn->isEnabled());
            Form()->Close();
        });
        QVERIFY(shown);
        // A number no order has leaves the current order where it was.
        VornData->Orders->First();
        const double first = VornData->OrdersOrderNo->AsFloat();
        QVERIFY(WhileModal(Form(), [] { Form()->EditOrder(-1); }, [] { Form()->Close(); }));
        QCOMPARE(VornData->OrdersOrderNo->AsFloat(), first);
        QCOMPARE(Asked(), QStringList());
    }

    void cancelEditsDropsANewOrderWithItsLines()
    {
        double orderNo = 0;
        const bool shown = WhileModal(Form(), [] { Form()->EnterNewOrder(); }, [&] {
            TEdOrderForm* f = Form();
            orderNo = VornData->OrdersOrderNo->AsFloat();
            FillHeader();
            ClickGrid();
            Press(Qt::Key_Insert);
            TypeLine("9001", "2", "0");
            Press(Qt::Key_Down); // posts the line and starts another
            TypeLine("9002", "1", "5");
            Press(Qt::Key_Down);
            QCOMPARE(VornData->OrdersItemsTotal->AsFloat(), 20 + 4.275);

            QTest::mouseClick(f->CancelBtn, Qt::LeftButton);
            QVERIFY(f->isVisible());
            QCOMPARE(VornData->Orders->State(), dsBrowse);
            QVERIFY(!VornData->Orders->Locate("OrderNo", orderNo));
            QVERIFY(!VornData->Items->UpdatesPending() && !VornData->Parts->UpdatesPending());
            QVERIFY(VornData->Parts->Locate("PartNo", kPartA));
            QCOMPARE(VornData->PartsOnOrder->AsFloat(), 0.0);
            QVERIFY(f->CloseBtn->isEnabled());
            f->Close();
        });
        QVERIFY(shown);
        QCOMPARE(Asked(), QStringList());
        QCOMPARE(FStore->Number("SELECT count(*) FROM ORDERS WHERE OrderNo = ?", {orderNo}), 0.0);
        QCOMPARE(FStore->Number("SELECT count(*) FROM ITEMS WHERE OrderNo = ?", {orderNo}), 0.0);
        QCOMPARE(FStore->Number("SELECT OnOrder FROM PARTS WHERE PartNo = 9002"), 3.0);
    }

    void closeBoxAsksOnlyAboutChangesNeverWritten()
    {
        // Everything saved: the close box closes without a question.
        QVERIFY(WhileModal(Form(), [] { Form()->EnterNewOrder(); }, [] {
            FillHeader();
            QTest::mouseClick(Form()->PostBtn, Qt::LeftButton);
            QCOMPARE(VornData->Orders->State(), dsBrowse);
            Form()->close();
            QVERIFY(!Form()->isVisible());
        }));
        QCOMPARE(Asked(), QStringList());
        QCOMPARE(Form()->ModalResult(), mrCancel);

        // A saved order another program's row keeps out of the database: the error is
        // shown, the order stays posted in the cache, and the close box asks.
        double orderNo = 0;
        QVERIFY(WhileModal(Form(), [] { Form()->EnterNewOrder(); }, [&] {
            orderNo = VornData->OrdersOrderNo->AsFloat();
            FStore->Exec("INSERT INTO ORDERS (OrderNo, CustNo, EmpNo) VALUES (?, 9003, 9001)", {orderNo});
            FillHeader();
            QTest::mouseClick(Form()->PostBtn, Qt::LeftButton);
            QCOMPARE(FUser->Requests.size(), size_t(1));
            QCOMPARE(FUser->Requests[0].Type, mtError);
            QCOMPARE(VornData->Orders->State(), dsBrowse);
            QVERIFY(VornData->Orders->UpdatesPending());

            FUser->Otherwise = mrCancel;
            Form()->close();
            QCOMPARE(FUser->Requests.size(), size_t(2));
            QCOMPARE(FUser->Requests[1].Text, QString("Unsaved changes, exit anyway?"));
            QVERIFY(FUser->Requests[1].Buttons.Contains(mbYes) && FUser->Requests[1].Buttons.Contains(mbCancel));
            QVERIFY(Form()->isVisible());
            QVERIFY(VornData->Orders->UpdatesPending());

            FUser->Otherwise = mrYes;
            Form()->close();
            QVERIFY(!Form()->isVisible());
            QVERIFY(!VornData->Orders->UpdatesPending());
        }));
        QCOMPARE(FUser->Requests.size(), size_t(3));
        // The other program's row is all there is.
        QCOMPARE(FStore->Number("SELECT CustNo FROM ORDERS WHERE OrderNo = ?", {orderNo}), kCustOther);
    }

    void closeButtonWritesWhatWasPosted()
    {
        double orderNo = 0;
        QVERIFY(WhileModal(Form(), [] { Form()->EnterNewOrder(); }, [&] {
            orderNo = VornData->OrdersOrderNo->AsFloat();
            FStore->Exec("INSERT INTO ORDERS (OrderNo, CustNo, EmpNo) VALUES (?, 9003, 9001)", {orderNo});
            FillHeader();
            QTest::mouseClick(Form()->PostBtn, Qt::LeftButton);
            QCOMPARE(FUser->Requests.size(), size_t(1));
            QVERIFY(Form()->CloseBtn->isEnabled());
            // While the other row is there, Close reports the error and stays open.
            QTest::mouseClick(Form()->CloseBtn, Qt::LeftButton);
            QCOMPARE(FUser->Requests.size(), size_t(2));
            QCOMPARE(FUser->Requests[1].Type, mtError);
            QVERIFY(Form()->isVisible());
            // Once it is gone, Close writes the posted order and closes, asking nothing.
            FStore->Exec("DELETE FROM ORDERS WHERE OrderNo = ?", {orderNo});
            QTest::mouseClick(Form()->CloseBtn, Qt::LeftButton);
            QVERIFY(!Form()->isVisible());
        }));
        QCOMPARE(FUser->Requests.size(), size_t(2));
        QCOMPARE(Form()->ModalResult(), mrOk);
        QCOMPARE(FStore->Number("SELECT CustNo FROM ORDERS WHERE OrderNo = ?", {orderNo}), kCustTaxed);
    }

    void ctrlEnterInTheDateEditOpensTheCalendar()
    {
        QVERIFY(WhileModal(Form(), [] { Form()->EnterNewOrder(); }, [] {
            TEdOrderForm* f = Form();
            f->SaleDateEdit->setFocus();
            // A plain Enter neither opens the calendar nor presses any button.
            QVERIFY(!WhileModal(BrDateForm, [] { Press(Qt::Key_Return); }, [] {}));
            QVERIFY(f->isVisible());
            QCOMPARE(VornData->Orders->State(), dsInsert);
            // Ctrl+Enter does; Cancel leaves the date as it was.
            QVERIFY(WhileModal(BrDateForm, [] { Press(Qt::Key_Return, Qt::ControlModifier); },
                               [] { QTest::mouseClick(BrDateForm->CancelBtn, Qt::LeftButton); }));
            QCOMPARE(VornData->OrdersSaleDate->AsDateTime(), Date());
            QCOMPARE(f->SaleDateEdit->text(), VornData->OrdersSaleDate->Text());
            // So do the calendar button and a double-click on the date.
            QVERIFY(WhileModal(BrDateForm, [] { QTest::mouseClick(Form()->PopupCalBtn, Qt::LeftButton); },
                               [] { Press(Qt::Key_Escape); }));
            QVERIFY(WhileModal(BrDateForm, [] { QTest::mouseDClick(Form()->SaleDateEdit, Qt::LeftButton); }, [] {
                BrDateForm->SetDate(EncodeDate(2021, 2, 3));
                QTest::mouseClick(BrDateForm->OKBtn, Qt::LeftButton);
            }));
            QCOMPARE(VornData->OrdersSaleDate->AsDateTime(), EncodeDate(2021, 2, 3));
            QCOMPARE(f->SaleDateEdit->selectedText(), f->SaleDateEdit->text());
            QCOMPARE(BrDateForm->ModalResult(), mrOk);
            f->CancelBtn->click();
            f->Close();
        }));
        QCOMPARE(Asked(), QStringList());
    }

    void futureDateFromTheCalendarIsRefused()
    {
        QVERIFY(WhileModal(Form(), [] { Form()->EnterNewOrder(); }, [] {
            Form()->SaleDateEdit->setFocus();
            QVERIFY(WhileModal(BrDateForm, [] { Press(Qt::Key_Return, Qt::ControlModifier); }, [] {
                Press(Qt::Key_Right);
                Press(Qt::Key_Return);
            }));
            QCOMPARE(VornData->OrdersSaleDate->AsDateTime(), Date());
            Form()->CancelBtn->click();
            Form()->Close();
        }));
        QCOMPARE(Asked(), QStringList({"Cannot enter a future date"}));
    }

    void typingIntoTheSalesPersonComboDoesNothing()
    {
        QVERIFY(WhileModal(Form(), [] { Form()->EnterNewOrder(); }, [] {
            TEdOrderForm* f = Form();
            f->SoldByCombo->setFocus();
            Type("Lowe");
            Press(Qt::Key_Backspace);
            QVERIFY(VornData->OrdersEmpNo->IsNull());
            QCOMPARE(f->SoldByCombo->Text(), QString());
            // The handler lets Enter and Escape through and nothing else, whatever the
            // combo would make of a key.
            for (const QChar key : {QChar('L'), QChar(' '), QChar('7'), QChar(8)}) {
                QChar typed = key;
                f->SoldByComboKeyPress(f->SoldByCombo, typed);
                QVERIFY2(typed.isNull(), qPrintable(QString::number(key.unicode())));
            }
            for (const QChar key : {QChar(13), QChar(27)}) {
                QChar typed = key;
                f->SoldByComboKeyPress(f->SoldByCombo, typed);
                QCOMPARE(typed, key);
            }
            // The list still chooses.
            Press(Qt::Key_Down);
            QVERIFY(!VornData->OrdersEmpNo->IsNull());
            QCOMPARE(f->SoldByCombo->Text(), VornData->OrdersSalesPerson->AsString());
            f->CancelBtn->click();
            f->Close();
        }));
        QCOMPARE(Asked(), QStringList());
    }

    void printingAsksFirst()
    {
        QTemporaryDir folder;
        const QString pdf = folder.filePath("form.pdf");
        Printer()->setOutputFormat(QPrinter::PdfFormat);
        Printer()->setOutputFileName(pdf);
        QVERIFY(WhileModal(Form(), [] { Form()->EnterNewOrder(); }, [&] {
            FUser->Otherwise = mrNo;
            QTest::mouseClick(Form()->PrintBtn, Qt::LeftButton);
            QVERIFY(!QFile::exists(pdf));
            FUser->Otherwise = mrYes;
            QTest::mouseClick(Form()->PrintBtn, Qt::LeftButton);
            QVERIFY(QFileInfo(pdf).size() > 0);
            Form()->CancelBtn->click();
            Form()->Close();
        }));
        QCOMPARE(Asked(), QStringList({"Print image of this form window?", "Print image of this form window?"}));
        QCOMPARE(FUser->Requests[0].Type, mtConfirmation);
        Printer()->setOutputFileName(QString());
    }
};

int main(int argc, char** argv)
{
    TGuiApplication app(argc, argv);
    OrderFormTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "order_form_test.moc"
