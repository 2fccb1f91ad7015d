// The data grid over the order-entry data module, set up as the order form's line
// items: editing a line posts it when the cursor leaves it and the module's rules
// run (totals, on-order stock, part validation, ranges); Escape cancels; inserting and
// deleting go through the dataset, so the module's questions reach the user.
#include "orderentry/DataMod.h"
#include "platform/datacontrols/dbgrid.h"
#include "platform/widgets/messages.h"
#include "testsupport/scratchstore.h"

#include <QApplication>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtTest>

#include <memory>

namespace {

constexpr double kPartA = 9001, kPartB = 9002;

void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), modifiers);
}

void Type(const QString& text)
{
    for (const QChar c : text)
        QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
}

} // namespace

class TDBGridOrdersTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TScratchStore> Store;
    std::unique_ptr<TVornData> Vd;
    std::unique_ptr<QWidget> Window;
    TDBGrid* ItemsGrid = nullptr;
    TDBGrid* OrdersGrid = nullptr;
    std::unique_ptr<TMessageRecorder> Unexpected;

    int Column(const QString& field) const
    {
        for (int c = 0; c < ItemsGrid->Columns()->Count(); ++c)
            if (ItemsGrid->Columns()->Items(c)->FieldName() == field)
                return c;
        return -1;
    }
    int Lines() { return Vd->Items->RecordCount(); }
    double SumOfLines()
    {
        double sum = 0;
        for (Vd->Items->First(); !Vd->Items->Eof(); Vd->Items->Next())
            sum += Vd->ItemsExtPrice->AsFloat();
        return sum;
    }

private slots:
    void init()
    {
        Unexpected = std::make_unique<TMessageRecorder>();
        Store = std::make_unique<TScratchStore>(false);
        vorndata::BuildOptions options;
        options.orders = 12;
        Store->Build(options);
        Store->Exec("INSERT INTO PARTS (PartNo, Description, VendorNo, OnHand, OnOrder, Cost, ListPrice) "
                    "VALUES (9001, 'Test regulator', 1, 20, 0, 6, 10)");
        Store->Exec("INSERT INTO PARTS (PartNo, Description, VendorNo, OnHand, OnOrder, Cost, ListPrice) "
                    "VALUES (9002, 'Test fin', 1, 5, 3, 2, 4.5)");
        Vd = std::make_unique<TVornData>();
        Vd->Orders->Open();
        // An order with a few lines.
        while (Vd->Items->RecordCount() < 2)
            Vd->Orders->Next();

        Window = std::make_unique<QWidget>();
        Window->resize(560, 360);
        auto* layout = new QVBoxLayout(Window.get());
        OrdersGrid = new TDBGrid(Window.get());
        OrdersGrid->SetDataSource(Vd->OrdersSource);
        ItemsGrid = new TDBGrid(Window.get());
        ItemsGrid->SetDataSource(Vd->ItemsSource);
        // The order form's line items.
        ItemsGrid->SetColor(QColor(255, 255, 225));
        TColumn* partNo = ItemsGrid->Columns()->Add();
        partNo->SetFieldName("PartNo");
        partNo->SetAlignment(taLeftJustify);
        partNo->Font()->SetStyle(TFont::fsBold);
        partNo->SetWidth(63);
        partNo->SetButtonStyle(TColumn::cbsEllipsis);
        TColumn* description = ItemsGrid->Columns()->Add();
        description->SetFieldName("Description");
        description->SetWidth(161);
        ItemsGrid->Columns()->Add()->SetFieldName("SellPrice");
        ItemsGrid->Columns()->Items(2)->SetReadOnly(true);
        ItemsGrid->Columns()->Add()->SetFieldName("Qty");
        TColumn* discount = ItemsGrid->Columns()->Add();
        discount->SetFieldName("Discount");
        discount->Font()->SetColor(Qt::red);
        TColumn* extPrice = ItemsGrid->Columns()->Add();
        extPrice->SetFieldName("ExtPrice");
        extPrice->Font()->SetColor(Qt::white);
        extPrice->SetColor(QColor(0, 128, 128));
        layout->addWidget(OrdersGrid);
        layout->addWidget(ItemsGrid);
        Window->show();
        Window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(Window.get()));
        ItemsGrid->setFocus();
        ItemsGrid->viewport()->repaint();
    }

    void cleanup()
    {
        for (const TMessageRequest& request : Unexpected->Requests)
            qWarning("unexpected message: %s", qPrintable(request.Text));
        const bool quiet = Unexpected->Requests.empty();
        Window.reset();
        Vd.reset();
        Store.reset();
        Unexpected.reset();
        QVERIFY(quiet);
    }

    void editsALineAndPostsItOnLeaving()
    {
        const int lines = Lines();
        QCOMPARE(ItemsGrid->RowCount(), lines);
        const QString partNo = ItemsGrid->CellText(0, Column("PartNo"));
        ItemsGrid->SetSelectedIndex(Column("Qty"));
        Type("3");
        QCOMPARE(Vd->Items->State(), dsEdit);
        // The line's rule puts the order in edit as the line is.
        QCOMPARE(Vd->Orders->State(), dsEdit);
        Key(Qt::Key_Down);
        QCOMPARE(Vd->Items->State(), dsBrowse);
        QVERIFY(!ItemsGrid->EditorMode());
        QVERIFY(Vd->Items->UpdatesPending());
        QCOMPARE(Lines(), lines);
        // A posted line takes the order's next item number, so it moves to the end.
        ItemsGrid->viewport()->repaint();
        QCOMPARE(ItemsGrid->RowCount(), lines);
        QCOMPARE(ItemsGrid->CellText(lines - 1, Column("PartNo")), partNo);
        QCOMPARE(ItemsGrid->CellText(lines - 1, Column("Qty")), QString("3"));
        QCOMPARE(ItemsGrid->Row(), lines - 1);
        QCOMPARE(Vd->OrdersItemsTotal->AsFloat(), SumOfLines());
        ItemsGrid->viewport()->repaint();
        Key(Qt::Key_Home, Qt::ControlModifier);

        // The module's range for Discount, through the cell.
        ItemsGrid->SetSelectedIndex(Column("Discount"));
        Type("150");
        {
            TMessageRecorder user;
            Key(Qt::Key_Up);
            QCOMPARE(int(user.Requests.size()), 1);
            QCOMPARE(user.Requests[0].Text,
                     QString("150 is not a valid value for field 'Discount'. The allowed range is 0 to 100"));
        }
        QCOMPARE(ItemsGrid->Row(), 0);
        QVERIFY(ItemsGrid->EditorMode());
        QCOMPARE(ItemsGrid->InplaceEditor()->text(), QString("150"));
    }

    void escapeCancelsTheLine()
    {
        const double total = Vd->OrdersItemsTotal->AsFloat();
        const QString discount = Vd->ItemsDiscount->DisplayText();
        ItemsGrid->SetSelectedIndex(Column("Discount"));
        Type("50");
        Key(Qt::Key_Escape);
        QCOMPARE(Vd->Items->State(), dsBrowse);
        QCOMPARE(Vd->ItemsDiscount->DisplayText(), discount);
        QCOMPARE(Vd->OrdersItemsTotal->AsFloat(), total);
        ItemsGrid->viewport()->repaint();
        QCOMPARE(ItemsGrid->CellText(ItemsGrid->Row(), Column("Discount")), discount);
        // Calculated and looked-up columns are not typed into.
        ItemsGrid->SetSelectedIndex(Column("ExtPrice"));
        Type("1");
        QVERIFY(!ItemsGrid->EditorMode());
        ItemsGrid->SetSelectedIndex(Column("SellPrice"));
        Type("1");
        QVERIFY(!ItemsGrid->EditorMode());
        QCOMPARE(Vd->Items->State(), dsBrowse);
    }

    void insertsAndDeletesThroughTheDataModule()
    {
        const int lines = Lines();
        const double onOrder = Vd->Parts->Lookup("PartNo", kPartA, "OnOrder").toDouble();
        Key(Qt::Key_Insert);
        QCOMPARE(Vd->Items->State(), dsInsert);
        // The new line's defaults come from the module: the order's number, one piece.
        QCOMPARE(Vd->ItemsOrderNo->AsFloat(), Vd->OrdersOrderNo->AsFloat());
        QCOMPARE(ItemsGrid->CellText(ItemsGrid->Row(), Column("Qty")), QString("1"));
        QCOMPARE(ItemsGrid->RowCount(), lines + 1);

        // A part that does not exist is refused by the module's validation.
        ItemsGrid->SetSelectedIndex(Column("PartNo"));
        Type("123456");
        {
            TMessageRecorder user;
            Key(Qt::Key_Tab);
            QCOMPARE(int(user.Requests.size()), 1);
            QCOMPARE(user.Requests[0].Text, QString("You must specify a valid PartNo"));
        }
        QCOMPARE(ItemsGrid->SelectedIndex(), Column("PartNo"));
        ItemsGrid->InplaceEditor()->selectAll();
        Type("9001");
        Key(Qt::Key_Tab);
        QCOMPARE(ItemsGrid->CellText(ItemsGrid->Row(), Column("Description")), QString("Test regulator"));
        ItemsGrid->SetSelectedIndex(Column("Qty"));
        Type("2");
        Key(Qt::Key_Down);
        QCOMPARE(Vd->Items->State(), dsBrowse);
        QCOMPARE(Lines(), lines + 1);
        QCOMPARE(Vd->Parts->Lookup("PartNo", kPartA, "OnOrder").toDouble(), onOrder + 2);
        QCOMPARE(Vd->OrdersItemsTotal->AsFloat(), SumOfLines());

        // Deleting asks first, then the module's rules total the order again.
        QVERIFY(Vd->Items->Locate("PartNo", kPartA));
        {
            TMessageRecorder user({mrOk});
            Key(Qt::Key_Delete, Qt::ControlModifier);
            QCOMPARE(int(user.Requests.size()), 1);
            QCOMPARE(user.Requests[0].Text, QString("Delete record?"));
        }
        QCOMPARE(Lines(), lines);
        QVERIFY(!Vd->Items->Locate("PartNo", kPartA));
        QCOMPARE(Vd->OrdersItemsTotal->AsFloat(), SumOfLines());

        // On the orders, the module asks its own question after the grid's.
        Vd->Orders->Post();
        OrdersGrid->setFocus();
        const double orderNo = Vd->OrdersOrderNo->AsFloat();
        {
            TMessageRecorder user({mrOk, mrNo});
            Key(Qt::Key_Delete);
            QCOMPARE(int(user.Requests.size()), 2);
            QCOMPARE(user.Requests[0].Text, QString("Delete record?"));
            QCOMPARE(user.Requests[1].Text, QString("Delete order and line items?"));
        }
        QCOMPARE(Vd->OrdersOrderNo->AsFloat(), orderNo);
        QCOMPARE(Store->Number("SELECT COUNT(*) FROM ORDERS WHERE OrderNo = ?", {orderNo}), 1.0);
    }

    void picksAPartThroughTheCellButton()
    {
        // As the order form's PickPartNo: only on PartNo, then the line takes the part.
        int clicks = 0;
        ItemsGrid->OnEditButtonClick = [&](TObject*) {
            ++clicks;
            if (ItemsGrid->SelectedField() != Vd->ItemsPartNo)
                return;
            Vd->Items->Edit();
            Vd->ItemsPartNo->SetAsFloat(kPartB);
        };
        ItemsGrid->OnDblClick = ItemsGrid->OnEditButtonClick;
        ItemsGrid->SetSelectedIndex(Column("PartNo"));
        Key(Qt::Key_F2);
        Key(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(clicks, 1);
        QCOMPARE(Vd->Items->State(), dsEdit);
        // The editor shows what the rule wrote.
        QCOMPARE(ItemsGrid->InplaceEditor()->text(), QString("9002"));
        QCOMPARE(ItemsGrid->CellText(ItemsGrid->Row(), Column("Description")), QString("Test fin"));
        Key(Qt::Key_Down);
        QCOMPARE(Vd->Items->State(), dsBrowse);
        QVERIFY(Vd->Items->Locate("PartNo", kPartB));
        // Double-clicking a Description cell does nothing to the line.
        const QRect description = ItemsGrid->CellRect(ItemsGrid->Row(), Column("Description"));
        QTest::mouseDClick(ItemsGrid->viewport(), Qt::LeftButton, {}, description.center());
        QCOMPARE(clicks, 2);
        QCOMPARE(Vd->Items->State(), dsBrowse);
    }
};

QTEST_MAIN(TDBGridOrdersTest)
#include "dbgrid_orders_test.moc"
