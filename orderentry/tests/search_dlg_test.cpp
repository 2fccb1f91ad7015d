// The part search on local sample data: alone as ShowParts runs it (search by the
// beginning of a description in any case, by part number with letters refused as they
// are typed, a search without a match that says so and keeps the part, the Search
// button's enabling), and from the order form's part-number cell, where it starts on
// the line's part, puts the part picked into the line with its price, and leaves the
// line alone when cancelled or when another column is clicked.
#include "orderentry/beep.h"
#include "orderentry/tests/parts_fixture.h"

#include "platform/core/formatsettings.h"
#include "platform/widgets/application.h"

class SearchDlgTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TScratchStore> FStore;
    std::unique_ptr<TMessageRecorder> FUser;
    int FBeeps = 0;
    TModalResult FResult = mrNone;

    static TSearchDlg* Dlg() { return SearchDlg; }
    static TEdOrderForm* Order() { return EdOrderForm; }

    // Runs Steps in the dialog that ShowParts shows; its result lands in FResult.
    bool SearchWith(const std::function<void()>& Steps)
    {
        FResult = mrNone;
        return WhileModal(Dlg(), [this] { FResult = Dlg()->ShowParts(); }, Steps);
    }

    static void ChooseSearchField(const QString& Name)
    {
        Dlg()->OrderCombo->setFocus();
        Press(Name == "PartNo" ? Qt::Key_Down : Qt::Key_Up);
        QCOMPARE(Dlg()->OrderCombo->currentText(), Name);
    }

    static void TypeSearch(const QString& Text)
    {
        Dlg()->SearchEd->setFocus();
        Type(Text);
    }

    static void DoubleClickCurrentRow(TDBGrid* Grid, int Column)
    {
        Grid->viewport()->repaint();
        DoubleClickCell(Grid, Grid->Row(), Column);
    }

    // A new order with one line of part A, Qty 2, typed into the grid; the Qty cell
    // stays selected.
    static void EnterLineOfPartA()
    {
        Order()->CompanyCombo->setFocus();
        Type("Tax");
        Order()->SoldByCombo->setFocus();
        Press(Qt::Key_Down);
        QTest::mouseClick(Order()->ItemsGrid->viewport(), Qt::LeftButton, {}, QPoint(3, 3));
        Press(Qt::Key_Insert);
        Press(Qt::Key_Home);
        Type("9001");
        Press(Qt::Key_Tab);
        Press(Qt::Key_Tab);
        Press(Qt::Key_Tab);
        Type("2");
    }

    // Selects the line's PartNo cell by the keyboard.
    static void SelectPartNoCell()
    {
        // Enter closes the cell's editor, so Home reaches the first column.
        Press(Qt::Key_Return);
        Press(Qt::Key_Home);
        QCOMPARE(Order()->ItemsGrid->SelectedField(), static_cast<TField*>(VornData->ItemsPartNo));
    }

    QStringList Asked() const { return FUser->Texts(); }

private slots:
    void init()
    {
        try {
            FStore = OrderFormStore();
        } catch (const std::exception& e) {
            QFAIL(qPrintable(QString("the sample data could not be built: ") + e.what()));
        }
        FUser = std::make_unique<TMessageRecorder>(std::vector<TModalResult>{}, mrOk);
        FBeeps = 0;
        OnBeep = [this] { ++FBeeps; };
        CreateApplicationObjects();
        QVERIFY(SearchDlg && EdOrderForm);
    }

    void cleanup()
    {
        FreeApplicationObjects();
        QVERIFY(!SearchDlg);
        OnBeep = nullptr;
        FUser.reset();
        FStore.reset();
    }

    // ---- the dialog alone ----

    void opensOnThePartItIsGivenReadyToSearchDescriptions()
    {
        VornData->Parts->Open();
        Dlg()->SetPartNo(kPartB);
        QVERIFY(SearchWith([] {
            TSearchDlg* d = Dlg();
            QCOMPARE(d->windowTitle(), QString("Select a Part"));
            QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(d->DBGrid1));
            QCOMPARE(d->OrderCombo->Items(), QStringList({"Description", "PartNo"}));
            QCOMPARE(d->OrderCombo->currentText(), QString("Description"));
            QCOMPARE(d->OrderCombo->Style(), TComboBox::csDropDownList);
            QVERIFY(d->SearchEd->text().isEmpty());
            QVERIFY(!d->SearchButton->isEnabled());
            QCOMPARE(d->SearchButton->toolTip(), QString("Search"));
            QCOMPARE(d->PartNo(), kPartB);
            d->DBGrid1->viewport()->repaint();
            QCOMPARE(d->DBGrid1->CellText(d->DBGrid1->Row(), 0), QString("9002"));
            QCOMPARE(d->DBGrid1->Columns()->Items(1)->Width(), 181);
            Press(Qt::Key_Escape);
        }));
        QCOMPARE(FResult, mrCancel);
    }

    void descriptionIsFoundByItsBeginningInAnyCase()
    {
        VornData->Parts->Open();
        Dlg()->SetPartNo(kPartB);
        QVERIFY(SearchWith([] {
            TypeSearch("test r");
            QTest::mouseClick(Dlg()->SearchButton, Qt::LeftButton);
            QCOMPARE(Dlg()->PartNo(), kPartA);
            QCOMPARE(VornData->PartsDescription->AsString(), QString("Test regulator"));
            // Enter searches too, and leaves the dialog open.
            Dlg()->SearchEd->clear();
            TypeSearch("TEST F");
            Press(Qt::Key_Return);
            QVERIFY(Dlg()->isVisible());
            QCOMPARE(Dlg()->PartNo(), kPartB);
            QTest::mouseClick(Dlg()->OKBtn, Qt::LeftButton);
        }));
        QCOMPARE(FResult, mrOk);
        QCOMPARE(Dlg()->PartNo(), kPartB);
        QCOMPARE(Asked(), QStringList());
    }

    void partNumberSearchRefusesLettersAsTheyAreTyped()
    {
        VornData->Parts->Open();
        QVERIFY(SearchWith([this] {
            ChooseSearchField("PartNo");
            TypeSearch("9a0x0b");
            QCOMPARE(FBeeps, 3);
            QCOMPARE(Dlg()->SearchEd->text(), QString("900"));
            // What a number may hold passes, and so do the space and Backspace.
            Type(QString("+-") + QChar(FormatSettings.DecimalSeparator) + "eE ");
            QCOMPARE(FBeeps, 3);
            QCOMPARE(Dlg()->SearchEd->text(), QString("900+-") + QChar(FormatSettings.DecimalSeparator) + "eE ");
            Dlg()->SearchEd->clear();
            TypeSearch("9001");
            QTest::mouseClick(Dlg()->SearchButton, Qt::LeftButton);
            QCOMPARE(Dlg()->PartNo(), kPartA);
            // Back on Description, letters are welcome again.
            ChooseSearchField("Description");
            TypeSearch("abc");
            QCOMPARE(Dlg()->SearchEd->text(), QString("abc"));
            QCOMPARE(FBeeps, 3);
            Press(Qt::Key_Escape);
        }));
        QCOMPARE(Asked(), QStringList());
    }

    void searchWithoutMatchSaysSoAndKeepsThePart()
    {
        VornData->Parts->Open();
        Dlg()->SetPartNo(kPartB);
        QVERIFY(SearchWith([this] {
            TypeSearch("no such part");
            QTest::mouseClick(Dlg()->SearchButton, Qt::LeftButton);
            QCOMPARE(Dlg()->PartNo(), kPartB);
            ChooseSearchField("PartNo");
            TypeSearch("123456");
            QTest::mouseClick(Dlg()->SearchButton, Qt::LeftButton);
            QCOMPARE(Dlg()->PartNo(), kPartB);
            // A pasted text that is no number finds nothing either, and says why.
            Dlg()->SearchEd->setText("12x");
            QTest::mouseClick(Dlg()->SearchButton, Qt::LeftButton);
            QCOMPARE(Dlg()->PartNo(), kPartB);
            QVERIFY(Dlg()->isVisible());
            Press(Qt::Key_Escape);
        }));
        QCOMPARE(FUser->Requests.size(), size_t(3));
        for (int i : {0, 1}) {
            QCOMPARE(FUser->Requests[i].Text, QString("No matching record found."));
            QCOMPARE(FUser->Requests[i].Type, mtInformation);
            QCOMPARE(FUser->Requests[i].Buttons, TMsgDlgButtons({mbOK}));
        }
        QCOMPARE(FUser->Requests[2].Type, mtError);
        QVERIFY2(FUser->Requests[2].Text.contains("12x"), qPrintable(FUser->Requests[2].Text));
    }

    void searchButtonFollowsTheSearchText()
    {
        VornData->Parts->Open();
        QVERIFY(SearchWith([] {
            TSearchDlg* d = Dlg();
            QVERIFY(!d->SearchButton->isEnabled());
            TypeSearch("t");
            QVERIFY(d->SearchButton->isEnabled());
            Press(Qt::Key_Backspace);
            QVERIFY(!d->SearchButton->isEnabled());
            TypeSearch("te");
            QVERIFY(d->SearchButton->isEnabled());
            // Another field empties the text.
            ChooseSearchField("PartNo");
            QVERIFY(d->SearchEd->text().isEmpty());
            QVERIFY(!d->SearchButton->isEnabled());
            TypeSearch("9");
            QVERIFY(d->SearchButton->isEnabled());
            Press(Qt::Key_Escape);
        }));
        // Every showing starts over: Description, no text, no search.
        QVERIFY(SearchWith([] {
            QCOMPARE(Dlg()->OrderCombo->currentText(), QString("Description"));
            QVERIFY(Dlg()->SearchEd->text().isEmpty());
            QVERIFY(!Dlg()->SearchButton->isEnabled());
            TypeSearch("q");
            QCOMPARE(Dlg()->SearchEd->text(), QString("q"));
            Press(Qt::Key_Escape);
        }));
    }

    // ---- from the order form ----

    void lineCellOpensTheSearchOnItsPartAndTakesThePartPicked()
    {
        const double onOrderB = FStore->Number("SELECT OnOrder FROM PARTS WHERE PartNo = 9002");
        bool searched = false;
        QVERIFY(WhileModal(Order(), [] { Order()->EnterNewOrder(); }, [&] {
            EnterLineOfPartA();
            TDBGrid* items = Order()->ItemsGrid;
            searched = WhileModal(Dlg(), [&] { DoubleClickCurrentRow(items, 0); }, [] {
                QCOMPARE(Dlg()->PartNo(), kPartA);
                TypeSearch("test f");
                QTest::mouseClick(Dlg()->SearchButton, Qt::LeftButton);
                QCOMPARE(Dlg()->PartNo(), kPartB);
                DoubleClickCurrentRow(Dlg()->DBGrid1, 1);
                QVERIFY(!Dlg()->isVisible());
            });
            QCOMPARE(VornData->ItemsPartNo->AsFloat(), kPartB);
            QCOMPARE(VornData->ItemsDescription->AsString(), QString("Test fin"));
            QCOMPARE(VornData->ItemsSellPrice->AsFloat(), 4.5);
            QCOMPARE(VornData->ItemsExtPrice->AsFloat(), 9.0);
            items->viewport()->repaint();
            QCOMPARE(items->CellText(items->Row(), 0), QString("9002"));
            // The PartNo cell selected already: its first click opens the cell's editor,
            // which takes the second click.
            QVERIFY(items->SelectedField() == VornData->ItemsPartNo);
            const bool again = WhileModal(Dlg(), [&] { DoubleClickCurrentRow(items, 0); }, [] {
                QCOMPARE(Dlg()->PartNo(), kPartB);
                Press(Qt::Key_Escape);
            });
            QVERIFY(again);
            if (items->EditorMode())
                Press(Qt::Key_Return);
            QTest::mouseClick(Order()->PostBtn, Qt::LeftButton);
            QCOMPARE(VornData->Orders->State(), dsBrowse);
            QTest::mouseClick(Order()->CloseBtn, Qt::LeftButton);
        }));
        QVERIFY(searched);
        const double orderNo = VornData->OrdersOrderNo->AsFloat();
        QCOMPARE(FStore->Number("SELECT PartNo FROM ITEMS WHERE OrderNo = ?", {orderNo}), kPartB);
        QCOMPARE(FStore->Number("SELECT ItemsTotal FROM ORDERS WHERE OrderNo = ?", {orderNo}), 9.0);
        // The line's stock went to the part picked.
        QCOMPARE(FStore->Number("SELECT OnOrder FROM PARTS WHERE PartNo = 9002"), onOrderB + 2);
        QCOMPARE(FStore->Number("SELECT OnOrder FROM PARTS WHERE PartNo = 9001"), 0.0);
        QCOMPARE(Asked(), QStringList());
    }

    void ellipsisPicksWithOkAndCancelLeavesTheLineAlone()
    {
        QVERIFY(WhileModal(Order(), [] { Order()->EnterNewOrder(); }, [&] {
            EnterLineOfPartA();
            SelectPartNoCell();
            TDBGrid* items = Order()->ItemsGrid;
            auto clickEllipsis = [items] {
                const QRect cell = items->CellRect(items->Row(), 0);
                QTest::mouseClick(items->viewport(), Qt::LeftButton, {}, QPoint(cell.right() - 3, cell.center().y()));
            };
            QVERIFY(WhileModal(Dlg(), clickEllipsis, [] {
                ChooseSearchField("PartNo");
                TypeSearch("9002");
                Press(Qt::Key_Return);
                QCOMPARE(Dlg()->PartNo(), kPartB);
                QTest::mouseClick(Dlg()->OKBtn, Qt::LeftButton);
            }));
            QCOMPARE(VornData->ItemsPartNo->AsFloat(), kPartB);
            QCOMPARE(VornData->ItemsSellPrice->AsFloat(), 4.5);
            QTest::mouseClick(Order()->PostBtn, Qt::LeftButton);
            QCOMPARE(VornData->Orders->State(), dsBrowse);
            QCOMPARE(VornData->Items->State(), dsBrowse);

            // Cancel: the stored line stays as it is and nothing goes into edit, though
            // the search moved to another part. Parts stands elsewhere meanwhile, as after
            // browsing the inventory; the search still starts on the line's part.
            VornData->Parts->First();
            QVERIFY(VornData->PartsPartNo->AsFloat() != kPartB);
            items->setFocus();
            QCOMPARE(items->SelectedField(), static_cast<TField*>(VornData->ItemsPartNo));
            QVERIFY(WhileModal(Dlg(), clickEllipsis, [] {
                QCOMPARE(Dlg()->PartNo(), kPartB);
                TypeSearch("test r");
                QTest::mouseClick(Dlg()->SearchButton, Qt::LeftButton);
                QCOMPARE(Dlg()->PartNo(), kPartA);
                QTest::mouseClick(Dlg()->CancelBtn, Qt::LeftButton);
            }));
            QCOMPARE(VornData->ItemsPartNo->AsFloat(), kPartB);
            QCOMPARE(VornData->Items->State(), dsBrowse);
            QCOMPARE(VornData->Orders->State(), dsBrowse);
            QTest::mouseClick(Order()->CloseBtn, Qt::LeftButton);
        }));
        QCOMPARE(Asked(), QStringList());
    }

    void otherColumnsOpenNoSearch()
    {
        QVERIFY(WhileModal(Order(), [] { Order()->EnterNewOrder(); }, [&] {
            EnterLineOfPartA();
            TDBGrid* items = Order()->ItemsGrid;
            for (int column : {1, 3, 5}) {
                QVERIFY(!WhileModal(Dlg(), [&] { DoubleClickCurrentRow(items, column); }, [] { Press(Qt::Key_Escape); }));
                QCOMPARE(items->SelectedIndex(), column);
            }
            QCOMPARE(VornData->ItemsPartNo->AsFloat(), kPartA);
            Order()->CancelBtn->click();
            Order()->Close();
        }));
        QCOMPARE(Asked(), QStringList());
    }
};

int main(int argc, char** argv)
{
    TGuiApplication app(argc, argv);
    SearchDlgTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "search_dlg_test.moc"
