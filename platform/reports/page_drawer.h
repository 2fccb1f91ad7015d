// The page drawing every output shares. A drawer is one run of a report: it checks
// the elements, disables the dataset's controls and remembers where the cursor was;
// its end puts the cursor back. Pages are drawn in any order: the drawer keeps, per
// page laid out so far, where the page starts (the record and the band within its
// chain), never the pages themselves, so memory stays flat however long the report.
// Drawing page N+1 right after page N reads on; any other page seeks to its start
// (with running totals, the totals are summed again from the first record).
#pragma once

#include "platform/data/dataset.h"
#include "platform/reports/expression.h"

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QSizeF>
#include <QVector>

class QPagedPaintDevice;
class QPainter;
class QPrinter;
class TRBand;
class TRExpr;
class TReport;

// What an element prints with: where its band is on the page and what it inherits.
struct TRPrintContext {
    TReport* Report = nullptr;
    QPainter* Painter = nullptr;
    // Device units per millimetre.
    double DotsPerMm = 1;
    // The band's place on the page, in device units.
    QRectF BandRect;
    // The report's font and text colour with the band's overrides.
    QFont Font;
    QColor FontColor;
    int PageNumber = 0;
    TExprScope Scope;
    // What the painter holds already, so a page sets a font or colour only on a change.
    const QFont* PainterFont = nullptr;
    QColor PainterPen;

    double Dots(double mm) const { return mm * DotsPerMm; }
};

class TRPageDrawer {
public:
    // Starts a run: checks every element (throws before anything is read), opens the
    // dataset when closed and goes to its first record.
    explicit TRPageDrawer(TReport& Report);
    // Ends the run: the dataset is closed again if the run opened it, or back on the
    // record it was on, and its controls are enabled.
    ~TRPageDrawer();
    TRPageDrawer(const TRPageDrawer&) = delete;
    TRPageDrawer& operator=(const TRPageDrawer&) = delete;

    TReport& Report() const { return FReport; }
    // The paper in millimetres, turned as the report's orientation says.
    QSizeF PageSizeMm() const { return FPageMm; }

    // True when the dataset has no records: the report has no pages.
    bool Empty() const { return FEmpty; }
    // Draws page PageNo (1-based) on Painter, whose device has DotsPerMm units per
    // millimetre, the page's top left at the origin; false when there is no such page.
    bool DrawPage(int PageNo, QPainter& Painter, double DotsPerMm);
    // Lays out the next page not known yet; false when every page is known.
    bool LayOutNext();
    // Every page, in order, on the printer or into a PDF file; the page count. Without
    // pages nothing is printed or written. The file is replaced only by a complete
    // report (throws EFCreateError); a failed print job is aborted.
    int PrintOn(QPrinter& Printer);
    int WritePdf(const QString& FileName);

    int PagesKnown() const { return FEmpty ? 0 : FComplete ? FStarts.size() : FStarts.size() - 1; }
    bool Complete() const { return FComplete; }

private:
    // Where a page starts: a band of a record's chain (the record by bookmark), or a
    // band of the summary's chain (the bookmark then holds the last record).
    struct TStart {
        TBookmark Record;
        bool Summary = false;
        int Band = 0;
    };
    struct TEntry {
        TRBand* Band;
        bool Accumulate; // the record counts as printed once this band is
        QFont Font;      // the report's with the band's overrides
    };

    // Prints or (without a painter) lays out the page from At; advances At to where the
    // next page starts. True when the report ends on this page.
    bool RunPage(TStart& At, int PageNo, QPainter* Painter, double DotsPerMm);
    void PrintBand(const TEntry& Entry, double Top, TRPrintContext& Context);
    // Puts the cursor and the running totals where page PageNo starts.
    void MoveTo(int PageNo);
    int DrawAll(QPagedPaintDevice& Device, QPainter& Painter);
    bool Advance(TStart& At, const TEntry& Entry);
    void AddChain(QVector<TEntry>& Chain, TRBand* Band);
    // Puts the dataset back as the run found it.
    void End();

    TReport& FReport;
    TDataSet* FDataSet;
    QSizeF FPageMm;
    QVector<TEntry> FHeader, FDetail, FSummary;
    QVector<TReportExpression*> FTotals;
    TExprScope FScope;
    int FPageNumber = 0; // what PAGENUMBER gives
    int FCountedAfter = 0; // the entry of FDetail after which a record counts
    QVector<TStart> FStarts; // where each page laid out starts, and the next
    bool FComplete = false;
    bool FEmpty = false;
    // The page whose start the cursor and totals are at; 0 when elsewhere.
    int FAt = 0;
    bool FOpened = false;
    TBookmark FWasOn;
    int FWasPageSize;
};
