// Vornapp, the order-entry program: runs from its start until the main window closes,
// then frees what the application owns. With the report options (report_batch.h) it
// writes one report to a PDF file instead, without any window, and ends.
#include "orderentry/Startup.h"
#include "orderentry/report_batch.h"

#include "platform/widgets/application.h"

#include <QTextStream>

#include <cstdio>

int main(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const bool batch = IsReportBatch(arguments);
    // A batch run needs no display: it may run where there is none (a scheduled job).
    if (batch && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    TGuiApplication app(argc, argv);
    if (batch) {
        QTextStream errors(stderr);
        return RunReportBatch(app.arguments().mid(1), errors);
    }
    return RunOrderEntry();
}
