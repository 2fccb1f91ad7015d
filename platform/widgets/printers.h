// The current printer and its set-up dialog. Forms and reports print on Printer();
// the set-up dialog changes it. A test points it at a PDF file and bypasses the
// dialog with SetPrinterSetupRunner.
#pragma once

#include <QObject>

#include <functional>

class QPrinter;
class QWidget;

// The program's current printer, created on first use.
QPrinter* Printer();

// Prints the image of Widget, at its size on screen as far as the page allows, at the
// top left of the printable area. Throws Exception when the printer cannot start.
void PrintWidgetImage(QWidget* Widget, QPrinter& Printer);

// Runs instead of the dialog when set: changes Printer as the user would and returns
// true for OK. Returns the previous runner.
using TPrinterSetupRunner = std::function<bool(QPrinter& Printer)>;
TPrinterSetupRunner SetPrinterSetupRunner(TPrinterSetupRunner Runner);

// The printer set-up dialog as a component of its form.
class TPrinterSetupDialog : public QObject {
public:
    explicit TPrinterSetupDialog(QObject* Owner = nullptr);
    // Lets the user choose the printer and its page; true when confirmed with OK.
    bool Execute();
};
