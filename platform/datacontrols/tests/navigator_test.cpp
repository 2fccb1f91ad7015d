// The record navigator on the order-entry data module: its buttons enable and disable
// with the dataset's state and at the ends of the records, they act on the dataset,
// Delete asks nothing itself (the data module's own question comes through), only the
// buttons asked for are shown and share the width, and hints and VisibleButtons are
// published.
#include "platform/datacontrols/dbnavigator.h"
#include "platform/datacontrols/published.h"
#include "platform/datacontrols/tests/orderdata_fixture.h"

#include <QToolButton>

using Nav = TDBNavigator;

class NavigatorTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TOrderData> db;
    std::unique_ptr<QWidget> window;
    TDBNavigator* nav = nullptr;

    TVornData* vd() { return db->Data.get(); }

    // The enabled buttons, as a string of their hints' first words.
    QStringList Enabled()
    {
        QStringList on;
        for (Nav::TNavigateBtn b : Nav::AllButtons)
            if (nav->Button(b)->isEnabled())
                on << nav->ButtonHint(b).section(' ', 0, 0);
        return on;
    }
    void Click(Nav::TNavigateBtn button)
    {
        QVERIFY2(nav->Button(button)->isEnabled(), qPrintable(nav->ButtonHint(button)));
        QTest::mouseClick(nav->Button(button), Qt::LeftButton);
    }
    int StoredOrders() { return db->Store.Value("SELECT COUNT(*) FROM ORDERS").toInt(); }

private slots:
    void init()
    {
        db = std::make_unique<TOrderData>();
        window = std::make_unique<QWidget>();
        nav = new TDBNavigator(window.get());
        nav->setGeometry(3, 3, 250, 25);
        vd()->Orders->Open();
        vd()->Orders->First();
        nav->SetDataSource(vd()->OrdersSource);
    }
    void cleanup()
    {
        window.reset();
        db.reset();
    }

    void theButtonsFollowTheStateAndTheEnds()
    {
        QVERIFY(ShowActive(*window));
        const QStringList moving = {"Next", "Last"}, back = {"First", "Prior"};
        const QStringList browse = {"Insert", "Delete", "Edit", "Refresh"};
        QCOMPARE(Enabled(), moving + browse);

        Click(Nav::nbNext);
        QCOMPARE(Enabled(), back + moving + browse);
        Click(Nav::nbLast);
        QCOMPARE(Enabled(), back + browse);
        Click(Nav::nbFirst);
        QCOMPARE(Enabled(), moving + browse);

        // Editing: Post and Cancel instead of Edit and Refresh.
        Click(Nav::nbEdit);
        QCOMPARE(vd()->Orders->State(), dsEdit);
        QCOMPARE(Enabled(), moving + QStringList({"Insert", "Delete", "Post", "Cancel"}));
        Click(Nav::nbCancel);
        QCOMPARE(vd()->Orders->State(), dsBrowse);
        // (The data module's cancel reads the orders again, which may leave the first
        // record no longer known as the first: only the editing buttons are certain.)
        QCOMPARE(Enabled().mid(Enabled().indexOf("Insert")), browse);

        // A dataset that cannot be changed offers moving only.
        nav->SetDataSource(vd()->EmpsSource);
        vd()->Emps->First();
        QCOMPARE(Enabled(), moving + QStringList({"Refresh"}));

        // A closed one offers nothing.
        nav->SetDataSource(vd()->OrdersSource);
        vd()->Orders->Close();
        QCOMPARE(Enabled(), QStringList());
        vd()->Orders->Open();
        QCOMPARE(Enabled(), moving + browse);

        // Controls disabled on the dataset: the buttons wait, then catch up.
        vd()->Orders->DisableControls();
        vd()->Orders->Last();
        QCOMPARE(Enabled(), moving + browse);
        vd()->Orders->EnableControls();
        QCOMPARE(Enabled(), back + browse);
    }

    void theButtonsActOnTheDataset()
    {
        QVERIFY(ShowActive(*window));
        const double first = vd()->OrdersOrderNo->AsFloat();
        Click(Nav::nbNext);
        QVERIFY(vd()->OrdersOrderNo->AsFloat() > first);
        Click(Nav::nbPrior);
        QCOMPARE(vd()->OrdersOrderNo->AsFloat(), first);
        Click(Nav::nbLast);
        QCOMPARE(vd()->OrdersOrderNo->AsFloat(), db->Store.Value("SELECT MAX(OrderNo) FROM ORDERS").toDouble());

        const int orders = StoredOrders();
        Click(Nav::nbInsert);
        QCOMPARE(vd()->Orders->State(), dsInsert);
        vd()->OrdersCustNo->SetAsFloat(kAardvark);
        vd()->OrdersEmpNo->SetAsInteger(9101);
        Click(Nav::nbPost);
        QCOMPARE(vd()->Orders->State(), dsBrowse);
        QCOMPARE(StoredOrders(), orders + 1);

        // BeforeAction and OnClick hear every button, in that order.
        QStringList heard;
        nav->BeforeAction = [&](TObject*, Nav::TNavigateBtn b) { heard << "before " + nav->ButtonHint(b); };
        nav->OnClick = [&](TObject*, Nav::TNavigateBtn b) { heard << "after " + nav->ButtonHint(b); };
        Click(Nav::nbRefresh);
        QCOMPARE(heard, QStringList({"before Refresh data", "after Refresh data"}));

        // An action the dataset refuses goes to the error box; the window stays usable.
        TMessageRecorder user({}, mrOk);
        Click(Nav::nbEdit);
        vd()->OrdersCustNo->Clear();
        Click(Nav::nbPost);
        QCOMPARE(user.Requests.size(), size_t(1));
        QCOMPARE(user.Requests[0].Type, mtError);
        QCOMPARE(vd()->Orders->State(), dsEdit);
        Click(Nav::nbCancel);
    }

    void deleteAsksNothingItselfTheDataModuleAsks()
    {
        QVERIFY(ShowActive(*window));
        Click(Nav::nbLast);
        const double last = vd()->OrdersOrderNo->AsFloat();
        const int orders = StoredOrders();
        {
            TMessageRecorder user({mrNo});
            Click(Nav::nbDelete);
            QCOMPARE(user.Requests.size(), size_t(1));
            QCOMPARE(user.Requests[0].Text, QString("Delete order and line items?"));
            QCOMPARE(vd()->OrdersOrderNo->AsFloat(), last);
            QCOMPARE(StoredOrders(), orders);
        }
        {
            TMessageRecorder user({mrYes});
            Click(Nav::nbDelete);
            QCOMPARE(user.Requests.size(), size_t(1));
            QCOMPARE(user.Requests[0].Text, QString("Delete order and line items?"));
            QCOMPARE(StoredOrders(), orders - 1);
            QCOMPARE(db->Store.Value("SELECT COUNT(*) FROM ORDERS WHERE OrderNo = ?", {last}).toInt(), 0);
            QVERIFY(vd()->OrdersOrderNo->AsFloat() != last);
        }
    }

    void onlyTheButtonsAskedForAreShownSharingTheWidth()
    {
        nav->setGeometry(110, 3, 100, 25);
        nav->SetVisibleButtons(Nav::nbFirst | Nav::nbPrior | Nav::nbNext | Nav::nbLast);
        QVERIFY(ShowActive(*window));
        nav->setGeometry(110, 3, 101, 25);
        int x = 0;
        for (Nav::TNavigateBtn b : Nav::AllButtons) {
            QToolButton* button = nav->Button(b);
            const bool wanted = nav->VisibleButtons().testFlag(b);
            QCOMPARE(button->isVisible(), wanted);
            if (!wanted)
                continue;
            QCOMPARE(button->x(), x);
            QVERIFY(button->width() == 25 || button->width() == 26);
            QCOMPARE(button->height(), 25);
            x += button->width();
            // The pictures are the navigator's own.
            QVERIFY(!button->icon().isNull());
            QVERIFY(button->focusPolicy() == Qt::NoFocus);
        }
        QCOMPARE(x, 101);
        // Hidden buttons take no action either way; a hidden set can be shown again.
        nav->SetVisibleButtons(nav->VisibleButtons() | Nav::nbRefresh);
        QVERIFY(nav->Button(Nav::nbRefresh)->isVisible());
        QCOMPARE(nav->Button(Nav::nbRefresh)->x() + nav->Button(Nav::nbRefresh)->width(), 101);
    }

    void hintsArePublishedAndShownWhenAsked()
    {
        QVERIFY(ShowActive(*window));
        QCOMPARE(nav->Button(Nav::nbFirst)->toolTip(), QString());
        nav->SetShowHint(true);
        QCOMPARE(nav->Button(Nav::nbFirst)->toolTip(), QString("First record"));
        QCOMPARE(nav->Button(Nav::nbRefresh)->toolTip(), QString("Refresh data"));

        // Through the meta-object system, as the language file reaches them.
        const QMetaProperty hints = FindPublished(nav, "Hints");
        QCOMPARE(PropertyKind(nav, hints), pkStringList);
        QVERIFY(hints.write(nav, QStringList({"Erster", "", "Naechster"})));
        QCOMPARE(nav->Button(Nav::nbFirst)->toolTip(), QString("Erster"));
        QCOMPARE(nav->Button(Nav::nbPrior)->toolTip(), QString("Prior record"));
        QCOMPARE(nav->Button(Nav::nbNext)->toolTip(), QString("Naechster"));
        QCOMPARE(nav->Button(Nav::nbLast)->toolTip(), QString("Last record"));
        QCOMPARE(PropertyKind(nav, FindPublished(nav, "DataSource")), pkReference);
        QCOMPARE(PropertyKind(nav, FindPublished(nav, "Hint")), pkString);

        const QMetaProperty visible = FindPublished(nav, "VisibleButtons");
        QVERIFY(visible.write(nav, QVariant::fromValue(Nav::TButtonSet(Nav::nbInsert | Nav::nbDelete))));
        QCOMPARE(nav->VisibleButtons(), Nav::TButtonSet(Nav::nbInsert | Nav::nbDelete));
        QVERIFY(!nav->Button(Nav::nbFirst)->isVisible());
    }
};

QTEST_MAIN(NavigatorTest)
#include "navigator_test.moc"
