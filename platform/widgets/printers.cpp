// The current printer, printing a window's image, and the printer set-up dialog.
#include "platform/widgets/printers.h"

#include "platform/core/exceptions.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPainter>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QWidget>

namespace {

QPrinter* ThePrinter = nullptr;

void DeletePrinter()
{
    delete ThePrinter;
    ThePrinter = nullptr;
}

TPrinterSetupRunner& Runner()
{
    static TPrinterSetupRunner runner;
    return runner;
}

} // namespace

QPrinter* Printer()
{
    if (!ThePrinter) {
        ThePrinter = new QPrinter(QPrinter::HighResolution);
        // Printer resources belong to the application; release them with it.
        qAddPostRoutine(DeletePrinter);
    }
    return ThePrinter;
}

void PrintWidgetImage(QWidget* Widget, QPrinter& Printer)
{
    QPixmap image = Widget->grab();
    QPainter painter;
    if (!painter.begin(&Printer)) {
        QString where = Printer.outputFileName().isEmpty() ? Printer.printerName() : Printer.outputFileName();
        throw Exception(where.isEmpty() ? std::string("No printer is available")
                                        : "Cannot print to \"" + where.toLocal8Bit().toStdString() + "\"");
    }
    // Same physical size as on screen, shrunk to the page when larger.
    QSizeF size = image.deviceIndependentSize();
    double scale = double(Printer.logicalDpiX()) / Widget->logicalDpiX();
    QRect page = Printer.pageLayout().paintRectPixels(Printer.resolution());
    double fit = std::min(page.width() / (size.width() * scale), page.height() / (size.height() * scale));
    if (fit < 1)
        scale *= fit;
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(QRectF(0, 0, size.width() * scale, size.height() * scale), image, image.rect());
    if (!painter.end())
        throw Exception("Printing the window did not complete");
}

TPrinterSetupRunner SetPrinterSetupRunner(TPrinterSetupRunner Runner_)
{
    TPrinterSetupRunner previous = std::move(Runner());
    Runner() = std::move(Runner_);
    return previous;
}

TPrinterSetupDialog::TPrinterSetupDialog(QObject* Owner)
    : QObject(Owner)
{
}

bool TPrinterSetupDialog::Execute()
{
    if (TPrinterSetupRunner runner = Runner())
        return runner(*Printer());
    QPrintDialog dialog(Printer(), QApplication::activeWindow());
    dialog.setWindowTitle(QObject::tr("Printer Setup"));
    // Setting up prints nothing: no page range, and OK rather than Print.
    dialog.setOptions(QAbstractPrintDialog::PrintToFile);
    if (auto* box = dialog.findChild<QDialogButtonBox*>())
        if (QPushButton* ok = box->button(QDialogButtonBox::Ok))
            ok->setText(QObject::tr("OK"));
    return dialog.exec() == QDialog::Accepted;
}
