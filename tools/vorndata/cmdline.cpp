// Hand-written option parsing: the options are few, and every mistake gets its own
// message naming the option.
#include "tools/vorndata/cmdline.h"

#include "platform/data/alias.h"

#include <limits>

namespace vorndata {

namespace {

constexpr std::int64_t MaxOrders = 100'000'000;
const QString ServerAlias = "DEZAZAV";

}  // namespace

QString UsageText()
{
    return QStringLiteral(
        "Usage: vorndata --local DIR [options]\n"
        "       vorndata --server HOST:PATH [--user USER] [--password PASSWORD] [options]\n"
        "\n"
        "Creates the Quorvale order database (CUSTOMER, ORDERS, ITEMS, PARTS, VENDORS,\n"
        "EMPLOYEE, NEXTORD, NEXTCUST) and fills it with fictional sample data.\n"
        "\n"
        "  --local DIR        one table file per table in DIR (ORDERS.DB, ...); DIR is created\n"
        "  --server HOST:PATH a Firebird database, created when absent, e.g.\n"
        "                     localhost:/var/lib/firebird/3.0/data/DEZAZAV.GDB\n"
        "  --user USER        server login (default: USER NAME of the alias DEZAZAV in the\n"
        "                     engine configuration, else SYSDBA)\n"
        "  --password PASS    server password (default: PASSWORD of the alias DEZAZAV,\n"
        "                     else keelboard)\n"
        "  --orders N         number of orders (default 300)\n"
        "  --seed N           seed of the sample data (default %1)\n"
        "  --today YYYY-MM-DD orders fall in the three years before this day (default today)\n"
        "  --force            replace tables that already exist\n"
        "  --quiet            print nothing but errors\n"
        "  --help             show this text\n"
        "\n"
        "Exit status: 0 done, 1 the database could not be made, 2 wrong arguments.\n")
        .arg(DefaultSeed);
}

bool ParseCommandLine(const QStringList& arguments, CommandLine* result, QString* error)
{
    CommandLine line;
    bool userGiven = false;
    bool passwordGiven = false;
    auto fail = [error](const QString& message) {
        if (error)
            *error = message;
        return false;
    };

    for (int i = 0; i < arguments.size(); ++i) {
        QString option = arguments[i];
        QString value;
        bool hasInlineValue = false;
        if (option.startsWith("--") && option.contains('=')) {
            value = option.mid(option.indexOf('=') + 1);
            option = option.left(option.indexOf('='));
            hasInlineValue = true;
        }
        auto takeValue = [&](QString* out) {
            if (hasInlineValue) {
                *out = value;
                return true;
            }
            if (i + 1 >= arguments.size())
                return false;
            *out = arguments[++i];
            return true;
        };
        auto needsValue = [&](const QString& what) {
            return fail(QString("%1 needs %2").arg(option, what));
        };

        if (option == "--help" || option == "-h") {
            line.help = true;
        } else if (option == "--local") {
            if (!takeValue(&line.folder) || line.folder.isEmpty())
                return needsValue("a folder");
            if (line.target == CommandLine::Target::Server)
                return fail("give either --local or --server, not both");
            line.target = CommandLine::Target::Local;
        } else if (option == "--server") {
            if (!takeValue(&line.login.serverName) || line.login.serverName.isEmpty())
                return needsValue("a database name HOST:PATH");
            if (line.target == CommandLine::Target::Local)
                return fail("give either --local or --server, not both");
            if (!NamesServerDatabase(line.login.serverName))
                return fail(QString("'%1' is not HOST:PATH, for example "
                                    "localhost:/var/lib/firebird/3.0/data/DEZAZAV.GDB")
                                .arg(line.login.serverName));
            line.target = CommandLine::Target::Server;
        } else if (option == "--user") {
            userGiven = true;
            if (!takeValue(&line.login.user) || line.login.user.isEmpty())
                return needsValue("a user name");
        } else if (option == "--password") {
            passwordGiven = true;
            if (!takeValue(&line.login.password))
                return needsValue("a password");
        } else if (option == "--orders") {
            QString text;
            if (!takeValue(&text))
                return needsValue("a number");
            bool ok = false;
            const qlonglong orders = text.toLongLong(&ok);
            if (!ok || orders < 0 || orders > MaxOrders)
                return fail(QString("--orders needs a whole number from 0 to %1, not '%2'").arg(MaxOrders).arg(text));
            line.options.orders = orders;
        } else if (option == "--seed") {
            QString text;
            if (!takeValue(&text))
                return needsValue("a number");
            bool ok = false;
            const qulonglong seed = text.toULongLong(&ok);
            if (!ok || seed > std::numeric_limits<std::uint32_t>::max())
                return fail(QString("--seed needs a whole number from 0 to 4294967295, not '%1'").arg(text));
            line.options.seed = static_cast<std::uint32_t>(seed);
        } else if (option == "--today") {
            QString text;
            if (!takeValue(&text))
                return needsValue("a date YYYY-MM-DD");
            const QDate day = QDate::fromString(text, Qt::ISODate);
            if (!day.isValid())
                return fail(QString("--today needs a date YYYY-MM-DD, not '%1'").arg(text));
            line.options.today = day;
        } else if (option == "--force") {
            line.options.force = true;
        } else if (option == "--quiet" || option == "-q") {
            line.quiet = true;
        } else if (option.startsWith('-')) {
            return fail(QString("unknown option %1").arg(option));
        } else {
            return fail(QString("unexpected argument '%1'").arg(option));
        }
        if (hasInlineValue && (option == "--force" || option == "--quiet" || option == "--help"))
            return fail(QString("%1 takes no value").arg(option));
    }

    if (!line.help && line.target == CommandLine::Target::None)
        return fail("say where to create the database: --local DIR or --server HOST:PATH");
    if (line.target == CommandLine::Target::Local && (userGiven || passwordGiven))
        return fail("--user and --password apply to --server only");
    // The site's login for its server, as Vornapp reads it; the options still win.
    if (line.target == CommandLine::Target::Server && Session.IsAlias(ServerAlias)
        && Session.GetAliasDriverName(ServerAlias) == "INTRBASE") {
        const QStringList params = Session.GetAliasParams(ServerAlias);
        if (!userGiven && !ParamValue(params, "USER NAME").isEmpty())
            line.login.user = ParamValue(params, "USER NAME");
        if (!passwordGiven && !ParamValue(params, "PASSWORD").isEmpty())
            line.login.password = ParamValue(params, "PASSWORD");
    }
    *result = line;
    return true;
}

}  // namespace vorndata
