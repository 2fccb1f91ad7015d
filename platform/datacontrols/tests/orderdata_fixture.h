// The controls' tests bind them to the order-entry data module, on the builder's
// sample order database in a scratch store, so each control meets the datasets, fields
// and rules the screens bind it to. Known rows: customers 9101 "Aardvark Scuba" and
// 9102 "Zebra Fin Works", employee 9101 "Quill, Ada".
#pragma once

#include "orderentry/DataMod.h"
#include "platform/widgets/messages.h"
#include "testsupport/scratchstore.h"

#include <QApplication>
#include <QWidget>
#include <QtTest>

#include <memory>

constexpr double kAardvark = 9101, kZebra = 9102;

struct TOrderData {
    TScratchStore Store{false};
    std::unique_ptr<TVornData> Data;

    TOrderData()
    {
        vorndata::BuildOptions options;
        options.orders = 12;
        Store.Build(options);
        Store.Exec("INSERT INTO CUSTOMER (CustNo, Company, TaxRate) VALUES (9101, 'Aardvark Scuba', 5)");
        Store.Exec("INSERT INTO CUSTOMER (CustNo, Company) VALUES (9102, 'Zebra Fin Works')");
        Store.Exec("INSERT INTO EMPLOYEE (EmpNo, LastName, FirstName) VALUES (9101, 'Quill', 'Ada')");
        Data = std::make_unique<TVornData>();
    }
    ~TOrderData() { Data.reset(); }

    // A stored column of an order, as another program reads it.
    QVariant Stored(const QString& column, double orderNo) const
    {
        return Store.Value("SELECT " + column + " FROM ORDERS WHERE OrderNo = ?", {orderNo});
    }
};

// A window for the controls under test, shown and active so keys reach them.
inline bool ShowActive(QWidget& window)
{
    window.resize(480, 320);
    window.show();
    window.activateWindow();
    return QTest::qWaitForWindowActive(&window);
}

// Types into the focused control, as a keyboard does.
inline void Type(const QString& text)
{
    QTest::keyClicks(QApplication::focusWidget(), text);
}

inline void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}
