// The preview window of a report (TReport::Preview shows it modally). Pages are drawn
// when shown: page 1 appears at once, and the rest of the report is laid out in the
// background, keeping only where each page starts, so "Page n of m" grows from what is
// known ("Page 1 of 3+") to the full count. Print and Save as PDF draw the same pages.
//
// Its buttons, by object name: FirstButton, PriorButton, NextButton, LastButton,
// ZoomInButton, ZoomOutButton, FitPageButton, FitWidthButton, PrintButton, SaveButton,
// CloseButton; the page indicator is PageLabel.
#pragma once

#include "platform/widgets/forms.h"

#include <functional>
#include <memory>

class QLabel;
class QScrollArea;
class QTimer;
class QToolButton;
class TReport;
class TRPageDrawer;
class TRPageView;

class TRPreview : public TForm {
    Q_OBJECT

public:
    TRPreview(TReport* Report, TRPageDrawer& Drawer, QWidget* Parent = nullptr);
    ~TRPreview() override;

    // 1-based; 0 when the report has no pages.
    int PageNo() const { return FPageNo; }
    // Pages laid out so far; final once PageCountKnown.
    int PageCount() const;
    bool PageCountKnown() const;
    // "Page n of m", "Page n of m+" while laying out, "No pages".
    QString PageText() const;
    // Screen pixels per page pixel at 96 dpi: 1 shows the page at its printed size.
    double Zoom() const { return FZoom; }

    void FirstPage();
    void PriorPage();
    void NextPage();
    // Lays out the rest of the report first.
    void LastPage();
    // Pages past the end leave the page shown.
    void GoToPage(int PageNo);
    void ZoomIn();
    void ZoomOut();
    void SetZoom(double Zoom);
    // The whole page, or its width, in the visible area; kept as the window resizes.
    void FitPage();
    void FitWidth();
    // Prints the whole report on the current printer.
    void PrintReport();
    // Writes the whole report to FileName.
    void SaveToPdf(const QString& FileName);

    // Asks for the file Save as PDF writes; empty cancels. A file dialog when unset.
    std::function<QString(TRPreview* Sender)> OnAskFileName;

protected:
    void showEvent(QShowEvent* Event) override;
    void resizeEvent(QResizeEvent* Event) override;

private:
    enum TFit { fitNone, fitPage, fitWidth };
    // Draws the current page at the current zoom.
    void Render();
    void LayOutSome();
    void ApplyFit();
    void UpdateControls();
    void SaveClicked();

    TReport* FReport;
    TRPageDrawer& FDrawer;
    int FPageNo = 0;
    double FZoom = 1;
    TFit FFit = fitPage;
    QScrollArea* FScroll;
    TRPageView* FView;
    QLabel* FPageLabel;
    QToolButton *FFirst, *FPrior, *FNext, *FLast, *FZoomIn, *FZoomOut, *FFitPage, *FFitWidth, *FPrint, *FSave;
    QTimer* FLayoutTimer;
    bool FLayoutFailed = false; // shown once; no more slices
};

// Runs instead of the modal wait when set (tests): the preview is shown without
// blocking, Runner works it as a user would, and the preview closes when Runner
// returns. Returns the previous runner.
using TPreviewRunner = std::function<void(TRPreview& Preview)>;
TPreviewRunner SetPreviewRunner(TPreviewRunner Runner);
