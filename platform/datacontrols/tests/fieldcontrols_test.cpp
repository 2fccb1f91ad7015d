// The controls bound to one field, on the order-entry data module: an edit follows the
// record and shows display or edit text; what is typed is written through the field's
// rules on leaving, by the navigator's Post and before the record is left; a value the
// field refuses (out of range, not a date, a required field left empty) reaches the
// error box naming the field, and nothing is posted; read-only edits, Escape and
// characters a number cannot hold; the data text; the combo with fixed items and free
// typing; what they publish.
#include "platform/datacontrols/dbcombobox.h"
#include "platform/datacontrols/dbedit.h"
#include "platform/datacontrols/dbnavigator.h"
#include "platform/datacontrols/dbtext.h"
#include "platform/datacontrols/published.h"
#include "platform/datacontrols/tests/orderdata_fixture.h"

#include <QLineEdit>
#include <QToolButton>

class FieldControlsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TOrderData> db;
    std::unique_ptr<QWidget> window;
    int nextTop = 10;

    TVornData* vd() { return db->Data.get(); }
    double OrderNo() { return vd()->OrdersOrderNo->AsFloat(); }

    // An edit on the order's field, placed below the previous control (Tab follows).
    TDBEdit* Edit(const QString& field)
    {
        auto* edit = new TDBEdit(window.get());
        edit->setObjectName(field + "Edit");
        edit->setGeometry(10, nextTop, 150, 22);
        nextTop += 26;
        edit->SetDataSource(vd()->OrdersSource);
        edit->SetDataField(field);
        return edit;
    }
    TDBNavigator* Navigator()
    {
        auto* nav = new TDBNavigator(window.get());
        nav->setGeometry(200, 10, 250, 25);
        nav->SetDataSource(vd()->OrdersSource);
        return nav;
    }
    static void Click(TDBNavigator* nav, TDBNavigator::TNavigateBtn button)
    {
        QVERIFY(nav->Button(button)->isEnabled());
        QTest::mouseClick(nav->Button(button), Qt::LeftButton);
    }
    // Replaces the whole text of the focused edit, as a user selecting it and typing.
    static void Retype(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        if (text.isEmpty())
            Press(Qt::Key_Delete);
        else
            Type(text);
    }

private slots:
    void init()
    {
        db = std::make_unique<TOrderData>();
        window = std::make_unique<QWidget>();
        nextTop = 10;
        vd()->Orders->Open();
        vd()->Orders->First();
    }
    void cleanup()
    {
        window.reset();
        db.reset();
    }

    // ---- showing ----

    void anEditFollowsTheRecordItIsBoundTo()
    {
        TDBEdit* city = Edit("ShipToCity");
        TDBEdit* freight = Edit("Freight");
        auto* number = new TDBText(window.get());
        number->setGeometry(200, 60, 80, 20);
        number->SetDataSource(vd()->OrdersSource);
        number->SetDataField("OrderNo");
        QVERIFY(ShowActive(*window));
        QSet<QString> seen;
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(city->text(), vd()->OrdersShipToCity->DisplayText());
            QCOMPARE(freight->text(), vd()->OrdersFreight->DisplayText());
            QCOMPARE(number->text(), vd()->OrdersOrderNo->DisplayText());
            seen << number->text();
            vd()->Orders->Next();
        }
        QCOMPARE(seen.size(), 4);
        QVERIFY(freight->alignment() & Qt::AlignRight);
        QVERIFY(city->alignment() & Qt::AlignLeft);

        // Money shows its display text, and while typed in its edit text.
        vd()->Orders->Edit();
        vd()->OrdersFreight->SetAsFloat(1234.5);
        QCOMPARE(freight->text(), vd()->OrdersFreight->DisplayText());
        QVERIFY(freight->text().startsWith("$"));
        freight->setFocus();
        QCOMPARE(freight->text(), vd()->OrdersFreight->Text());
        QCOMPARE(freight->text(), QString("1234.5"));
        city->setFocus();
        QCOMPARE(freight->text(), vd()->OrdersFreight->DisplayText());
        vd()->Orders->Cancel();

        // A hidden window's edits catch up when it shows again.
        window->hide();
        vd()->Orders->Last();
        QVERIFY(ShowActive(*window));
        QCOMPARE(city->text(), vd()->OrdersShipToCity->DisplayText());
        QCOMPARE(number->text(), vd()->OrdersOrderNo->DisplayText());

        // A closed dataset leaves the edits empty.
        vd()->Orders->Close();
        QCOMPARE(number->text(), QString());
        QCOMPARE(city->text(), QString());
        QVERIFY(city->isReadOnly());
    }

    // ---- writing ----

    void typingEditsTheRecordAndLeavingTheEditWritesIt()
    {
        TDBEdit* city = Edit("ShipToCity");
        Edit("ShipToState");
        QVERIFY(ShowActive(*window));
        const double no = OrderNo();
        Retype(city, "Tulsa");
        QCOMPARE(vd()->Orders->State(), dsEdit);
        QVERIFY(city->Modified());
        QVERIFY(vd()->OrdersShipToCity->AsString() != "Tulsa");
        Press(Qt::Key_Tab);
        QVERIFY(QApplication::focusWidget() != city);
        QCOMPARE(vd()->OrdersShipToCity->AsString(), QString("Tulsa"));
        QVERIFY(!city->Modified());
        vd()->Orders->Post();
        QCOMPARE(db->Stored("ShipToCity", no).toString(), QString("Tulsa"));

        // Enter writes as well, and leaves the key to the window's default button.
        Retype(city, "Omaha");
        Press(Qt::Key_Return);
        QCOMPARE(vd()->OrdersShipToCity->AsString(), QString("Omaha"));
        QCOMPARE(QApplication::focusWidget(), city);
        vd()->Orders->Cancel();
    }

    void theNavigatorsPostAndMovesWriteTheEditBeingTyped()
    {
        TDBEdit* city = Edit("ShipToCity");
        TDBNavigator* nav = Navigator();
        QVERIFY(ShowActive(*window));
        const double first = OrderNo();
        Retype(city, "Reno");
        Click(nav, TDBNavigator::nbPost);
        // The button took no focus: the edit still has it, and its text was posted.
        QCOMPARE(QApplication::focusWidget(), city);
        QCOMPARE(vd()->Orders->State(), dsBrowse);
        QCOMPARE(db->Stored("ShipToCity", first).toString(), QString("Reno"));

        Retype(city, "Ames");
        Click(nav, TDBNavigator::nbNext);
        QVERIFY(OrderNo() != first);
        QCOMPARE(db->Stored("ShipToCity", first).toString(), QString("Ames"));
        QCOMPARE(city->text(), vd()->OrdersShipToCity->DisplayText());
    }

    void postingFromCodeWritesTheEditBeingTyped()
    {
        TDBEdit* city = Edit("ShipToCity");
        QVERIFY(ShowActive(*window));
        const double no = OrderNo();
        Retype(city, "Boise");
        vd()->Orders->Post();
        QCOMPARE(vd()->Orders->State(), dsBrowse);
        QCOMPARE(db->Stored("ShipToCity", no).toString(), QString("Boise"));
        QVERIFY(!city->Modified());
        // Outside an edit there is nothing to write, and saying so is an error.
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, vd()->Orders->UpdateRecord());
    }

    void aValueOutOfRangeIsRefusedNamingTheFieldAndNothingIsPosted()
    {
        TDBEdit* rate = Edit("TaxRate");
        Edit("Freight");
        TDBNavigator* nav = Navigator();
        QVERIFY(ShowActive(*window));
        const double no = OrderNo();
        const QVariant before = db->Stored("TaxRate", no);
        const double shown = vd()->OrdersTaxRate->AsFloat();
        TMessageRecorder user({}, mrOk);

        Retype(rate, "150");
        Press(Qt::Key_Tab);
        QCOMPARE(user.Requests.size(), size_t(1));
        QCOMPARE(user.Requests[0].Type, mtError);
        QVERIFY2(user.Requests[0].Text.contains("150"), qPrintable(user.Requests[0].Text));
        QVERIFY2(user.Requests[0].Text.contains("'" + vd()->OrdersTaxRate->DisplayName() + "'"),
                 qPrintable(user.Requests[0].Text));
        // The text stays for mending, and the focus comes back to it.
        QCOMPARE(rate->text(), QString("150"));
        QTRY_COMPARE(QApplication::focusWidget(), rate);
        QCOMPARE(vd()->OrdersTaxRate->AsFloat(), shown);

        // Posting asks the edit again: refused again, nothing is posted.
        Click(nav, TDBNavigator::nbPost);
        QCOMPARE(user.Requests.size(), size_t(2));
        QCOMPARE(user.Requests[1].Text, user.Requests[0].Text);
        QCOMPARE(vd()->Orders->State(), dsEdit);
        QCOMPARE(db->Stored("TaxRate", no), before);

        // Mended, it goes through.
        Retype(rate, "7.5");
        Click(nav, TDBNavigator::nbPost);
        QCOMPARE(user.Requests.size(), size_t(2));
        QCOMPARE(db->Stored("TaxRate", no).toDouble(), 7.5);
    }

    void aBadDateIsRefusedNamingTheField()
    {
        TDBEdit* date = Edit("SaleDate");
        Edit("ShipToCity");
        TDBNavigator* nav = Navigator();
        QVERIFY(ShowActive(*window));
        const double no = OrderNo();
        const QVariant before = db->Stored("SaleDate", no);
        TMessageRecorder user({}, mrOk);

        Retype(date, "31/31/31");
        Press(Qt::Key_Tab);
        QCOMPARE(user.Requests.size(), size_t(1));
        QCOMPARE(user.Requests[0].Text,
                 QString("'31/31/31' is not a valid date for field '%1'").arg(vd()->OrdersSaleDate->DisplayName()));
        QTRY_COMPARE(QApplication::focusWidget(), date);

        Click(nav, TDBNavigator::nbPost);
        QCOMPARE(user.Requests.size(), size_t(2));
        QCOMPARE(vd()->Orders->State(), dsEdit);
        QCOMPARE(db->Stored("SaleDate", no), before);
        // Escape gives the field's own text back.
        Press(Qt::Key_Escape);
        QCOMPARE(date->text(), vd()->OrdersSaleDate->Text());
        QVERIFY(!date->Modified());
    }

    void aRequiredFieldLeftEmptyIsRefusedOnPost()
    {
        TDBEdit* cust = Edit("CustNo");
        Edit("ShipToCity");
        TDBNavigator* nav = Navigator();
        QVERIFY(ShowActive(*window));
        const double no = OrderNo();
        const QVariant before = db->Stored("CustNo", no);
        TMessageRecorder user({}, mrOk);

        Retype(cust, "");
        Press(Qt::Key_Tab);
        QVERIFY(user.Requests.empty());
        QVERIFY(vd()->OrdersCustNo->IsNull());
        Click(nav, TDBNavigator::nbPost);
        QCOMPARE(user.Requests.size(), size_t(1));
        QCOMPARE(user.Requests[0].Text,
                 QString("Field '%1' must have a value").arg(vd()->OrdersCustNo->DisplayName()));
        QCOMPARE(vd()->Orders->State(), dsEdit);
        QCOMPARE(db->Stored("CustNo", no), before);
    }

    // ---- what cannot be typed ----

    void escapeReadOnlyEditsAndNumbersKeepTheRecordAsItIs()
    {
        TDBEdit* city = Edit("ShipToCity");
        TDBEdit* zip = Edit("ShipToZip");
        zip->SetReadOnly(true);
        zip->SetTabStop(false);
        TDBEdit* due = Edit("AmountDue");
        TDBEdit* freight = Edit("Freight");
        QVERIFY(ShowActive(*window));

        // Escape undoes the typing; the record stays in edit, its value as it was.
        const QString was = vd()->OrdersShipToCity->AsString();
        Retype(city, "Nowhere");
        Press(Qt::Key_Escape);
        QCOMPARE(city->text(), vd()->OrdersShipToCity->Text());
        QCOMPARE(vd()->OrdersShipToCity->AsString(), was);
        QVERIFY(!city->Modified());
        vd()->Orders->Cancel();

        // Tab passes the read-only edit by; typing into it changes nothing.
        city->setFocus();
        Press(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), due);
        for (TDBEdit* fixed : {zip, due}) {
            fixed->setFocus();
            const QString shown = fixed->text();
            Type("12");
            QCOMPARE(fixed->text(), shown);
            QCOMPARE(vd()->Orders->State(), dsBrowse);
        }

        // A number takes no letters: nothing changes, not even the record's state.
        freight->setFocus();
        const QString money = freight->text();
        Type("x");
        QCOMPARE(freight->text(), money);
        QCOMPARE(vd()->Orders->State(), dsBrowse);
        Type("5");
        QCOMPARE(vd()->Orders->State(), dsEdit);
        vd()->Orders->Cancel();
    }

    // ---- the combo with fixed items ----

    void aComboOffersItsItemsAndTakesFreeText()
    {
        auto* terms = new TDBComboBox(window.get());
        terms->setGeometry(10, 10, 120, 24);
        terms->SetItems({"Prepaid", "Net 30", "COD", ""});
        terms->SetDataSource(vd()->OrdersSource);
        terms->SetDataField("Terms");
        Edit("ShipToCity")->move(10, 60);
        QVERIFY(ShowActive(*window));
        const double no = OrderNo();
        QCOMPARE(terms->currentText(), vd()->OrdersTerms->DisplayText());

        // A text outside the list shows as it is.
        vd()->Orders->Edit();
        vd()->OrdersTerms->SetAsString("net 30");
        QCOMPARE(terms->currentText(), QString("net 30"));
        vd()->Orders->Cancel();

        // Choosing an item writes it at once.
        terms->setFocus();
        vd()->Orders->Edit();
        vd()->OrdersTerms->SetAsString("Net 30");
        Press(Qt::Key_Down);
        QCOMPARE(vd()->OrdersTerms->AsString(), QString("COD"));
        QCOMPARE(vd()->Orders->State(), dsEdit);

        // Free text is written on leaving, and not added to the list.
        terms->lineEdit()->selectAll();
        Type("Net 45");
        QCOMPARE(vd()->OrdersTerms->AsString(), QString("COD"));
        Press(Qt::Key_Tab);
        QCOMPARE(vd()->OrdersTerms->AsString(), QString("Net 45"));
        QCOMPARE(terms->Items(), QStringList({"Prepaid", "Net 30", "COD", ""}));
        vd()->Orders->Post();
        QCOMPARE(db->Stored("Terms", no).toString(), QString("Net 45"));
    }

    // ---- published properties ----

    void theyPublishTheirFieldAndReferToTheirSource()
    {
        TDBEdit* city = Edit("ShipToCity");
        auto* text = new TDBText(window.get());
        auto* terms = new TDBComboBox(window.get());
        QVERIFY(ShowActive(*window));
        for (QObject* control : std::initializer_list<QObject*>{city, text, terms}) {
            const QMetaProperty source = FindPublished(control, "DataSource");
            QVERIFY(source.isValid());
            QVERIFY(source.write(control, QVariant::fromValue<QObject*>(vd()->OrdersSource)));
            QCOMPARE(PropertyKind(control, source), pkReference);
            QVERIFY(FindPublished(control, "datafield").write(control, QString("ShipToCity")));
            QCOMPARE(PropertyKind(control, FindPublished(control, "Hint")), pkString);
            QCOMPARE(PropertyKind(control, FindPublished(control, "Font")), pkObject);
            QVERIFY(FindPublished(control, "Visible").isValid());
            // The text is the record's, not a string to translate.
            QVERIFY(!FindPublished(control, "Text").isValid());
        }
        QCOMPARE(text->text(), vd()->OrdersShipToCity->DisplayText());
        QCOMPARE(terms->currentText(), vd()->OrdersShipToCity->DisplayText());

        const QMetaProperty items = FindPublished(terms, "Items");
        QCOMPARE(PropertyKind(terms, items), pkStringList);
        QVERIFY(items.write(terms, QStringList{"UPS", "DHL"}));
        QCOMPARE(terms->Items(), QStringList({"UPS", "DHL"}));
        QCOMPARE(items.read(terms).toStringList(), QStringList({"UPS", "DHL"}));
        auto* font = qobject_cast<TFont*>(PublishedObject(city, FindPublished(city, "Font")));
        QVERIFY(font);
        font->SetStyle(TFont::fsBold);
        QVERIFY(city->font().bold());
    }
};

QTEST_MAIN(FieldControlsTest)
#include "fieldcontrols_test.moc"
