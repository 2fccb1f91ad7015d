// The data grid over 1,000,000 local orders (built by the order-database builder, as
// vorndata builds them) against what a Qt programmer would write: a QTableView over a
// QSqlQueryModel on the same query and file. Offscreen, in one run; each line starts
// from a browser just opened on the first page, as a user would start, and paints:
//   open the orders by number and paint the first page (median of 5 opens, each side);
//   Ctrl+End (the Qt model must fetch every row to reach the end);
//   100 Page Downs from the top (mean per page);
//   the thumb dragged to the middle (the grid: median of 5 browsers; the Qt view's thumb
//   spans only the rows fetched, so it must fetch the first half before the middle row
//   can show);
//   peak memory of each side over its lines.
// The Qt view's paging and jumping once every row is in memory is printed as well.
// Targets for the grid: first page, Ctrl+End and thumb under 50 ms, a page under 5 ms,
// peak memory under 100 MB, and faster than the Qt model on every line.
// Then the order-entry browsers on the same database (grid_bench_browsers.cpp).
//
//   grid_bench [ORDERS [FOLDER]]
//
// FOLDER keeps the database between runs: when it already holds ORDERS.DB it is used
// as it is, else it is built there. Without it the database is built in a temporary
// folder and removed afterwards.
#include "platform/datacontrols/dbgrid.h"
#include "platform/data/alias.h"
#include "platform/data/database.h"
#include "platform/data/datasource.h"
#include "platform/data/localstore.h"
#include "platform/data/table.h"
#include "bench/bench_figures.h"
#include "bench/bench_orders.h"
#include "bench/grid_bench_browsers.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

void Press(QWidget* target, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(target, &release);
}

// Loads the font and fills its glyph cache before either side is timed, so the first
// line measured does not pay for both.
void WarmUp(const QSize& size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    painter.setFont(QApplication::font());
    for (int y = 20; y < size.height(); y += 20)
        painter.drawText(QPoint(4, y), "0123456789.,:-/$% ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz");
}

struct Figures {
    double open = 0, end = 0, page = 0, thumb = 0, peak = 0;
    QString endCell, pageCell, thumbCell;
};

constexpr int kPages = 100;
// The grid's open and jump are timed several times, each on a new browser, and the
// median kept: one is short enough for a busy machine to decide it.
constexpr int kOpens = 5;

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TBenchOrders data;
    if (!data.Prepare(argc, argv, "grid_bench"))
        return 2;
    const QString folder = data.Folder;
    QElapsedTimer t;
    const QSize size(1000, 700);
    WarmUp(size);

    // ---- the data grid: each line from a freshly opened browser ----
    Figures grid;
    double settle = 0;
    qint64 counted = 0;
    int rows = 0;
    struct GridBrowser {
        TDatabase db;
        TTable orders;
        TDataSource source;
        TDBGrid view;
        explicit GridBrowser(const QSize& size)
        {
            db.DatabaseName = "BENCH";
            db.AliasName = "BENCH";
            db.Open();
            orders.SetDatabase(&db);
            orders.TableName = "ORDERS";
            orders.IndexFieldNames = "OrderNo";
            source.SetDataSet(&orders);
            view.resize(size);
            view.SetDataSource(&source);
            view.show();
            view.setFocus();
            QCoreApplication::processEvents();
        }
        void Open()
        {
            orders.Open();
            view.viewport()->repaint();
        }
        // The record count comes after the first page, from the event loop.
        void Settle()
        {
            while (view.RecordCount() < 0)
                QCoreApplication::processEvents();
        }
    };
    ResetPeak();
    {
        std::vector<double> opens, settles;
        for (int i = 0; i < kOpens; ++i) {
            GridBrowser b(size);
            t.restart();
            b.Open();
            opens.push_back(Ms(t));
            rows = b.view.RowCount();
            b.Settle();
            settles.push_back(Ms(t));
            counted = b.view.RecordCount();
        }
        grid.open = Median(opens);
        settle = Median(settles);
    }
    {
        GridBrowser b(size);
        b.Open();
        t.restart();
        Press(&b.view, Qt::Key_End, Qt::ControlModifier);
        b.view.viewport()->repaint();
        grid.end = Ms(t);
        grid.endCell = b.view.CellText(b.view.Row(), 0);
    }
    {
        GridBrowser b(size);
        b.Open();
        t.restart();
        for (int i = 0; i < kPages; ++i) {
            Press(&b.view, Qt::Key_PageDown);
            b.view.viewport()->repaint();
        }
        grid.page = Ms(t) / kPages;
        grid.pageCell = b.view.CellText(b.view.Row(), 0);
    }
    {
        std::vector<double> thumbs;
        for (int i = 0; i < kOpens; ++i) {
            GridBrowser b(size);
            b.Open();
            b.Settle();
            QScrollBar* bar = b.view.verticalScrollBar();
            t.restart();
            bar->setSliderPosition(bar->maximum() / 2);
            QCoreApplication::processEvents();
            b.view.viewport()->repaint();
            thumbs.push_back(Ms(t));
            grid.thumbCell = b.view.CellText(0, 0);
        }
        grid.thumb = Median(thumbs);
    }
    grid.peak = PeakMb();

    // ---- QTableView over QSqlQueryModel: the same lines ----
    Figures qt;
    double inMemoryPage = 0, inMemoryThumb = 0;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "model");
        db.setDatabaseName(data.Dir.filePath("model-main.sqlite"));
        db.open();
        QSqlQuery(db).exec("ATTACH DATABASE '" + LocalTableFile(folder, "ORDERS") + "' AS ORDERS");
        struct QtBrowser {
            QSqlQueryModel model;
            QTableView view;
            explicit QtBrowser(const QSize& size)
            {
                view.resize(size);
                view.show();
                view.setFocus();
                QCoreApplication::processEvents();
            }
            void Open(const QSqlDatabase& db)
            {
                model.setQuery("SELECT * FROM ORDERS ORDER BY OrderNo", db);
                view.setModel(&model);
                view.setCurrentIndex(model.index(0, 0));
                view.viewport()->repaint();
            }
            QString Current() const { return model.index(view.currentIndex().row(), 0).data().toString(); }
        };
        ResetPeak();
        {
            std::vector<double> opens;
            for (int i = 0; i < kOpens; ++i) {
                QtBrowser b(size);
                t.restart();
                b.Open(db);
                opens.push_back(Ms(t));
            }
            qt.open = Median(opens);
        }
        {
            QtBrowser b(size);
            b.Open(db);
            // The model knows only the rows it has fetched: the end is where they end.
            t.restart();
            while (b.model.canFetchMore())
                b.model.fetchMore();
            Press(&b.view, Qt::Key_End, Qt::ControlModifier);
            b.view.viewport()->repaint();
            qt.end = Ms(t);
            qt.endCell = b.Current();

            // With every row in memory, for comparison.
            Press(&b.view, Qt::Key_Home, Qt::ControlModifier);
            t.restart();
            for (int i = 0; i < kPages; ++i) {
                Press(&b.view, Qt::Key_PageDown);
                b.view.viewport()->repaint();
            }
            inMemoryPage = Ms(t) / kPages;
            t.restart();
            b.view.verticalScrollBar()->setSliderPosition(b.view.verticalScrollBar()->maximum() / 2);
            b.view.viewport()->repaint();
            inMemoryThumb = Ms(t);
        }
        {
            QtBrowser b(size);
            b.Open(db);
            t.restart();
            for (int i = 0; i < kPages; ++i) {
                Press(&b.view, Qt::Key_PageDown);
                b.view.viewport()->repaint();
            }
            qt.page = Ms(t) / kPages;
            qt.pageCell = b.Current();
        }
        {
            QtBrowser b(size);
            b.Open(db);
            // The thumb reaches only the rows fetched: the middle row must be fetched first.
            t.restart();
            const int middle = int(counted / 2);
            while (b.model.rowCount() <= middle && b.model.canFetchMore())
                b.model.fetchMore();
            QCoreApplication::processEvents();
            b.view.scrollTo(b.model.index(middle, 0), QAbstractItemView::PositionAtTop);
            QCoreApplication::processEvents();
            b.view.viewport()->repaint();
            qt.thumb = Ms(t);
            qt.thumbCell = b.model.index(b.view.rowAt(0), 0).data().toString();
        }
        qt.peak = PeakMb();
        db.close();
    }
    QSqlDatabase::removeDatabase("model");

    std::printf("%lld orders in %s; %d rows on a page of %dx%d pixels\n", (long long)counted, qPrintable(folder), rows,
                size.width(), size.height());
    std::printf("\n%-42s %12s %12s %10s %8s\n", "work", "TDBGrid", "QTableView", "target", "Qt/grid");
    auto row = [](const char* what, double g, double q, double target) {
        std::printf("%-42s %12.3f %12.3f %10.0f %7.1fx %s\n", what, g, q, target, g > 0 ? q / g : 0,
                    g < target && g < q ? "" : "(missed)");
    };
    row("open and paint the first page, median (ms)", grid.open, qt.open, 50);
    row("Ctrl+End and paint (ms)", grid.end, qt.end, 50);
    row("Page Down and paint, mean of 100 (ms)", grid.page, qt.page, 5);
    row("thumb to the middle and paint, median (ms)", grid.thumb, qt.thumb, 50);
    row("peak memory (MB)", grid.peak, qt.peak, 100);
    std::printf("\nthe grid's scroll bar settled on the count %.1f ms after the open (median)\n", settle);
    std::printf("with every row fetched (after its Ctrl+End) the Qt view pages in %.3f ms and jumps to the middle in "
                "%.3f ms\n",
                inMemoryPage, inMemoryThumb);
    std::printf("OrderNo of the last row: %s / %s; after 100 pages: %s / %s; at the top after the thumb: %s / %s\n",
                qPrintable(grid.endCell), qPrintable(qt.endCell), qPrintable(grid.pageCell), qPrintable(qt.pageCell),
                qPrintable(grid.thumbCell), qPrintable(qt.thumbCell));
    std::fflush(stdout);
    BenchBrowsers();
    return 0;
}
