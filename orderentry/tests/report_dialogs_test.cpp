// The two small dialogs of the reports, used as a clerk uses them: the report
// selection dialog with its layout, Print and View telling the caller whether to
// preview, Cancel and Escape, and the choice kept between uses; the order-number
// picker opening the orders when shown, its list moving the current order (and the
// lines following it), its label's accelerator and its buttons.
#include "orderentry/pickorderno_dlg.h"
#include "orderentry/pickrpt_dlg.h"
#include "orderentry/tests/order_fixture.h"

#include "platform/data/field.h"

#include <QRadioButton>

class ReportDialogsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TScratchStore> FStore;
    std::unique_ptr<TMessageRecorder> FUser;

    // Shows PickRpt modally, runs Steps on it and returns how it closed.
    static TModalResult RunPickRpt(const std::function<void()>& Steps)
    {
        TModalResult result = mrNone;
        const bool shown = WhileModal(PickRpt, [&] { result = PickRpt->ShowModal(); }, Steps);
        return shown ? result : -1;
    }

    static TModalResult RunPicker(const std::function<void()>& Steps)
    {
        TModalResult result = mrNone;
        const bool shown = WhileModal(PickOrderNoDlg, [&] { result = PickOrderNoDlg->ShowModal(); }, Steps);
        return shown ? result : -1;
    }

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
        QVERIFY(PickRpt && PickOrderNoDlg);
    }

    void cleanup()
    {
        FreeApplicationObjects();
        QVERIFY(!PickRpt && !PickOrderNoDlg);
        FUser.reset();
        FStore.reset();
    }

    void selectionDialogIsLaidOutAsDesigned()
    {
        TPickRpt* d = PickRpt;
        QCOMPARE(d->windowTitle(), QString("Report Selection"));
        QCOMPARE(d->HelpContext(), 5);
        QCOMPARE(d->font().family(), QString("MS Sans Serif"));
        QCOMPARE(d->font().pointSize(), 8);
        QCOMPARE(d->ReportType->geometry(), QRect(9, 6, 129, 87));
        QCOMPARE(d->ReportType->title(), QString("&Report"));
        QCOMPARE(d->ReportType->Items(),
                 QStringList({"C&ustomers Report", "&Orders Report", "&Invoice Report"}));
        QCOMPARE(d->ReportType->ItemIndex(), 0);
        QCOMPARE(d->OKBtn->geometry(), QRect(150, 11, 73, 25));
        QCOMPARE(d->OKBtn->text(), QString("&Print"));
        QVERIFY(d->OKBtn->isDefault());
        QCOMPARE(d->ViewBtn->geometry(), QRect(151, 40, 73, 25));
        QCOMPARE(d->ViewBtn->text(), QString("&View"));
        QVERIFY(!d->ViewBtn->isDefault());
        QCOMPARE(d->CloseBtn->geometry(), QRect(151, 69, 73, 25));
        QCOMPARE(d->CloseBtn->text(), QString("&Cancel"));
        QCOMPARE(d->CancelButton(), static_cast<QAbstractButton*>(d->CloseBtn));
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d));
        QCOMPARE(d->size(), QSize(238, 106));
        // A dialog border: the user cannot resize it.
        QCOMPARE(d->minimumSize(), d->maximumSize());
        d->hide();
    }

    void printAndViewTellWhetherToPreview()
    {
        // View first, then Print: each click sets the flag, whatever it held.
        QCOMPARE(RunPickRpt([] { PickRpt->ViewBtn->click(); }), mrOk);
        QVERIFY(PickRpt->FPreview);
        QCOMPARE(RunPickRpt([] { PickRpt->OKBtn->click(); }), mrOk);
        QVERIFY(!PickRpt->FPreview);
        // Enter takes the default button, Print.
        PickRpt->FPreview = true;
        QCOMPARE(RunPickRpt([] { Press(Qt::Key_Return); }), mrOk);
        QVERIFY(!PickRpt->FPreview);
        // Alt+V as the button's accelerator; the button shows itself pressed first.
        QCOMPARE(RunPickRpt([] {
                     Press(Qt::Key_V, Qt::AltModifier);
                     QTRY_VERIFY(!PickRpt->isVisible());
                 }),
                 mrOk);
        QVERIFY(PickRpt->FPreview);
    }

    void cancelAndEscapeCloseWithCancel()
    {
        QCOMPARE(RunPickRpt([] { PickRpt->CloseBtn->click(); }), mrCancel);
        QCOMPARE(RunPickRpt([] { Press(Qt::Key_Escape); }), mrCancel);
        QVERIFY(!PickRpt->isVisible());
    }

    void selectionIsKeptBetweenUses()
    {
        QCOMPARE(RunPickRpt([] {
                     // The focus starts on the checked item; arrow keys move the choice.
                     QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(PickRpt->ReportType->Button(0)));
                     PickRpt->ReportType->Button(2)->click();
                     PickRpt->OKBtn->click();
                 }),
                 mrOk);
        QCOMPARE(PickRpt->ReportType->ItemIndex(), 2);
        // Shown again, the invoice is still chosen, and Cancel does not undo a choice.
        QCOMPARE(RunPickRpt([] {
                     QVERIFY(PickRpt->ReportType->Button(2)->isChecked());
                     QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(PickRpt->ReportType->Button(2)));
                     PickRpt->ReportType->Button(1)->click();
                     PickRpt->CloseBtn->click();
                 }),
                 mrCancel);
        QCOMPARE(PickRpt->ReportType->ItemIndex(), 1);
    }

    void pickerIsLaidOutAsDesigned()
    {
        TPickOrderNoDlg* d = PickOrderNoDlg;
        QCOMPARE(d->windowTitle(), QString("Order No."));
        QCOMPARE(d->Label1->text(), QString("&Select an Order No."));
        QCOMPARE(d->Label1->pos(), QPoint(5, 1));
        QCOMPARE(d->DBLookupListBox1->geometry(), QRect(5, 16, 153, 134));
        QCOMPARE(d->DBLookupListBox1->ListSource(), VornData->OrdersSource);
        QCOMPARE(d->DBLookupListBox1->KeyField(), QString("OrderNo"));
        QCOMPARE(d->DBLookupListBox1->ListField(), QString("OrderNo"));
        QVERIFY(d->DBLookupListBox1->DataField().isEmpty());
        QCOMPARE(d->OKBtn->geometry(), QRect(2, 160, 75, 25));
        QCOMPARE(d->OKBtn->text(), QString("&OK"));
        QVERIFY(d->OKBtn->isDefault());
        QCOMPARE(d->CancelBtn->geometry(), QRect(86, 160, 75, 25));
        QCOMPARE(d->CancelBtn->text(), QString("&Cancel"));
        QCOMPARE(d->CancelButton(), static_cast<QAbstractButton*>(d->CancelBtn));
        d->show();
        QVERIFY(QTest::qWaitForWindowExposed(d));
        QCOMPARE(d->size(), QSize(166, 190));
        // A sizeable window.
        QVERIFY(d->minimumSize() != d->maximumSize());
        d->hide();
    }

    void pickerOpensOrdersAndItsListMovesThem()
    {
        VornData->Orders->Close();
        QVERIFY(!VornData->Items->Active());
        double first = 0, chosen = 0;
        QCOMPARE(RunPicker([&] {
                     // Showing opened the orders with their cascade, on the first order.
                     QVERIFY(VornData->Orders->Active());
                     QVERIFY(VornData->Items->Active());
                     first = VornData->OrdersOrderNo->AsFloat();
                     QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(PickOrderNoDlg->DBLookupListBox1));
                     QCOMPARE(PickOrderNoDlg->DBLookupListBox1->SelectedKey().toDouble(), first);
                     Press(Qt::Key_Down);
                     Press(Qt::Key_Down);
                     chosen = VornData->OrdersOrderNo->AsFloat();
                     PickOrderNoDlg->OKBtn->click();
                 }),
                 mrOk);
        QVERIFY(chosen > first);
        QCOMPARE(VornData->OrdersOrderNo->AsFloat(), chosen);
        // The lines follow the chosen order.
        QVERIFY(!VornData->Items->IsEmpty());
        for (VornData->Items->First(); !VornData->Items->Eof(); VornData->Items->Next())
            QCOMPARE(VornData->ItemsOrderNo->AsFloat(), chosen);
    }

    void pickerShowsTheCurrentOrderAndCancelKeepsItsMoves()
    {
        VornData->Orders->Open();
        VornData->Orders->Last();
        const double last = VornData->OrdersOrderNo->AsFloat();
        double moved = 0;
        QCOMPARE(RunPicker([&] {
                     QCOMPARE(PickOrderNoDlg->DBLookupListBox1->SelectedKey().toDouble(), last);
                     // Alt+S, the label's accelerator, focuses the list.
                     PickOrderNoDlg->CancelBtn->setFocus();
                     Press(Qt::Key_S, Qt::AltModifier);
                     QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(PickOrderNoDlg->DBLookupListBox1));
                     Press(Qt::Key_Up);
                     moved = VornData->OrdersOrderNo->AsFloat();
                     Press(Qt::Key_Escape);
                 }),
                 mrCancel);
        QVERIFY(moved < last);
        // Cancel prints nothing, but a move in the list stays.
        QCOMPARE(VornData->OrdersOrderNo->AsFloat(), moved);
    }
};

QTEST_MAIN(ReportDialogsTest)
#include "report_dialogs_test.moc"
