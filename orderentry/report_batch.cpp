// The batch command line: its arguments read strictly (a typing error must not print
// some other report), then the data opened as at the program's start and the one
// report written to PDF through the same report objects the windows use.
#include "orderentry/report_batch.h"

#include "orderentry/DataMod.h"
#include "orderentry/customer_report.h"
#include "orderentry/invoice_report.h"
#include "orderentry/orders_report.h"

#include "platform/core/formatsettings.h"
#include "platform/core/formatsettings_locale.h"
#include "platform/data/field.h"
#include "platform/widgets/application.h"
#include "platform/widgets/messages.h"

#include <QDate>
#include <QMap>
#include <QTextStream>

#include <cmath>

namespace {

const QStringList BatchOptions = {"--report", "--from", "--to", "--order", "--pdf"};

// "--name=value" or "--name"; Name and Value are what was given.
bool SplitOption(const QString& Argument, QString& Name, QString& Value, bool& HasValue)
{
    const qsizetype equals = Argument.indexOf(QLatin1Char('='));
    Name = equals < 0 ? Argument : Argument.left(equals);
    HasValue = equals >= 0;
    Value = HasValue ? Argument.mid(equals + 1) : QString();
    return BatchOptions.contains(Name);
}

TDateTime ReadDate(const QString& Option, const QString& Text)
{
    const QDate iso = QDate::fromString(Text, Qt::ISODate);
    if (iso.isValid())
        return EncodeDate(iso.year(), iso.month(), iso.day());
    try {
        // A time of day typed with it does not move the day.
        return std::floor(StrToDateTime(Text));
    } catch (const EConvertError&) {
        throw EReportArguments(QString("%1: '%2' is not a date (YYYY-MM-DD or the short date format)")
                                   .arg(Option, Text)
                                   .toStdString());
    }
}

} // namespace

bool IsReportBatch(const QStringList& Arguments)
{
    for (const QString& argument : Arguments) {
        QString name, value;
        bool hasValue = false;
        if (SplitOption(argument, name, value, hasValue))
            return true;
    }
    return false;
}

QString ReportBatchUsage()
{
    return "Usage: Vornapp --report customers --pdf FILE\n"
           "       Vornapp --report orders [--from DATE] [--to DATE] --pdf FILE\n"
           "       Vornapp --report invoice --order N --pdf FILE\n";
}

TReportBatchArgs ParseReportArguments(const QStringList& Arguments)
{
    QMap<QString, QString> given;
    for (qsizetype i = 0; i < Arguments.size(); ++i) {
        QString name, value;
        bool hasValue = false;
        if (!SplitOption(Arguments[i], name, value, hasValue))
            throw EReportArguments(QString("Unknown argument '%1'").arg(Arguments[i]).toStdString());
        if (given.contains(name))
            throw EReportArguments(QString("%1 is given twice").arg(name).toStdString());
        if (!hasValue) {
            if (i + 1 >= Arguments.size() || Arguments[i + 1].startsWith(QLatin1String("--")))
                throw EReportArguments(QString("%1 needs a value").arg(name).toStdString());
            value = Arguments[++i];
        }
        if (value.trimmed().isEmpty())
            throw EReportArguments(QString("%1 needs a value").arg(name).toStdString());
        given.insert(name, value);
    }

    TReportBatchArgs args;
    const QString report = given.value("--report");
    if (report.isEmpty())
        throw EReportArguments("--report is missing: customers, orders or invoice");
    if (report == QLatin1String("customers"))
        args.Report = brCustomers;
    else if (report == QLatin1String("orders"))
        args.Report = brOrders;
    else if (report == QLatin1String("invoice"))
        args.Report = brInvoice;
    else
        throw EReportArguments(
            QString("Unknown report '%1': customers, orders or invoice").arg(report).toStdString());

    if (args.Report != brOrders && (given.contains("--from") || given.contains("--to")))
        throw EReportArguments("--from and --to belong to the orders report");
    if (args.Report != brInvoice && given.contains("--order"))
        throw EReportArguments("--order belongs to the invoice report");

    if (args.Report == brOrders) {
        // As the date-range dialog offers them at the start.
        args.FromDate = given.contains("--from") ? ReadDate("--from", given.value("--from")) : EncodeDate(1995, 1, 1);
        args.ToDate = given.contains("--to") ? ReadDate("--to", given.value("--to")) : Date();
        if (args.FromDate > args.ToDate)
            throw EReportArguments("\"TO\" date cannot be less than \"FROM\" date");
    }
    if (args.Report == brInvoice) {
        if (!given.contains("--order"))
            throw EReportArguments("--order N is missing: the number of the order to invoice");
        bool ok = false;
        const QString text = given.value("--order");
        args.OrderNo = text.trimmed().toDouble(&ok);
        if (!ok || !std::isfinite(args.OrderNo))
            throw EReportArguments(QString("--order: '%1' is not an order number").arg(text).toStdString());
    }

    args.PdfFile = given.value("--pdf");
    if (args.PdfFile.isEmpty())
        throw EReportArguments("--pdf FILE is missing: the file to write the report to");
    return args;
}

namespace {

QString ShortDate(TDateTime Day)
{
    return FormatDateTime(QString::fromStdString(FormatSettings.ShortDateFormat), Day);
}

// The report the arguments ask for, written to its file; the reason when it made no
// pages (and so no file), empty when it was written.
QString WriteReport(const TReportBatchArgs& Args)
{
    switch (Args.Report) {
    case brCustomers: {
        TCustomerByInvoiceReport report;
        report.Produce(roPdf, Args.PdfFile);
        return report.PageCount() > 0 ? QString() : QStringLiteral("There are no customers to list");
    }
    case brOrders: {
        TOrdersByDateReport report;
        report.Produce(Args.FromDate, Args.ToDate, roPdf, Args.PdfFile);
        return report.PageCount() > 0
                   ? QString()
                   : QString("No orders were sold from %1 to %2").arg(ShortDate(Args.FromDate), ShortDate(Args.ToDate));
    }
    case brInvoice: {
        TInvoiceByOrderNoReport report;
        const QString orderNo = QString::number(Args.OrderNo, 'g', 15);
        VornData->Orders->Open();
        if (!VornData->Orders->Locate("OrderNo", Args.OrderNo))
            return QString("Order %1 does not exist").arg(orderNo);
        report.Produce(roPdf, Args.PdfFile);
        return report.PageCount() > 0 ? QString() : QString("Order %1 has no lines to invoice").arg(orderNo);
    }
    }
    return QString();
}

} // namespace

int RunReportBatch(const QStringList& Arguments, QTextStream& Errors)
{
    TReportBatchArgs args;
    try {
        args = ParseReportArguments(Arguments);
    } catch (const EReportArguments& e) {
        Errors << "Vornapp: " << QString::fromStdString(e.Message) << '\n' << ReportBatchUsage();
        Errors.flush();
        return 2;
    }

    // Nobody is there to answer: whatever would be asked or shown is said on the error
    // output and counts as a failure.
    QStringList said;
    TMessageResponderScope quiet([&said](const TMessageRequest& Request) {
        said << Request.Text;
        return mrCancel;
    });
    QString failure;
    // Started as the program starts, without its windows.
    GetFormatSettings();
    Application->Title = QStringLiteral("Quorvale Order Entry");
    try {
        CreateVornData(nullptr);
        failure = WriteReport(args);
    } catch (const std::exception& e) {
        failure = QString::fromStdString(e.what());
    }
    delete VornData;

    for (const QString& text : said)
        Errors << "Vornapp: " << text << '\n';
    if (failure.isEmpty() && !said.isEmpty())
        failure = QStringLiteral("The report was interrupted by the messages above");
    if (!failure.isEmpty()) {
        Errors << "Vornapp: " << failure;
        if (!failure.endsWith(QLatin1Char('.')))
            Errors << '.';
        Errors << " Nothing was written to " << args.PdfFile << ".\n";
    }
    Errors.flush();
    return failure.isEmpty() ? 0 : 1;
}
