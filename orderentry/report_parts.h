// What the program's three reports share: the pieces they are built of, with the
// positions in millimetres from the band's left and top edges and sizes in points as
// their layouts give them, and where a run goes.
#pragma once

#include "platform/reports/report.h"

#include <QColor>
#include <QFont>
#include <QString>

class TDataSet;

enum TReportOutput { roPrint, roPreview, roPdf };

// Runs Report once to Output: the current printer, the preview window (returning when
// it closes) or the PDF file PdfFile.
void RunReport(TReport& Report, TReportOutput Output, const QString& PdfFile = QString());

// US Letter, portrait, Arial, with the same margin on every side.
void SetLetterPage(TReport& Report, double MarginMm);

// A font that sets only what is given, the rest coming from the band and the report.
QFont PointFont(int PointSize, bool Bold = false, bool Italic = false);

TRBand* NewBand(TReport* Report, TRBandType Type, const QString& Name, double Height, const QColor& Color);
TRBand* NewChildBand(TRBand* Parent, const QString& Name, double Height, const QColor& Color);
// Blue, with white bold 11 point text: the column headings' look.
void SetHeadingLook(TRBand* Band);

TRLabel* NewLabel(TRBand* Band, const QString& Name, double Left, double Top, const QString& Caption);
// DataSet null: the report's own dataset.
TRDBText* NewDBText(TRBand* Band, const QString& Name, double Left, double Top, const QString& Field,
                    TDataSet* DataSet = nullptr);
TRExpr* NewExpr(TRBand* Band, const QString& Name, double Left, double Top, const QString& Expression);

// A text aligned within Width millimetres from its left edge.
void SetWidth(TRCustomLabel* Text, double Width, TAlignment Alignment);
// A text centred across its whole band.
void CentreInBand(TRCustomLabel* Text);
