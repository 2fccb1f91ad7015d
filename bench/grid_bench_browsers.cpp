// The order-entry browsers on the same database: the customers' browser (all customers,
// then the last-invoice range query active), the orders grid of the customer with the
// most orders, and the parts browser with its back-order query. Each line opens from a
// closed dataset and paints, or jumps with Ctrl+End in the grid and paints.
// Targets: opening under 100 ms, a jump under 50 ms.
#include "bench/grid_bench_browsers.h"
#include "bench/bench_figures.h"

#include "orderentry/DataMod.h"
#include "orderentry/custord_form.h"
#include "orderentry/date_form.h"
#include "orderentry/edcust_form.h"
#include "orderentry/edparts_form.h"
#include "orderentry/order_form.h"
#include "orderentry/parts_form.h"
#include "orderentry/querycust_dlg.h"
#include "platform/core/datetime.h"
#include "platform/data/datasource.h"
#include "platform/data/query.h"
#include "platform/data/table.h"
#include "platform/datacontrols/dbgrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void CtrlEnd(QWidget* target)
{
    QKeyEvent press(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_End, Qt::ControlModifier);
    QApplication::sendEvent(target, &release);
}

// The event loop runs first: a shown window lays out and a master's move reaches its
// details through it, as in the running program.
void Paint(TDBGrid* grid)
{
    QCoreApplication::processEvents();
    grid->viewport()->repaint();
}

// Runs Work five times after Setup and keeps the median time of Work.
template <typename S, typename W>
double Timed(S Setup, W Work)
{
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        Setup();
        QElapsedTimer t;
        t.start();
        Work();
        times.push_back(Ms(t));
    }
    return Median(times);
}

void Line(const char* what, double ms, double target, const QString& shown)
{
    std::printf("%-58s %10.3f %8.0f %s  %s\n", what, ms, target, ms < target ? "        " : "(missed)",
                qPrintable(shown));
}

} // namespace

void BenchBrowsers()
{
    CreateVornData(nullptr);
    // The windows reach each other through their instances, as after the start.
    BrDateForm = new TBrDateForm(nullptr);
    QueryCustDlg = new TQueryCustDlg(nullptr);
    EdOrderForm = new TEdOrderForm(nullptr);
    EdCustForm = new TEdCustForm(nullptr);
    EdPartsForm = new TEdPartsForm(nullptr);
    auto* customers = BrCustOrdForm = new TBrCustOrdForm(nullptr);
    auto* parts = BrPartsForm = new TBrPartsForm(nullptr);
    TVornData* vd = VornData;

    std::printf("\n%-58s %10s %8s\n", "order-entry browsers (median of 5, ms)", "time", "target");

    // The customers' browser opens on all customers.
    double ms = Timed(
        [&] {
            customers->close();
            vd->Cust->Close();
        },
        [&] {
            customers->Show();
            Paint(customers->CustGrid);
            Paint(customers->OrdersGrid);
        });
    Line("customers' browser: show, first page of both grids", ms, 100,
         customers->CustGrid->CellText(customers->CustGrid->Row(), 1));

    // The orders of the customer with the most orders.
    QVariant busiest;
    {
        TQuery q;
        q.DatabaseName = "VORN";
        q.SQL = QStringList{"SELECT CustNo, COUNT(*) FROM ORDERS GROUP BY CustNo ORDER BY 2 DESC"};
        q.Open();
        busiest = q.Fields(0)->Value();
        std::printf("the busiest customer %s has %s orders\n", qPrintable(busiest.toString()),
                    qPrintable(q.Fields(1)->AsString()));
    }
    ms = Timed([&] { vd->Cust->First(); },
               [&] {
                   vd->Cust->Locate("CustNo", busiest);
                   Paint(customers->CustGrid);
                   Paint(customers->OrdersGrid);
               });
    Line("orders grid: move to the busiest customer, first page", ms, 100,
         customers->OrdersGrid->CellText(customers->OrdersGrid->Row(), 0));
    ms = Timed(
        [&] {
            customers->OrdersGrid->setFocus();
            vd->OrdByCust->First();
            Paint(customers->OrdersGrid);
        },
        [&] {
            CtrlEnd(customers->OrdersGrid);
            Paint(customers->OrdersGrid);
        });
    Line("orders grid: Ctrl+End over that customer's orders", ms, 50,
         customers->OrdersGrid->CellText(customers->OrdersGrid->Row(), 0));

    // The range query: 1 January 1995 to today.
    QueryCustDlg->SetFromDate(EncodeDate(1995, 1, 1));
    QueryCustDlg->SetToDate(Date());
    customers->ActivateBtn->SetDown(true);
    ms = Timed([&] { vd->CustQuery->Close(); },
               [&] {
                   customers->ActivateQuery(customers);
                   Paint(customers->CustGrid);
                   Paint(customers->OrdersGrid);
               });
    Line("range query active: open, first page of both grids", ms, 100,
         customers->CustGrid->CellText(customers->CustGrid->Row(), 1));
    ms = Timed(
        [&] {
            customers->CustGrid->setFocus();
            vd->CustQuery->First();
            Paint(customers->CustGrid);
        },
        [&] {
            CtrlEnd(customers->CustGrid);
            Paint(customers->CustGrid);
            Paint(customers->OrdersGrid);
        });
    Line("range query: Ctrl+End, the last customer's orders", ms, 50,
         customers->CustGrid->CellText(customers->CustGrid->Row(), 1));
    customers->close();

    // The parts browser, then its back-order query.
    ms = Timed(
        [&] {
            parts->close();
            parts->ActivateBtn->SetDown(false);
            parts->ActivateQuery(parts);
            vd->Parts->Close();
        },
        [&] {
            parts->Show();
            Paint(parts->PartsGrid);
        });
    Line("parts browser: show, first page", ms, 100, parts->PartsGrid->CellText(parts->PartsGrid->Row(), 1));
    parts->ActivateBtn->SetDown(true);
    ms = Timed([&] { vd->PartsQuery->Close(); },
               [&] {
                   parts->ActivateQuery(parts);
                   Paint(parts->PartsGrid);
               });
    Line("Backorders down: open the back-order query, first page", ms, 100,
         parts->PartsGrid->CellText(parts->PartsGrid->Row(), 1));
    ms = Timed(
        [&] {
            parts->PartsGrid->setFocus();
            vd->PartsQuery->First();
            Paint(parts->PartsGrid);
        },
        [&] {
            CtrlEnd(parts->PartsGrid);
            Paint(parts->PartsGrid);
        });
    Line("back-order query: Ctrl+End", ms, 50, parts->PartsGrid->CellText(parts->PartsGrid->Row(), 1));
    parts->close();
}
