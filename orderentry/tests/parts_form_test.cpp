// The parts browser and the part form on local sample data, used as a clerk uses them:
// Backorders lists exactly the parts plain SQL finds with more on order than on hand,
// and a part edited out of back-order leaves the list as the part form closes; the
// part form writes with OK, asks before dropping changes, shows and sets the vendor by
// name, and asks before printing; a back-order list that cannot be read falls back to
// all parts, and a list shown again is read again.
#include "orderentry/Main.h"
#include "orderentry/tests/parts_fixture.h"

#include "platform/widgets/application.h"
#include "platform/widgets/printers.h"

#include <QPrinter>
#include <QTemporaryDir>

class PartsFormTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TScratchStore> FStore;
    std::unique_ptr<TMessageRecorder> FUser;

    static TBrPartsForm* Browser() { return BrPartsForm; }
    static TEdPartsForm* Editor() { return EdPartsForm; }

    // The browser as the main window's Parts button shows it.
    static bool OpenBrowser()
    {
        MainForm->PartsBtn->click();
        return Browser()->isVisible() && QTest::qWaitForWindowActive(Browser());
    }

    static void ClickBackorders() { QTest::mouseClick(Browser()->ActivateBtn, Qt::LeftButton); }

    // Runs Steps in the part form that Edit opens.
    static bool EditWith(const std::function<void()>& Steps)
    {
        return WhileModal(Editor(), [] { QTest::mouseClick(Browser()->EditBtn, Qt::LeftButton); }, Steps);
    }

    QString VendorName(double VendorNo) const
    {
        return FStore->Value("SELECT VendorName FROM VENDORS WHERE VendorNo = ?", {VendorNo}).toString();
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
        QVERIFY(BrPartsForm && EdPartsForm && SearchDlg);
    }

    void cleanup()
    {
        FreeApplicationObjects();
        QVERIFY(!BrPartsForm && !EdPartsForm && !SearchDlg);
        FUser.reset();
        FStore.reset();
    }

    void backordersListOnlyThePartsWithMoreOnOrderThanOnHand()
    {
        QVERIFY(OpenBrowser());
        TBrPartsForm* b = Browser();
        QCOMPARE(b->windowTitle(), QString("Browse Parts"));
        QCOMPARE(b->HelpContext(), 4);
        QCOMPARE(VornData->PartsSource->DataSet(), static_cast<TDataSet*>(VornData->Parts));
        const int all = int(FStore->Number("SELECT COUNT(*) FROM PARTS"));
        const QList<double> backordered = BackorderedInStore(*FStore);
        // The sample data has both kinds, or the check below proves nothing.
        QVERIFY(!backordered.isEmpty() && backordered.size() < all);
        QVERIFY(backordered.size() <= b->PartsGrid->VisibleRowCount());

        ClickBackorders();
        QVERIFY(b->ActivateBtn->Down());
        QCOMPARE(VornData->PartsSource->DataSet(), static_cast<TDataSet*>(VornData->PartsQuery));
        QCOMPARE(GridNumbers(b->PartsGrid, 0), backordered);
        for (int row = 0; row < b->PartsGrid->RowCount(); ++row)
            QCOMPARE(b->PartsGrid->CellText(row, 4), QString("Yes"));
        QCOMPARE(PartNumbers(VornData->PartsQuery), backordered);

        // Up again: the whole inventory.
        ClickBackorders();
        QVERIFY(!b->ActivateBtn->Down());
        QCOMPARE(VornData->PartsSource->DataSet(), static_cast<TDataSet*>(VornData->Parts));
        QCOMPARE(GridNumbers(b->PartsGrid, 0).size(), std::min(all, b->PartsGrid->VisibleRowCount()));
        QCOMPARE(PartNumbers(VornData->Parts).size(), all);
        b->CloseBtn->click();
        QVERIFY(!b->isVisible());
        QCOMPARE(Asked(), QStringList());
    }

    void partEditedOutOfBackorderLeavesTheList()
    {
        QVERIFY(OpenBrowser());
        TBrPartsForm* b = Browser();
        ClickBackorders();
        // The second row, as a clerk moves there.
        b->PartsGrid->setFocus();
        Press(Qt::Key_Down);
        const double part = VornData->PartsQueryPartNo->AsFloat();
        const double onHand = VornData->PartsQueryOnHand->AsFloat();
        QCOMPARE(part, BackorderedInStore(*FStore).value(1));

        QVERIFY(EditWith([&] {
            TEdPartsForm* e = Editor();
            QCOMPARE(e->windowTitle(), QString("Edit Parts"));
            QCOMPARE(e->HelpContext(), 6);
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(e->DBEdit2));
            QCOMPARE(VornData->PartsPartNo->AsFloat(), part);
            QCOMPARE(e->DBEdit3->text(), QString("Yes"));
            Retype(e->DBEdit5, QString::number(onHand));
            QTest::mouseClick(e->OKButton, Qt::LeftButton);
            QVERIFY(!e->isVisible());
        }));
        QCOMPARE(FStore->Number("SELECT OnOrder FROM PARTS WHERE PartNo = ?", {part}), onHand);
        QVERIFY(!VornData->Parts->UpdatesPending());
        const QList<double> backordered = BackorderedInStore(*FStore);
        QVERIFY(!backordered.contains(part));
        QCOMPARE(VornData->PartsSource->DataSet(), static_cast<TDataSet*>(VornData->PartsQuery));
        QCOMPARE(GridNumbers(b->PartsGrid, 0), backordered);

        // A part that stays back-ordered stays in the list, and the list on it.
        const double kept = backordered.last();
        QVERIFY(VornData->PartsQuery->Locate("PartNo", kept));
        QVERIFY(EditWith([&] {
            Retype(Editor()->DBEdit2, "Renamed part");
            Press(Qt::Key_Return);
            QVERIFY(!Editor()->isVisible());
        }));
        QCOMPARE(FStore->Value("SELECT Description FROM PARTS WHERE PartNo = ?", {kept}).toString(),
                 QString("Renamed part"));
        QCOMPARE(GridNumbers(b->PartsGrid, 0), backordered);
        QCOMPARE(VornData->PartsQueryPartNo->AsFloat(), kept);
        QCOMPARE(VornData->PartsQueryDescription->AsString(), QString("Renamed part"));
        QCOMPARE(Asked(), QStringList());
    }

    void doubleClickEditsThePartOfTheRow()
    {
        QVERIFY(OpenBrowser());
        TDBGrid* grid = Browser()->PartsGrid;
        grid->viewport()->repaint();
        const QString third = grid->CellText(2, 0);
        double shown = 0;
        QVERIFY(WhileModal(Editor(), [&] { DoubleClickCell(grid, 2, 1); }, [&] {
            shown = VornData->PartsPartNo->AsFloat();
            Editor()->CancelButton->click();
        }));
        QCOMPARE(shown, third.toDouble());
        QCOMPARE(Asked(), QStringList());
    }

    void cancelAsksBeforeDroppingChanges()
    {
        QVERIFY(OpenBrowser());
        QVERIFY(VornData->Parts->Locate("PartNo", kPartA));
        QVERIFY(EditWith([&] {
            TEdPartsForm* e = Editor();
            Retype(e->DBEdit2, "Changed regulator");
            // Cancel answered Cancel: the form stays, with the change.
            QTest::mouseClick(e->CancelButton, Qt::LeftButton);
            QVERIFY(e->isVisible());
            QCOMPARE(e->DBEdit2->text(), QString("Changed regulator"));
            // Escape answered Yes: the change is dropped.
            FUser->Otherwise = mrYes;
            Press(Qt::Key_Escape);
            QVERIFY(!e->isVisible());
        }));
        QCOMPARE(Asked(), QStringList({"Unsaved changes, exit anyway?", "Unsaved changes, exit anyway?"}));
        QCOMPARE(FUser->Requests[0].Buttons, TMsgDlgButtons({mbYes, mbCancel}));
        QCOMPARE(FStore->Value("SELECT Description FROM PARTS WHERE PartNo = 9001").toString(), QString("Test regulator"));
        QCOMPARE(VornData->Parts->State(), dsBrowse);
        QVERIFY(!VornData->Parts->UpdatesPending());
        QCOMPARE(VornData->PartsDescription->AsString(), QString("Test regulator"));

        // Nothing changed: nothing asked.
        QVERIFY(EditWith([&] { Editor()->CancelButton->click(); }));
        QCOMPARE(FUser->Requests.size(), size_t(2));
    }

    void refusedPartKeepsTheFormOpen()
    {
        QVERIFY(WhileModal(Editor(), [] { Editor()->EditPart(kPartA); }, [&] {
            TEdPartsForm* e = Editor();
            e->DBEdit2->setFocus();
            e->DBEdit2->selectAll();
            Press(Qt::Key_Backspace);
            QTest::mouseClick(e->OKButton, Qt::LeftButton);
            QVERIFY(e->isVisible());
            QCOMPARE(VornData->Parts->State(), dsEdit);
            FUser->Otherwise = mrYes;
            QTest::mouseClick(e->CancelButton, Qt::LeftButton);
            QVERIFY(!e->isVisible());
        }));
        QCOMPARE(Asked(), QStringList({"Field 'Description' must have a value", "Unsaved changes, exit anyway?"}));
        QCOMPARE(FUser->Requests[0].Type, mtError);
        QCOMPARE(FStore->Value("SELECT Description FROM PARTS WHERE PartNo = 9001").toString(), QString("Test regulator"));
        QVERIFY(!VornData->Parts->UpdatesPending());
    }

    void vendorIsShownAndChosenByName()
    {
        const double vendor = FStore->Number("SELECT VendorNo FROM PARTS WHERE PartNo = 9001");
        double chosen = vendor;
        QVERIFY(WhileModal(Editor(), [] { Editor()->EditPart(kPartA); }, [&] {
            TEdPartsForm* e = Editor();
            QCOMPARE(VornData->PartsPartNo->AsFloat(), kPartA);
            QCOMPARE(e->DataComboBox1->Text(), VendorName(vendor));
            e->DataComboBox1->setFocus();
            Press(Qt::Key_Down);
            chosen = VornData->PartsVendorNo->AsFloat();
            QVERIFY(chosen != vendor);
            QCOMPARE(e->DataComboBox1->Text(), VendorName(chosen));
            QTest::mouseClick(e->OKButton, Qt::LeftButton);
        }));
        QVERIFY(!VendorName(chosen).isEmpty());
        QCOMPARE(FStore->Number("SELECT VendorNo FROM PARTS WHERE PartNo = 9001"), chosen);
        QCOMPARE(Asked(), QStringList());
    }

    void unknownPartNumberLeavesThePartFormWhereItWas()
    {
        QVERIFY(VornData->Parts->Locate("PartNo", kPartB));
        double shown = 0;
        QVERIFY(WhileModal(Editor(), [] { Editor()->EditPart(123456789); }, [&] {
            shown = VornData->PartsPartNo->AsFloat();
            Editor()->CancelButton->click();
        }));
        QCOMPARE(shown, kPartB);
    }

    void unreadableBackorderListFallsBackToAllParts()
    {
        QVERIFY(OpenBrowser());
        VornData->PartsQuery->SQL = QStringList{"select * from nosuchtable"};
        ClickBackorders();
        QCOMPARE(FUser->Requests.size(), size_t(1));
        QCOMPARE(FUser->Requests[0].Type, mtError);
        // The button stays down; the grid shows every part and Edit edits the one shown.
        QVERIFY(Browser()->ActivateBtn->Down());
        QCOMPARE(VornData->PartsSource->DataSet(), static_cast<TDataSet*>(VornData->Parts));
        QVERIFY(!GridNumbers(Browser()->PartsGrid, 0).isEmpty());
        QVERIFY(VornData->Parts->Locate("PartNo", kPartB));
        double shown = 0;
        QVERIFY(EditWith([&] {
            shown = VornData->PartsPartNo->AsFloat();
            Editor()->CancelButton->click();
        }));
        QCOMPARE(shown, kPartB);
    }

    void emptyBackorderListHasNothingToEdit()
    {
        FStore->Exec("UPDATE PARTS SET OnOrder = 0");
        QVERIFY(OpenBrowser());
        ClickBackorders();
        QVERIFY(VornData->PartsQuery->Active() && VornData->PartsQuery->IsEmpty());
        QCOMPARE(GridNumbers(Browser()->PartsGrid, 0), QList<double>());
        QVERIFY(!EditWith([] { Editor()->CancelButton->click(); }));
        QCOMPARE(Asked(), QStringList());
    }

    void backordersStayDownAndAreReadAgainWhenShownAgain()
    {
        QVERIFY(OpenBrowser());
        ClickBackorders();
        Press(Qt::Key_Escape);
        QVERIFY(!Browser()->isVisible());
        // Another program puts part A on back-order meanwhile.
        FStore->Exec("UPDATE PARTS SET OnOrder = 50 WHERE PartNo = 9001");
        MainForm->ViewPartsInventory->trigger();
        QVERIFY(QTest::qWaitForWindowActive(Browser()));
        QVERIFY(Browser()->ActivateBtn->Down());
        QCOMPARE(VornData->PartsSource->DataSet(), static_cast<TDataSet*>(VornData->PartsQuery));
        QVERIFY(GridNumbers(Browser()->PartsGrid, 0).contains(kPartA));
        Browser()->Close();

        // A switch of the storage closes every dataset; the list opens with the window.
        VornData->OpenLocalData();
        QVERIFY(!VornData->PartsQuery->Active());
        QVERIFY(OpenBrowser());
        QVERIFY(VornData->PartsQuery->Active());
        QCOMPARE(GridNumbers(Browser()->PartsGrid, 0), BackorderedInStore(*FStore));
        QCOMPARE(Asked(), QStringList());
    }

    void printingAsksFirst()
    {
        QTemporaryDir folder;
        const QString pdf = folder.filePath("part.pdf");
        Printer()->setOutputFormat(QPrinter::PdfFormat);
        Printer()->setOutputFileName(pdf);
        QVERIFY(WhileModal(Editor(), [] { Editor()->EditPart(kPartA); }, [&] {
            QCOMPARE(Editor()->PrintBtn->toolTip(), QString("Print form image"));
            FUser->Otherwise = mrNo;
            QTest::mouseClick(Editor()->PrintBtn, Qt::LeftButton);
            QVERIFY(!QFile::exists(pdf));
            FUser->Otherwise = mrYes;
            QTest::mouseClick(Editor()->PrintBtn, Qt::LeftButton);
            QVERIFY(QFileInfo(pdf).size() > 0);
            Editor()->CancelButton->click();
        }));
        QCOMPARE(Asked(), QStringList({"   Print this form?", "   Print this form?"}));
        QCOMPARE(FUser->Requests[0].Type, mtConfirmation);
        QCOMPARE(FUser->Requests[0].Buttons, TMsgDlgButtons({mbYes, mbNo}));
        Printer()->setOutputFileName(QString());
    }

private:
    QStringList Asked() const { return FUser->Texts(); }
};

int main(int argc, char** argv)
{
    TGuiApplication app(argc, argv);
    PartsFormTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "parts_form_test.moc"
