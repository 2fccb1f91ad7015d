// The lookup combo and the lookup list box on the order-entry data module: the combo
// shows the customer's company and stores the customer's number, lists the companies
// in order around the chosen one, finds an entry from typed letters, takes the
// neighbour on Up and Down, and lets a key-press handler swallow typing; the list box
// moves its list source to the record clicked; reading a list leaves its dataset where
// it stood and never wakes another list on the same source; what they publish.
#include "platform/datacontrols/dblookupcombo.h"
#include "platform/datacontrols/dblookuplistbox.h"
#include "platform/datacontrols/dbnavigator.h"
#include "platform/datacontrols/lookuplistview.h"
#include "platform/datacontrols/published.h"
#include "platform/datacontrols/tests/orderdata_fixture.h"

#include <QToolButton>

namespace {

// Counts the paintings of a widget.
class TPaintCounter : public QObject {
public:
    explicit TPaintCounter(QWidget* widget) { widget->installEventFilter(this); }
    int Count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++Count;
        return false;
    }
};

} // namespace

class LookupTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TOrderData> db;
    std::unique_ptr<QWidget> window;

    TVornData* vd() { return db->Data.get(); }

    TDBLookupComboBox* CompanyCombo()
    {
        auto* combo = new TDBLookupComboBox(window.get());
        combo->setGeometry(8, 30, 162, 24);
        combo->SetDataSource(vd()->OrdersSource);
        combo->SetDataField("CustNo");
        combo->SetListSource(vd()->CustByCompSrc);
        combo->SetKeyField("CustNo");
        combo->SetListField("Company");
        return combo;
    }
    TDBLookupListBox* OrderList()
    {
        auto* list = new TDBLookupListBox(window.get());
        list->setGeometry(250, 16, 153, 134);
        list->SetListSource(vd()->OrdersSource);
        list->SetKeyField("OrderNo");
        list->SetListField("OrderNo");
        return list;
    }
    QString CompanyOf(const QVariant& custNo)
    {
        return db->Store.Value("SELECT Company FROM CUSTOMER WHERE CustNo = ?", {custNo}).toString();
    }
    // Customers by company, as the list offers them.
    QStringList Companies()
    {
        QStringList names;
        for (const auto& row : db->Store.Rows("SELECT Company FROM CUSTOMER ORDER BY Company, CustNo"))
            names << row.value(0).toString();
        return names;
    }
    static void ClickRow(TLookupListView* view, int row)
    {
        const int h = view->RowHeight();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, QPoint(10, row * h + h / 2));
    }

private slots:
    void init()
    {
        db = std::make_unique<TOrderData>();
        window = std::make_unique<QWidget>();
        vd()->Orders->Open();
        vd()->Orders->First();
    }
    void cleanup()
    {
        window.reset();
        db.reset();
    }

    // ---- the lookup combo ----

    void aLookupComboShowsTheCompanyAndStoresTheNumber()
    {
        TDBLookupComboBox* combo = CompanyCombo();
        QVERIFY(ShowActive(*window));
        for (int i = 0; i < 3; ++i) {
            QVERIFY(!vd()->OrdersCustNo->IsNull());
            QCOMPARE(combo->Text(), CompanyOf(vd()->OrdersCustNo->Value()));
            QCOMPARE(combo->currentText(), combo->Text());
            vd()->Orders->Next();
        }
        const double no = vd()->OrdersOrderNo->AsFloat();
        const double was = vd()->OrdersCustNo->AsFloat();

        // The drop-down lists the companies in order, around the chosen one.
        combo->setFocus();
        Press(Qt::Key_Down, Qt::AltModifier);
        QVERIFY(combo->ListVisible());
        TLookupListView* view = combo->ListView();
        const QVector<TLookupRow> rows = view->Rows();
        QCOMPARE(rows.size(), combo->DropDownRows());
        const QStringList all = Companies();
        const int first = all.indexOf(rows[0].Text);
        QVERIFY(first >= 0);
        int chosen = -1;
        for (int i = 0; i < rows.size(); ++i) {
            QCOMPARE(rows[i].Text, all.value(first + i));
            QCOMPARE(rows[i].Text, CompanyOf(rows[i].Key));
            if (rows[i].Key.toDouble() == was)
                chosen = i;
        }
        QVERIFY(chosen >= 0);
        QCOMPARE(view->SelectedKey().toDouble(), was);

        // A click on another company chooses it: its number is stored.
        const int target = chosen == 0 ? 1 : 0;
        ClickRow(view, target);
        QVERIFY(!combo->ListVisible());
        QCOMPARE(vd()->Orders->State(), dsEdit);
        QCOMPARE(vd()->OrdersCustNo->AsFloat(), rows[target].Key.toDouble());
        QCOMPARE(combo->Text(), rows[target].Text);
        vd()->Orders->Post();
        QCOMPARE(db->Stored("CustNo", no).toDouble(), rows[target].Key.toDouble());
    }

    void choosingTheSameCompanyAgainChangesNothing()
    {
        TDBLookupComboBox* combo = CompanyCombo();
        QVERIFY(ShowActive(*window));
        vd()->Orders->Edit();
        vd()->OrdersShipToCity->SetAsString("Keokuk");
        vd()->Orders->Post();
        combo->setFocus();
        Press(Qt::Key_F4);
        QVERIFY(combo->ListVisible());
        Press(Qt::Key_Return);
        QVERIFY(!combo->ListVisible());
        // A change of customer would have emptied the ship-to address.
        QCOMPARE(vd()->Orders->State(), dsBrowse);
        QCOMPARE(vd()->OrdersShipToCity->AsString(), QString("Keokuk"));
    }

    void typingIntoTheComboFindsTheEntry()
    {
        TDBLookupComboBox* combo = CompanyCombo();
        QVERIFY(ShowActive(*window));
        const double was = vd()->OrdersCustNo->AsFloat();
        combo->setFocus();
        Type("aardv");
        QCOMPARE(vd()->OrdersCustNo->AsFloat(), kAardvark);
        QCOMPARE(combo->Text(), QString("Aardvark Scuba"));
        QCOMPARE(vd()->Orders->State(), dsEdit);

        // Backspace starts the search again; a letter that matches nothing changes nothing.
        Press(Qt::Key_Backspace);
        Type("ZEB");
        QCOMPARE(vd()->OrdersCustNo->AsFloat(), kZebra);
        Type("q");
        QCOMPARE(vd()->OrdersCustNo->AsFloat(), kZebra);
        QCOMPARE(combo->Text(), QString("Zebra Fin Works"));

        vd()->Orders->Cancel();
        QCOMPARE(vd()->OrdersCustNo->AsFloat(), was);
        QCOMPARE(combo->Text(), CompanyOf(was));
    }

    void upAndDownChooseTheNeighbouringEntries()
    {
        TDBLookupComboBox* combo = CompanyCombo();
        QVERIFY(ShowActive(*window));
        combo->setFocus();
        Type("aardvark");
        QCOMPARE(vd()->OrdersCustNo->AsFloat(), kAardvark);
        const QVariant after = db->Store.Value(
            "SELECT CustNo FROM CUSTOMER WHERE Company > 'Aardvark Scuba' ORDER BY Company, CustNo");
        Press(Qt::Key_Down);
        QCOMPARE(vd()->OrdersCustNo->AsFloat(), after.toDouble());
        QCOMPARE(combo->Text(), CompanyOf(after));
        Press(Qt::Key_Up);
        QCOMPARE(vd()->OrdersCustNo->AsFloat(), kAardvark);

        // In the drop-down Down moves the selection and Enter chooses it.
        Press(Qt::Key_F4);
        QVERIFY(combo->ListVisible());
        Press(Qt::Key_Down);
        QCOMPARE(vd()->OrdersCustNo->AsFloat(), kAardvark);
        Press(Qt::Key_Return);
        QVERIFY(!combo->ListVisible());
        QCOMPARE(vd()->OrdersCustNo->AsFloat(), after.toDouble());

        // Escape closes it without a choice.
        Press(Qt::Key_F4);
        Press(Qt::Key_Down);
        Press(Qt::Key_Escape);
        QVERIFY(!combo->ListVisible());
        QCOMPARE(vd()->OrdersCustNo->AsFloat(), after.toDouble());
        vd()->Orders->Cancel();
    }

    void aKeyPressHandlerCanSwallowTheTyping()
    {
        auto* soldBy = new TDBLookupComboBox(window.get());
        soldBy->setGeometry(9, 138, 107, 24);
        soldBy->SetDataSource(vd()->OrdersSource);
        soldBy->SetDataField("EmpNo");
        soldBy->SetListSource(vd()->EmpsSource);
        soldBy->SetKeyField("EmpNo");
        soldBy->SetListField("FullName");
        QList<QChar> seen;
        soldBy->OnKeyPress = [&](TObject*, QChar& key) {
            seen << key;
            if (key != QChar(13) && key != QChar(27))
                key = QChar();
        };
        QVERIFY(ShowActive(*window));
        const int was = vd()->OrdersEmpNo->AsInteger();
        QCOMPARE(soldBy->Text(), vd()->OrdersSalesPerson->DisplayText());
        QVERIFY(!soldBy->Text().isEmpty());
        soldBy->setFocus();
        Type("q");
        QCOMPARE(seen, QList<QChar>({QChar('q')}));
        QCOMPARE(vd()->OrdersEmpNo->AsInteger(), was);
        QCOMPARE(vd()->Orders->State(), dsBrowse);

        // The list still chooses.
        soldBy->DropDown();
        Press(Qt::Key_Down);
        Press(Qt::Key_Return);
        QVERIFY(vd()->OrdersEmpNo->AsInteger() != was);
        QCOMPARE(soldBy->Text(), vd()->OrdersSalesPerson->DisplayText());
        vd()->Orders->Cancel();
    }

    // ---- the lookup list box ----

    void aListBoxMovesItsSourceToTheRecordClicked()
    {
        TDBLookupListBox* list = OrderList();
        QVERIFY(ShowActive(*window));
        const QVector<TLookupRow> rows = list->Rows();
        QCOMPARE(rows.size(), list->RowCount());
        QVERIFY(rows.size() >= 5);
        const auto numbers = db->Store.Rows("SELECT OrderNo FROM ORDERS ORDER BY OrderNo");
        for (int i = 0; i < rows.size(); ++i)
            QCOMPARE(rows[i].Key.toDouble(), numbers[i].value(0).toDouble());
        QVERIFY(list->KeyValue().isNull());

        ClickRow(list, 3);
        QCOMPARE(vd()->OrdersOrderNo->AsFloat(), rows[3].Key.toDouble());
        QCOMPARE(list->KeyValue().toDouble(), rows[3].Key.toDouble());
        // The rows stay where they were under the mouse.
        QCOMPARE(list->Rows().value(3).Key.toDouble(), rows[3].Key.toDouble());
        QCOMPARE(list->Rows().value(0).Key.toDouble(), rows[0].Key.toDouble());
        // The order's lines follow it.
        vd()->Items->First();
        QVERIFY(vd()->Items->IsEmpty() || vd()->ItemsOrderNo->AsFloat() == rows[3].Key.toDouble());

        Press(Qt::Key_Down);
        QCOMPARE(vd()->OrdersOrderNo->AsFloat(), rows[4].Key.toDouble());
        QCOMPARE(list->KeyValue().toDouble(), rows[4].Key.toDouble());
        Press(Qt::Key_End);
        QCOMPARE(vd()->OrdersOrderNo->AsFloat(), numbers.last().value(0).toDouble());
        QCOMPARE(list->Rows().last().Key.toDouble(), numbers.last().value(0).toDouble());
        QCOMPARE(list->KeyValue().toDouble(), numbers.last().value(0).toDouble());
        Press(Qt::Key_Home);
        QCOMPARE(vd()->OrdersOrderNo->AsFloat(), rows[0].Key.toDouble());
    }

    void readingAListLeavesItsDatasetWhereItStood()
    {
        auto* nav = new TDBNavigator(window.get());
        nav->setGeometry(10, 200, 250, 25);
        nav->SetDataSource(vd()->OrdersSource);
        TDBLookupListBox* list = OrderList();
        QVERIFY(ShowActive(*window));

        const double first = vd()->OrdersOrderNo->AsFloat();
        list->ListChanged();
        QVERIFY(list->Rows().size() > 1);
        QCOMPARE(vd()->OrdersOrderNo->AsFloat(), first);
        QVERIFY(vd()->Orders->Bof());
        QVERIFY(!nav->Button(TDBNavigator::nbPrior)->isEnabled());

        vd()->Orders->Last();
        const double last = vd()->OrdersOrderNo->AsFloat();
        list->ListChanged();
        QVERIFY(list->Rows().size() > 1);
        QCOMPARE(vd()->OrdersOrderNo->AsFloat(), last);
        QVERIFY(vd()->Orders->Eof());
        QVERIFY(!nav->Button(TDBNavigator::nbNext)->isEnabled());

        // A record being edited is never left: the list shows it alone.
        vd()->Orders->Edit();
        vd()->OrdersShipToCity->SetAsString("Keokuk");
        list->ListChanged();
        QCOMPARE(list->Rows().size(), 1);
        QCOMPARE(vd()->Orders->State(), dsEdit);
        QCOMPARE(vd()->OrdersShipToCity->AsString(), QString("Keokuk"));
        vd()->Orders->Cancel();
    }

    void twoListsOnOneSourceLeaveEachOtherAlone()
    {
        TDBLookupListBox* one = OrderList();
        TDBLookupListBox* two = OrderList();
        two->move(10, 160);
        QVERIFY(ShowActive(*window));
        TPaintCounter paintsOne(one->viewport()), paintsTwo(two->viewport());
        for (int i = 0; i < 30; ++i)
            QCoreApplication::processEvents();
        // Settled: neither painting makes the other read and paint again.
        QVERIFY2(paintsOne.Count + paintsTwo.Count < 10, qPrintable(QString::number(paintsOne.Count + paintsTwo.Count)));
        // A user's move reaches the other list, which keeps the new record in sight.
        ClickRow(one, 2);
        ClickRow(one, one->RowCount() - 1);
        Press(Qt::Key_PageDown);
        const double current = vd()->OrdersOrderNo->AsFloat();
        QVERIFY(std::any_of(two->Rows().begin(), two->Rows().end(),
                            [&](const TLookupRow& row) { return row.Key.toDouble() == current; }));
    }

    // ---- published properties ----

    void theyPublishTheirFieldsAndReferToTheirSources()
    {
        TDBLookupComboBox* combo = CompanyCombo();
        TDBLookupListBox* list = OrderList();
        QVERIFY(ShowActive(*window));
        for (QObject* control : std::initializer_list<QObject*>{combo, list}) {
            QCOMPARE(PropertyKind(control, FindPublished(control, "ListSource")), pkReference);
            QCOMPARE(PropertyKind(control, FindPublished(control, "DataSource")), pkReference);
            QCOMPARE(PropertyKind(control, FindPublished(control, "KeyField")), pkString);
            QCOMPARE(PropertyKind(control, FindPublished(control, "ListField")), pkString);
            QCOMPARE(PropertyKind(control, FindPublished(control, "Font")), pkObject);
        }
        QCOMPARE(FindPublished(combo, "ListField").read(combo).toString(), QString("Company"));
        // A list source given by property is taken as the source.
        auto* other = new TDBLookupComboBox(window.get());
        QVERIFY(FindPublished(other, "ListSource").write(other, QVariant::fromValue<QObject*>(vd()->CustByCompSrc)));
        QVERIFY(FindPublished(other, "KeyField").write(other, QString("CustNo")));
        QVERIFY(FindPublished(other, "ListField").write(other, QString("Company")));
        QCOMPARE(other->ListSource(), vd()->CustByCompSrc);
        other->SetKeyValue(kZebra);
        other->show();
        QCOMPARE(other->Text(), QString("Zebra Fin Works"));
    }
};

QTEST_MAIN(LookupTest)
#include "lookup_test.moc"
