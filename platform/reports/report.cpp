// A report's runs: each output asks BeforePrint, starts a page drawer (which checks the
// elements before anything is written) and draws every page on its device. Nothing
// reaches a device for a report without pages.
#include "platform/reports/report.h"

#include "platform/reports/page_drawer.h"
#include "platform/reports/preview.h"
#include "platform/widgets/printers.h"

#include <QApplication>

namespace {

TPreviewRunner& PreviewRunner()
{
    static TPreviewRunner runner;
    return runner;
}

} // namespace

TPreviewRunner SetPreviewRunner(TPreviewRunner Runner)
{
    TPreviewRunner previous = std::move(PreviewRunner());
    PreviewRunner() = std::move(Runner);
    return previous;
}

TReport::TReport(QObject* Owner)
    : QObject(Owner)
{
}

TReport::~TReport()
{
    // Deleted here rather than by QObject, while the list they unlist from exists.
    while (!FBands.isEmpty())
        delete FBands.last();
}

bool TReport::StartRun()
{
    FPageCount = 0;
    bool go = true;
    if (BeforePrint)
        BeforePrint(this, go);
    return go;
}

void TReport::Print()
{
    if (!StartRun())
        return;
    TRPageDrawer drawer(*this);
    FPageCount = drawer.PrintOn(*::Printer());
}

void TReport::ExportToPdf(const QString& FileName)
{
    if (!StartRun())
        return;
    TRPageDrawer drawer(*this);
    FPageCount = drawer.WritePdf(FileName);
}

void TReport::Preview()
{
    if (!StartRun())
        return;
    TRPageDrawer drawer(*this);
    TRPreview preview(this, drawer, QApplication::activeWindow());
    if (TPreviewRunner runner = PreviewRunner()) {
        preview.show();
        try {
            runner(preview);
        } catch (...) {
            preview.hide();
            throw;
        }
        preview.hide();
    } else {
        preview.ShowModal();
    }
    FPageCount = drawer.PagesKnown();
}
