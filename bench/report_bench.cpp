// The report engine writing an order history of about 100,000 orders (a sale-date range
// of the million-order database) to PDF, against the floor for that output: the same
// texts at the same places drawn straight onto a QPdfWriter from one plain QSqlQuery.
// The report is the order history's layout: Letter, 10 mm margins, a page header of
// four texts, a blue column header of nine, a detail of nine fields (the customer's
// company looked up by CustNo). Figures:
//   pages per second and peak memory of each side;
//   the preview: its first page on screen after Preview() is called, and laying out
//   every page (Last) once it shows.
// Targets for the engine: at most 1.5 times the floor's time, peak memory under 200 MB,
// the preview's first page within 1 second.
//
//   report_bench [ORDERS [FOLDER]]
//
// FOLDER keeps the database between runs: when it already holds ORDERS.DB it is used
// as it is, else it is built there (as vorndata --orders ORDERS FOLDER would).
#include "bench/bench_figures.h"
#include "bench/bench_orders.h"
#include "platform/core/convert.h"
#include "platform/data/database.h"
#include "platform/data/localstore.h"
#include "platform/data/query.h"
#include "platform/data/table.h"
#include "platform/reports/preview.h"
#include "platform/reports/report.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPainter>
#include <QPdfWriter>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <cstdio>

namespace {

double Seconds(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e9; }

constexpr int kOrders = 100000;

// ---- the layout both sides draw (millimetres) ----

struct TText {
    const char* Text; // a caption, or the field a detail text shows
    double Left, Top, Width;
    TAlignment Alignment;
    int Font; // index into Fonts()
};

const QMarginsF kMargins(10, 10, 10, 10);
constexpr double kHeader = 23.5, kColumns = 11.6, kDetail = 11.6;

// Plain 10, the title, 16 bold, 12, 11 bold (white), 12 bold.
QList<QFont> Fonts()
{
    auto font = [](int points, bool bold = false, bool italic = false) {
        QFont f("Arial", points);
        f.setBold(bold);
        f.setItalic(italic);
        return f;
    };
    return {font(10), font(36, true, true), font(16, true), font(12), font(11, true), font(12, true)};
}

// Width 0 with centre alignment: centred in the band.
const TText kHeaderTexts[] = {
    {"V.O.R.N.", 0, 9.8, 0, taLeftJustify, 1},
    {"Order History", 0, 1.3, 0, taCenter, 2},
    {"By Date", 0, 6.9, 0, taCenter, 3},
    {"FromToHeading", 0, 11.6, 0, taCenter, 0},
};
const TText kColumnTexts[] = {
    {"Order Date", 1.6, 0.3, 0, taLeftJustify, 4},  {"Customer", 24.6, 0.5, 0, taLeftJustify, 4},
    {"Order No.", 1.6, 5.3, 0, taLeftJustify, 4},   {"Customer No.", 24.6, 5.3, 0, taLeftJustify, 4},
    {"Ship Date", 96.6, 5.3, 0, taLeftJustify, 4},  {"Ship VIA", 117.7, 5.3, 0, taLeftJustify, 4},
    {"Terms", 136.8, 5.3, 0, taLeftJustify, 4},     {"Pay Meth.", 153.5, 5.3, 0, taLeftJustify, 4},
    {"Items Total", 173.6, 5.3, 0, taLeftJustify, 4},
};
const TText kDetailTexts[] = {
    {"SaleDate", 2.1, 1.9, 20.1, taRightJustify, 0},   {"Company", 24.9, 0.8, 0, taLeftJustify, 5},
    {"OrderNo", 2.1, 6.3, 20.1, taRightJustify, 0},    {"CustNo", 24.9, 6.3, 0, taLeftJustify, 0},
    {"ShipDate", 99.0, 6.3, 16.1, taRightJustify, 0},  {"ShipVIA", 117.7, 6.3, 15.9, taLeftJustify, 0},
    {"Terms", 136.8, 6.3, 0, taLeftJustify, 0},        {"PaymentMethod", 153.5, 6.3, 19.1, taLeftJustify, 0},
    {"ItemsTotal", 176.2, 6.3, 17.7, taRightJustify, 0},
};

// ---- the engine's report ----

void AddTexts(TRBand* band, const TText* texts, int count, bool fields, const QList<QFont>& fonts)
{
    for (int i = 0; i < count; ++i) {
        const TText& t = texts[i];
        TRCustomLabel* element;
        if (fields) {
            auto* field = new TRDBText(band);
            field->DataField = t.Text;
            element = field;
        } else {
            auto* label = new TRLabel(band);
            label->Caption = t.Text;
            element = label;
        }
        element->Left = t.Left;
        element->Top = t.Top;
        element->Width = t.Width;
        element->Alignment = t.Alignment;
        element->AlignToBand = t.Alignment == taCenter && t.Width == 0;
        if (t.Font != 0)
            element->Font = fonts[t.Font];
    }
}

void BuildReport(TReport& report, TDataSet* history, const QString& heading)
{
    const QList<QFont> fonts = Fonts();
    report.ReportTitle = "Order History";
    report.Margins = kMargins;
    report.Font = QFont("Arial", 10);
    report.DataSet = history;
    auto* header = new TRBand(&report, rbPageHeader);
    header->Height = kHeader;
    header->Color = Qt::white;
    AddTexts(header, kHeaderTexts, std::size(kHeaderTexts), false, fonts);
    header->findChildren<TRLabel*>().last()->Caption = heading;
    auto* columns = new TRBand(&report, rbColumnHeader);
    columns->Height = kColumns;
    columns->Color = Qt::blue;
    columns->FontColor = Qt::white;
    AddTexts(columns, kColumnTexts, std::size(kColumnTexts), false, fonts);
    auto* detail = new TRBand(&report, rbDetail);
    detail->Height = kDetail;
    detail->Color = Qt::white;
    AddTexts(detail, kDetailTexts, std::size(kDetailTexts), true, fonts);
}

// The data module's OrdersByDateQuery, with the fields the report prints.
void DefineHistory(TQuery& history, TTable& cust, TDatabase& db, TDateTime from, TDateTime to)
{
    history.setObjectName("OrdersByDateQuery");
    history.SetDatabase(&db);
    history.SQL = QStringList{"select * from orders", "where ", "    (SaleDate >= :FromDate) and",
                              "    (SaleDate <= :ToDate)", "order by ", "  SaleDate"};
    new TFloatField(&history, "OrderNo");
    new TFloatField(&history, "CustNo");
    new TDateTimeField(&history, "SaleDate");
    new TDateTimeField(&history, "ShipDate");
    new TStringField(&history, "ShipVIA", 7);
    new TStringField(&history, "Terms", 6);
    new TStringField(&history, "PaymentMethod", 7);
    new TCurrencyField(&history, "ItemsTotal");
    TField* company = new TStringField(&history, "Company", 40, fkLookup);
    company->KeyFields = "CustNo";
    company->LookupDataSet = &cust;
    company->LookupKeyFields = "CustNo";
    company->LookupResultField = "Company";
    history.ParamByName("FromDate")->SetAsDateTime(from);
    history.ParamByName("ToDate")->SetAsDateTime(to);
    cust.setObjectName("Cust");
    cust.SetDatabase(&db);
    cust.TableName = "CUSTOMER";
    cust.Open();
}

// ---- the floor: the same texts at the same places, straight onto a QPdfWriter ----

struct TFloorFigures {
    int Pages = 0;
    double Seconds = 0, ReadSeconds = 0, Peak = 0;
};

QString DateText(const QVariant& stored)
{
    const QVariant v = FromStorage(stored, ftDateTime);
    return v.isNull() ? QString() : DateTimeToStr(v.toDouble());
}

QString NumberText(const QVariant& v)
{
    return v.isNull() ? QString() : QString::fromStdString(FloatToStr(v.toDouble()));
}

// The texts of the current row, in the order of kDetailTexts.
QStringList RowTexts(const QSqlQuery& q)
{
    return {DateText(q.value(0)),        q.value(1).toString(),          NumberText(q.value(2)),
            NumberText(q.value(3)),      DateText(q.value(4)),           q.value(5).toString(),
            q.value(6).toString(),       q.value(7).toString(),
            q.value(8).isNull() ? QString() : FormatCurrency(q.value(8).toDouble())};
}

QSqlQuery FloorQuery(const QSqlDatabase& db, TDateTime from, TDateTime to)
{
    QSqlQuery q(db);
    q.setForwardOnly(true);
    q.prepare("SELECT o.SaleDate, c.Company, o.OrderNo, o.CustNo, o.ShipDate, o.ShipVIA, o.Terms, o.PaymentMethod, "
              "o.ItemsTotal FROM ORDERS.ORDERS o LEFT JOIN CUSTOMER.CUSTOMER c ON c.CustNo = o.CustNo "
              "WHERE o.SaleDate >= ? AND o.SaleDate <= ? ORDER BY o.SaleDate, o.rowid");
    q.addBindValue(ToStorage(from, ftDateTime, dlSqlite));
    q.addBindValue(ToStorage(to, ftDateTime, dlSqlite));
    q.exec();
    return q;
}

TFloorFigures Floor(const QString& folder, const QString& file, const QString& mainDb, TDateTime from, TDateTime to,
                    const QString& heading)
{
    TFloorFigures figures;
    QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "floor");
    db.setDatabaseName(mainDb);
    db.open();
    QSqlQuery(db).exec("ATTACH DATABASE '" + LocalTableFile(folder, "ORDERS") + "' AS ORDERS");
    QSqlQuery(db).exec("ATTACH DATABASE '" + LocalTableFile(folder, "CUSTOMER") + "' AS CUSTOMER");
    {
        // Reading and formatting alone, for the record.
        QElapsedTimer t;
        t.start();
        QSqlQuery q = FloorQuery(db, from, to);
        qint64 chars = 0;
        while (q.next())
            for (const QString& s : RowTexts(q))
                chars += s.size();
        figures.ReadSeconds = Seconds(t);
    }
    ResetPeak();
    QElapsedTimer t;
    t.start();
    {
        QPdfWriter writer(file);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF()));
        QPainter painter(&writer);
        const double dots = writer.resolution() / 25.4;
        const double bandLeft = kMargins.left() * dots;
        const double bandWidth = (215.9 - kMargins.left() - kMargins.right()) * dots;
        const double bottom = 279.4 - kMargins.bottom();
        const QList<QFont> fonts = Fonts();
        QList<QFontMetricsF> metrics;
        for (const QFont& f : fonts)
            metrics.append(QFontMetricsF(f, &writer));
        auto draw = [&](const TText& t, const QString& text, double bandTop) {
            painter.setFont(fonts[t.Font]);
            const QFontMetricsF& m = metrics[t.Font];
            double x = bandLeft + t.Left * dots;
            if (t.Alignment == taCenter && t.Width == 0)
                x = bandLeft + (bandWidth - m.horizontalAdvance(text)) / 2;
            else if (t.Alignment == taRightJustify)
                x = bandLeft + (t.Left + t.Width) * dots - m.horizontalAdvance(text);
            painter.drawText(QPointF(x, bandTop * dots + t.Top * dots + m.ascent()), text);
        };
        QSqlQuery q = FloorQuery(db, from, to);
        double y = bottom; // a new page before the first record
        while (q.next()) {
            if (y + kDetail > bottom) {
                if (figures.Pages++ > 0)
                    writer.newPage();
                y = kMargins.top();
                painter.setPen(Qt::black);
                for (const TText& t : kHeaderTexts)
                    draw(t, QString(t.Text) == "FromToHeading" ? heading : QString(t.Text), y);
                y += kHeader;
                painter.fillRect(QRectF(bandLeft, y * dots, bandWidth, kColumns * dots), Qt::blue);
                painter.setPen(Qt::white);
                for (const TText& t : kColumnTexts)
                    draw(t, t.Text, y);
                painter.setPen(Qt::black);
                y += kColumns;
            }
            const QStringList texts = RowTexts(q);
            for (int i = 0; i < texts.size(); ++i)
                draw(kDetailTexts[i], texts[i], y);
            y += kDetail;
        }
    }
    figures.Seconds = Seconds(t);
    figures.Peak = PeakMb();
    db.close();
    return figures;
}

// The page count a PDF file declares, from its page tree: "/Type /Pages ... /Count N".
int PdfPageCount(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray bytes = f.readAll();
    int count = -1;
    for (qsizetype at = bytes.indexOf("/Count "); at >= 0; at = bytes.indexOf("/Count ", at + 1))
        count = std::max(count, bytes.mid(at + 7, 12).split('\n').first().trimmed().toInt());
    return count;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TBenchOrders data;
    if (!data.Prepare(argc, argv, "report_bench"))
        return 2;
    const QString folder = data.Folder;

    // The range: the newest sale dates holding about 100,000 orders.
    TDateTime from = 0, to = 0;
    qint64 inRange = 0;
    {
        TDatabase db;
        db.AliasName = "BENCH";
        db.Open();
        db.EnsureTables({"ORDERS"});
        auto rows = db.Runner().Select(
            QString("SELECT SaleDate FROM ORDERS ORDER BY SaleDate DESC LIMIT 1 OFFSET %1").arg(kOrders - 1), {});
        auto last = db.Runner().Select("SELECT MAX(SaleDate) FROM ORDERS", {});
        from = FromStorage(rows.value(0).value(0), ftDateTime).toDouble();
        to = FromStorage(last.value(0).value(0), ftDateTime).toDouble();
        inRange = db.Runner()
                      .Select("SELECT COUNT(*) FROM ORDERS WHERE SaleDate >= ? AND SaleDate <= ?",
                              QVariantList{ToStorage(from, ftDateTime, dlSqlite), ToStorage(to, ftDateTime, dlSqlite)})
                      .value(0)
                      .value(0)
                      .toLongLong();
    }
    const QString heading = QString("From '%1' To '%2'").arg(FormatDateTime("ddddd", from), FormatDateTime("ddddd", to));
    std::printf("%lld orders from %s to %s in %s\n", (long long)inRange, qPrintable(DateTimeToStr(from)),
                qPrintable(DateTimeToStr(to)), qPrintable(folder));

    // Fonts and glyph caches are loaded once before either side is timed.
    {
        QPdfWriter warm(data.Dir.filePath("warm.pdf"));
        QPainter p(&warm);
        for (const QFont& f : Fonts()) {
            p.setFont(f);
            p.drawText(QPointF(100, 100), "0123456789.,:-/$% ABCDEFGHIJKLMNOPQRSTUVWXYZ abcdefghijklmnopqrstuvwxyz");
        }
    }

    // ---- the engine ----
    const QString engineFile = data.Dir.filePath("engine.pdf");
    double engineSeconds = 0, enginePeak = 0;
    int enginePages = 0;
    double firstPageMs = 0, layoutSeconds = 0, previewPeak = 0;
    int previewPages = 0;
    {
        TDatabase db;
        db.DatabaseName = "BENCH";
        db.AliasName = "BENCH";
        db.Open();
        TTable cust;
        TQuery history;
        DefineHistory(history, cust, db, from, to);
        TReport report;
        BuildReport(report, &history, heading);

        ResetPeak();
        QElapsedTimer t;
        t.start();
        report.ExportToPdf(engineFile);
        engineSeconds = Seconds(t);
        enginePeak = PeakMb();
        enginePages = report.PageCount();

        // The preview: Preview() until its first page is on screen, then Last.
        ResetPeak();
        SetPreviewRunner([&](TRPreview& preview) {
            preview.repaint();
            firstPageMs = t.nsecsElapsed() / 1e6;
            QElapsedTimer last;
            last.start();
            preview.LastPage();
            preview.repaint();
            layoutSeconds = Seconds(last);
            previewPages = preview.PageCount();
        });
        t.restart();
        report.Preview();
        previewPeak = PeakMb();
    }

    // ---- the floor ----
    const QString floorFile = data.Dir.filePath("floor.pdf");
    const TFloorFigures floor = Floor(folder, floorFile, data.Dir.filePath("floor-main.sqlite"), from, to, heading);

    std::printf("\n%-44s %12s %12s %10s\n", "work", "engine", "floor", "target");
    std::printf("%-44s %12d %12d\n", "pages", enginePages, floor.Pages);
    std::printf("%-44s %12.2f %12.2f %10s %s\n", "write the PDF (s)", engineSeconds, floor.Seconds, "1.5x floor",
                engineSeconds <= 1.5 * floor.Seconds ? "" : "(missed)");
    std::printf("%-44s %12.0f %12.0f\n", "pages per second", enginePages / engineSeconds, floor.Pages / floor.Seconds);
    std::printf("%-44s %12.1f %12.1f %10s %s\n", "peak memory (MB)", enginePeak, floor.Peak, "200",
                enginePeak < 200 ? "" : "(missed)");
    std::printf("%-44s %12.1f %12s %10s %s\n", "preview: first page on screen (ms)", firstPageMs, "", "1000",
                firstPageMs < 1000 ? "" : "(missed)");
    std::printf("%-44s %12.2f\n", "preview: Last, every page laid out (s)", layoutSeconds);
    std::printf("%-44s %12.1f\n", "preview: peak memory (MB)", previewPeak);
    std::printf("\nthe floor's query and texts alone, without drawing: %.2f s\n", floor.ReadSeconds);
    std::printf("pages in the files: engine %d, floor %d; the preview counted %d; sizes %.1f / %.1f MB\n",
                PdfPageCount(engineFile), PdfPageCount(floorFile), previewPages,
                QFileInfo(engineFile).size() / 1048576.0, QFileInfo(floorFile).size() / 1048576.0);
    return 0;
}
