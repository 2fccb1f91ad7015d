// vorndata: creates the order database with sample data (see UsageText).
#include "tools/orderdata/builder.h"
#include "tools/vorndata/cmdline.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>

#include <cstdio>
#include <functional>
#include <memory>
#include <unistd.h>

using namespace vorndata;

namespace {

void Print(FILE* stream, const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

// On a terminal one line is redrawn; in a log each tenth gets its own line.
std::function<void(std::int64_t, std::int64_t)> ProgressPrinter()
{
    const bool terminal = isatty(fileno(stderr));
    auto lastShown = std::make_shared<int>(-1);
    return [terminal, lastShown](std::int64_t done, std::int64_t total) {
        const int percent = total > 0 ? static_cast<int>(done * 100 / total) : 100;
        const int step = terminal ? 1 : 10;
        if (percent / step == *lastShown / step)
            return;
        *lastShown = percent;
        const QString text = QString("orders: %1 of %2 (%3%)").arg(done).arg(total).arg(percent);
        if (terminal)
            Print(stderr, "\r" + text + (done == total ? "\n" : ""));
        else
            Print(stderr, text + "\n");
    };
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments();
    arguments.removeFirst();

    CommandLine line;
    QString error;
    if (!ParseCommandLine(arguments, &line, &error)) {
        Print(stderr, QString("vorndata: %1\n\n%2").arg(error, UsageText()));
        return ExitUsage;
    }
    if (line.help) {
        Print(stdout, UsageText());
        return ExitOk;
    }

    // Small runs finish at once; progress is for the large data sets.
    if (!line.quiet && line.options.orders >= 10000)
        line.options.progress = ProgressPrinter();

    QElapsedTimer timer;
    timer.start();
    try {
        BuildResult result;
        QString where;
        if (line.target == CommandLine::Target::Local) {
            where = QDir::toNativeSeparators(QDir(line.folder).absolutePath());
            result = BuildLocal(line.folder, line.options);
        } else {
            where = line.login.serverName;
            result = BuildServer(line.login, line.options);
            if (result.databaseCreated && !line.quiet)
                Print(stdout, QString("created the database %1\n").arg(where));
        }
        if (!line.quiet) {
            Print(stdout, QString("%1: %2 customers, %3 vendors, %4 parts, %5 employees, %6 orders, %7 items "
                                  "in %8 s; next order %9, next customer %10\n")
                              .arg(where)
                              .arg(result.customers)
                              .arg(result.vendors)
                              .arg(result.parts)
                              .arg(result.employees)
                              .arg(result.orders)
                              .arg(result.items)
                              .arg(timer.elapsed() / 1000.0, 0, 'f', 1)
                              .arg(result.nextOrderNo, 0, 'f', 0)
                              .arg(result.nextCustNo, 0, 'f', 0));
        }
    } catch (const BuildError& e) {
        Print(stderr, QString("vorndata: %1\n").arg(e.Message()));
        return ExitFailed;
    } catch (const std::exception& e) {
        Print(stderr, QString("vorndata: %1\n").arg(QString::fromLocal8Bit(e.what())));
        return ExitFailed;
    }
    return ExitOk;
}
