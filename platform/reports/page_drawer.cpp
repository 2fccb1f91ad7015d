// One run of a report, page by page. A page is the header chain (page headers and
// column headers with their children), then bands of the record chains and the summary
// chain as long as they fit above the bottom margin. What must stay true:
// - a band that does not fit starts a new page, unless it is the first band after the
//   headers: then it prints anyway (cut off at the page's edge), so no band is lost
//   and no run pages forever;
// - the running totals count a record once, when its detail has printed, whichever
//   pages are drawn and in which order;
// - the cursor ends the run where it began.
#include "platform/reports/page_drawer.h"

#include "platform/reports/band.h"
#include "platform/reports/elements.h"
#include "platform/reports/report.h"

#include <QApplication>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

#include <algorithm>

namespace {

// A run reads every record in order: larger pages mean fewer round trips, and lookups
// stay cached for a whole page. The window of records stays a few pages long.
constexpr int kRunPageSize = 500;

} // namespace

TRPageDrawer::TRPageDrawer(TReport& Report)
    : FReport(Report), FDataSet(Report.DataSet)
{
    if (!FDataSet)
        throw Exception(QString("The report %1 has no dataset").arg(Report.objectName()).simplified().toStdString());
    FPageMm = Report.PageSize.size(QPageSize::Millimeter);
    if (Report.Orientation == QPageLayout::Landscape)
        FPageMm.transpose();

    // Page headers first, then column headers, whatever order they were made in.
    for (TRBandType type : {rbPageHeader, rbColumnHeader, rbDetail, rbSummary})
        for (TRBand* band : Report.Bands())
            if (band->BandType() == type)
                AddChain(type == rbDetail ? FDetail : type == rbSummary ? FSummary : FHeader, band);
    // A record counts as printed once the last of its detail bands has.
    for (int i = FDetail.size() - 1; i >= 0; --i)
        if (FDetail[i].Band->BandType() == rbDetail) {
            FDetail[i].Accumulate = true;
            FCountedAfter = i;
            break;
        }
    FScope.DataSet = FDataSet;
    FScope.DataSets = Report.AllDataSets;
    FScope.Function = [this](const QString& Name, TExprValue& Value) {
        if (Name.compare("PAGENUMBER", Qt::CaseInsensitive) == 0)
            Value = FPageNumber;
        else if (Name.compare("COLUMNNUMBER", Qt::CaseInsensitive) == 0)
            Value = 1;
        else if (Name.compare("REPORTTITLE", Qt::CaseInsensitive) == 0)
            Value = FReport.ReportTitle;
        else
            return false;
        return true;
    };

    FWasPageSize = FDataSet->PageSize;
    FDataSet->PageSize = std::max(FWasPageSize, kRunPageSize);
    FDataSet->DisableControls();
    try {
        if (FDataSet->Active()) {
            FWasOn = FDataSet->GetBookmark();
        } else {
            FDataSet->Open();
            FOpened = true;
        }
        // Every element is checked before anything prints: a wrong field name or a
        // malformed expression fails the run, not its last page.
        TRPrintContext context;
        context.Report = &Report;
        for (const QVector<TEntry>* chain : {&FHeader, &FDetail, &FSummary})
            for (const TEntry& entry : *chain)
                for (TRElement* element : entry.Band->Elements()) {
                    element->Prepare(context);
                    if (auto* expr = dynamic_cast<TRExpr*>(element); expr && expr->Parsed()->HasAggregate()) {
                        expr->Parsed()->Reset();
                        FTotals.append(expr->Parsed());
                    }
                }
        FDataSet->First();
        FEmpty = FDataSet->Eof();
    } catch (...) {
        End();
        throw;
    }
    TStart first;
    first.Record = FDataSet->GetBookmark();
    first.Summary = FDetail.isEmpty();
    FStarts.append(first);
    FComplete = FEmpty;
    FAt = 1;
}

TRPageDrawer::~TRPageDrawer()
{
    End();
}

void TRPageDrawer::End()
{
    // The end of a run must not throw: a record that went away leaves the cursor where
    // the run left it.
    try {
        if (FOpened)
            FDataSet->Close();
        else if (FWasOn.IsValid() && FDataSet->Active() && FDataSet->BookmarkValid(FWasOn))
            FDataSet->GotoBookmark(FWasOn);
    } catch (const std::exception&) {
    }
    FDataSet->EnableControls();
    FDataSet->PageSize = FWasPageSize;
}

void TRPageDrawer::AddChain(QVector<TEntry>& Chain, TRBand* Band)
{
    Chain.append({Band, false, Band->Font.resolve(FReport.Font)});
    for (TRBand* child : Band->ChildBands())
        AddChain(Chain, child);
}

bool TRPageDrawer::DrawPage(int PageNo, QPainter& Painter, double DotsPerMm)
{
    if (PageNo < 1 || FEmpty)
        return false;
    // Drawing needs only where the page starts: the one after the last laid out is drawn
    // without being laid out first.
    while (FStarts.size() < PageNo && LayOutNext()) {
    }
    if (PageNo > FStarts.size())
        return false;
    MoveTo(PageNo);
    FAt = 0; // until the page is through
    TStart at = FStarts[PageNo - 1];
    const bool last = RunPage(at, PageNo, &Painter, DotsPerMm);
    if (FStarts.size() == PageNo) {
        if (last)
            FComplete = true;
        else
            FStarts.append(at);
    }
    FAt = last ? 0 : PageNo + 1;
    return true;
}

bool TRPageDrawer::LayOutNext()
{
    if (FComplete)
        return false;
    const int page = FStarts.size();
    MoveTo(page);
    FAt = 0;
    TStart at = FStarts.last();
    if (RunPage(at, page, nullptr, 1)) {
        FComplete = true;
        FAt = 0;
    } else {
        FStarts.append(at);
        FAt = page + 1;
    }
    return true;
}

int TRPageDrawer::DrawAll(QPagedPaintDevice& Device, QPainter& Painter)
{
    const double dotsPerMm = Device.logicalDpiX() / 25.4;
    int pages = 0;
    while (DrawPage(pages + 1, Painter, dotsPerMm)) {
        ++pages;
        if (pages < PagesKnown() || !FComplete)
            Device.newPage();
    }
    return pages;
}

int TRPageDrawer::PrintOn(QPrinter& Printer)
{
    if (FEmpty)
        return 0;
    // The report's paper for this job; the printer keeps the user's set-up otherwise.
    const QPageLayout was = Printer.pageLayout();
    const bool wasFullPage = Printer.fullPage();
    struct TRestore {
        QPrinter& Printer;
        const QPageLayout& Layout;
        bool FullPage;
        ~TRestore()
        {
            Printer.setFullPage(FullPage);
            Printer.setPageLayout(Layout);
        }
    } restore{Printer, was, wasFullPage};
    Printer.setFullPage(true);
    // The paper's corner is the origin; the report keeps its own margins.
    Printer.setPageSize(FReport.PageSize);
    Printer.setPageOrientation(FReport.Orientation);
    Printer.setDocName(FReport.ReportTitle);
    QPainter painter;
    if (!painter.begin(&Printer)) {
        const QString where = Printer.outputFileName().isEmpty() ? Printer.printerName() : Printer.outputFileName();
        throw Exception(where.isEmpty() ? std::string("No printer is available")
                                        : "Cannot print to \"" + where.toStdString() + "\"");
    }
    try {
        const int pages = DrawAll(Printer, painter);
        if (!painter.end())
            throw Exception("Printing the report did not complete");
        return pages;
    } catch (...) {
        Printer.abort();
        painter.end();
        throw;
    }
}

int TRPageDrawer::WritePdf(const QString& FileName)
{
    if (FEmpty)
        return 0;
    // A temporary file beside the target, renamed over it once complete.
    QSaveFile file(FileName);
    if (!file.open(QIODevice::WriteOnly))
        throw EFCreateError(QString("Cannot create file \"%1\". %2").arg(FileName, file.errorString()).toStdString(),
                            int(file.error()));
    int pages = 0;
    {
        QPdfWriter writer(&file);
        writer.setTitle(FReport.ReportTitle);
        writer.setCreator(QApplication::applicationName());
        writer.setPageLayout(QPageLayout(FReport.PageSize, FReport.Orientation, QMarginsF()));
        QPainter painter(&writer);
        pages = DrawAll(writer, painter);
    }
    if (!file.commit())
        throw EFCreateError(QString("Cannot write file \"%1\". %2").arg(FileName, file.errorString()).toStdString(),
                            int(file.error()));
    return pages;
}

void TRPageDrawer::MoveTo(int PageNo)
{
    if (FAt == PageNo)
        return;
    const TStart& start = FStarts[PageNo - 1];
    if (FTotals.isEmpty()) {
        FDataSet->GotoBookmark(start.Record);
    } else {
        // The totals are not kept per page: sum them again up to the page's start.
        for (TReportExpression* total : FTotals)
            total->Reset();
        FDataSet->First();
        if (FDetail.isEmpty()) {
            FAt = PageNo; // no detail prints, so none counts
            return;
        }
        const bool counted = start.Summary || start.Band > FCountedAfter;
        while (true) {
            const bool here = FDataSet->GetBookmark().Key == start.Record.Key;
            if (here && !counted)
                break;
            for (TReportExpression* total : FTotals)
                total->Accumulate(FScope);
            if (here)
                break;
            FDataSet->Next();
            if (FDataSet->Eof())
                DatabaseError("Record not found", FDataSet);
        }
    }
    FAt = PageNo;
}

bool TRPageDrawer::Advance(TStart& At, const TEntry& Entry)
{
    if (At.Summary)
        return ++At.Band >= FSummary.size();
    if (Entry.Accumulate)
        for (TReportExpression* total : FTotals)
            total->Accumulate(FScope);
    if (++At.Band < FDetail.size())
        return false;
    At.Band = 0;
    FDataSet->Next();
    if (FDataSet->Eof()) {
        // The summary reads the last record, and a restart there goes back to it.
        At.Summary = true;
        return FSummary.isEmpty();
    }
    At.Record = FDataSet->GetBookmark();
    return false;
}

bool TRPageDrawer::RunPage(TStart& At, int PageNo, QPainter* Painter, double DotsPerMm)
{
    TRPrintContext context;
    context.Report = &FReport;
    context.Painter = Painter;
    context.DotsPerMm = DotsPerMm;
    context.PageNumber = PageNo;
    FPageNumber = PageNo;
    context.Scope = FScope;

    const QMarginsF& margins = FReport.Margins;
    const double bottom = FPageMm.height() - margins.bottom();
    double y = margins.top();
    for (const TEntry& entry : FHeader) {
        PrintBand(entry, y, context);
        y += entry.Band->Height;
    }
    const double bodyTop = y;
    while (true) {
        if (At.Summary && At.Band >= FSummary.size())
            return true;
        const TEntry& entry = At.Summary ? FSummary[At.Band] : FDetail[At.Band];
        if (y + entry.Band->Height > bottom && y > bodyTop)
            return false;
        PrintBand(entry, y, context);
        y += entry.Band->Height;
        if (Advance(At, entry))
            return true;
    }
}

void TRPageDrawer::PrintBand(const TEntry& Entry, double Top, TRPrintContext& Context)
{
    if (!Context.Painter)
        return;
    TRBand* band = Entry.Band;
    const QMarginsF& margins = FReport.Margins;
    Context.BandRect = QRectF(Context.Dots(margins.left()), Context.Dots(Top),
                              Context.Dots(FPageMm.width() - margins.left() - margins.right()),
                              Context.Dots(band->Height));
    Context.Font = Entry.Font;
    Context.FontColor = band->FontColor.isValid() ? band->FontColor : QColor(Qt::black);
    // The paper is white already.
    if (band->Color.isValid() && band->Color != Qt::white)
        Context.Painter->fillRect(Context.BandRect, band->Color);
    for (TRElement* element : band->Elements())
        element->Print(Context);
}
