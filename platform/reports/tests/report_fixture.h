// What the report tests share: a scratch local table of numbered lines and a report
// over it whose every band prints a line of its own, written to PDF and read back.
#pragma once

#include "platform/data/table.h"
#include "platform/reports/report.h"
#include "platform/reports/tests/pdf_reader.h"
#include "testsupport/scratchstore.h"

#include <QTemporaryDir>

#include <memory>

// LINES: No 1..count, Name "Row <No>", Qty No % 50 + 1, Price No * 1.5.
struct TLinesFixture {
    std::unique_ptr<TScratchStore> Store;
    std::unique_ptr<TDatabase> Db;
    std::unique_ptr<TTable> Lines;
    QTemporaryDir Dir;

    void Setup(int count)
    {
        Lines.reset();
        Db.reset();
        Store = std::make_unique<TScratchStore>(false);
        Store->CreateTable("LINES", "No DOUBLE PRECISION NOT NULL PRIMARY KEY, Name VARCHAR(20), Qty INTEGER, "
                                    "Price DOUBLE PRECISION");
        if (count > 0)
            Store->Exec("INSERT INTO LINES SELECT i, 'Row ' || i, i % 50 + 1, i * 1.5 FROM "
                        "(WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) SELECT i FROM n)",
                        {count});
        Db = std::make_unique<TDatabase>();
        Store->Open(*Db, "REPORT");
        Lines = std::make_unique<TTable>();
        Lines->setObjectName("Lines");
        Lines->SetDatabase(Db.get());
        Lines->TableName = "LINES";
        Lines->IndexFieldNames = "No";
        Lines->Open();
    }
    void TearDown()
    {
        Lines.reset();
        Db.reset();
        Store.reset();
    }

    QString File(const QString& name) const { return Dir.filePath(name); }
};

inline TRLabel* AddLabel(TRBand* band, const QString& caption, double left = 0, double top = 0)
{
    auto* label = new TRLabel(band);
    label->Caption = caption;
    label->Left = left;
    label->Top = top;
    return label;
}

inline TRExpr* AddExpr(TRBand* band, const QString& expression, double left = 0, double top = 0)
{
    auto* expr = new TRExpr(band);
    expr->Expression = expression;
    expr->Left = left;
    expr->Top = top;
    return expr;
}

inline TRDBText* AddField(TRBand* band, const QString& field, double left = 0, double top = 0)
{
    auto* text = new TRDBText(band);
    text->DataField = field;
    text->Left = left;
    text->Top = top;
    return text;
}

// Letter, 10 mm margins: 259.4 mm of page, 229.4 below the headers, 22 details a page.
//   page header (20 mm)    "HEADER <page>"
//   column header (10 mm)  "COLUMNS"
//   detail (10 mm)         "Row <No>"
//   summary (20 mm)        "SUMMARY"
inline std::unique_ptr<TReport> MakeLinesReport(TDataSet* lines)
{
    auto report = std::make_unique<TReport>();
    report->ReportTitle = "Lines";
    report->DataSet = lines;
    // Made before the page header: page headers still print first.
    auto* columns = new TRBand(report.get(), rbColumnHeader);
    columns->setObjectName("Columns");
    columns->Height = 10;
    AddLabel(columns, "COLUMNS");
    auto* header = new TRBand(report.get(), rbPageHeader);
    header->setObjectName("Header");
    header->Height = 20;
    AddLabel(header, "HEADER");
    AddExpr(header, "PAGENUMBER", 40);
    auto* detail = new TRBand(report.get(), rbDetail);
    detail->setObjectName("Detail");
    detail->Height = 10;
    AddField(detail, "Name");
    auto* summary = new TRBand(report.get(), rbSummary);
    summary->setObjectName("Summary");
    summary->Height = 20;
    AddLabel(summary, "SUMMARY");
    return report;
}

inline TRBand* FindBand(TReport& report, const QString& name)
{
    return report.findChild<TRBand*>(name);
}

// The report written to a file and read back, a page per entry of lines.
inline QVector<QStringList> PdfPageLines(const QString& file)
{
    QVector<QStringList> pages;
    for (const QString& page : PdfPages(file))
        pages.append(PdfLines(page));
    return pages;
}

// The lines a page of MakeLinesReport holds for the records First..Last.
inline QStringList RowLines(int first, int last)
{
    QStringList lines;
    for (int no = first; no <= last; ++no)
        lines << QString("Row %1").arg(no);
    return lines;
}
